// The file-open chooser of the settings pages.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

// The dialog's filter for a filter as shown ("AVI/WAV/MIDI (*.avi; *.wav;
// *.mid)"): the shown text and the pattern of its brackets without blanks
// ("*.avi;*.wav;*.mid"), each ended by a zero, then a second zero.
std::string FileDialogFilter(const char* pszShown);

// pszFilter as shown ("AVIファイル (*.avi)"), its pattern taken from the
// brackets. Starts in the folder of pszCurrent. After the dialog, chosen or
// not, the current directory is pszRestoreFolder (the program folder when
// null). True with the chosen path.
bool ChooseFileToOpen(HWND hOwner, const char* pszTitle, const char* pszFilter, const char* pszDefExt,
                      const char* pszCurrent, CString& rChosen, const char* pszRestoreFolder = nullptr);
