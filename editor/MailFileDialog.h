// The save dialog of the editor for mail files ("E-Mail Files (*.eml)" and
// all files), used by the save-as command and by the temporary-HTML notice.
#pragma once

#include "classlib/ClassLib.h"

// Asks for a file to save under, starting with the name in path (and in
// the folder pszInitialDir when given); on OK path holds the choice.
bool AskMailFileToSave(HWND hOwner, CString& path, const char* pszDefaultExtension, const char* pszInitialDir,
                       bool bOverwritePrompt);
