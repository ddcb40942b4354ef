// The one check of names that become a directory or a file inside the
// mailbox (folder names, rule-set names): such a name must stay one entry of
// its parent directory, so separators, "." and "..", device names and names
// the file system would silently change are refused.
#pragma once

#include "classlib/ClassLib.h"

// 0 when the name can be used; otherwise the id of the string that says why.
UINT CheckEntryName(const char* pszName);
// Shows the message of a refused name and returns false; true when it can be used.
BOOL ValidateEntryName(const char* pszName);
