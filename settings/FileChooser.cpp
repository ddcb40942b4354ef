#include "settings/FileChooser.h"

#include <commdlg.h>

#include <string>

bool ChooseFileToOpen(HWND hOwner, const char* pszTitle, const char* pszFilter, const char* pszDefExt,
                      const char* pszCurrent, CString& rChosen)
{
    // "name (pattern)" becomes the pair "name\0pattern\0\0".
    std::string shown = pszFilter ? pszFilter : "";
    std::string pattern = "*.*";
    size_t open = shown.rfind('(');
    size_t close = shown.rfind(')');
    if (open != std::string::npos && close != std::string::npos && close > open)
        pattern = shown.substr(open + 1, close - open - 1);
    std::string filter = shown + '\0' + pattern + '\0' + '\0';

    char file[MAX_PATH] = "";
    CString folder(pszCurrent ? pszCurrent : "");
    int cut = folder.ReverseFind('\\');
    folder = cut >= 0 ? folder.Left(cut) : CString();
    char program[MAX_PATH] = "";
    ::GetCurrentDirectoryA(sizeof(program), program);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrInitialDir = folder.IsEmpty() ? nullptr : folder.GetString();
    ofn.lpstrTitle = pszTitle;
    ofn.lpstrDefExt = pszDefExt && *pszDefExt == '.' ? pszDefExt + 1 : pszDefExt;
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    bool ok = ::GetOpenFileNameA(&ofn) != FALSE;
    ::SetCurrentDirectoryA(program);
    if (ok)
        rChosen = file;
    return ok;
}
