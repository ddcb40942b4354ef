#include "editor/MailFileDialog.h"

#include <commdlg.h>

bool AskMailFileToSave(HWND hOwner, CString& path, const char* pszDefaultExtension, const char* pszInitialDir,
                       bool bOverwritePrompt)
{
    char buffer[MAX_PATH * 2] = {};
    lstrcpynA(buffer, path, sizeof(buffer));
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = "E-Mail Files (*.eml)\0*.eml\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof(buffer);
    ofn.lpstrInitialDir = pszInitialDir && *pszInitialDir ? pszInitialDir : nullptr;
    ofn.lpstrDefExt = pszDefaultExtension;
    ofn.Flags = OFN_HIDEREADONLY | (bOverwritePrompt ? OFN_OVERWRITEPROMPT : 0);
    if (!GetSaveFileNameA(&ofn))
        return false;
    path = buffer;
    return true;
}
