// The file-open chooser of the settings pages.
#pragma once

#include "classlib/ClassLib.h"

// pszFilter as shown ("AVIファイル (*.avi)"), its pattern taken from the
// brackets. Starts in the folder of pszCurrent. After the dialog the current
// directory is set back to the program folder. True with the chosen path.
bool ChooseFileToOpen(HWND hOwner, const char* pszTitle, const char* pszFilter, const char* pszDefExt,
                      const char* pszCurrent, CString& rChosen);
