// The file an attachment list takes for a file the user attaches: the file
// itself, or, for a file in the folder of the earlier maker's copy tool
// (which empties that folder on its own), a private copy in a fresh
// temporary folder that goes with its row.
#pragma once

#include "classlib/ClassLib.h"

// The copy tool's folder of copied files from its registry setting; empty
// when the tool is not installed.
CString GetCopyToolFolder();

// The path to list and its kind (CAttachListCtrl's kinds); empty when a
// needed copy could not be made. nNumber names the temporary folder.
CString PrepareAttachment(const char* pszPath, int nNumber, bool bTemporary, int& nKind);
