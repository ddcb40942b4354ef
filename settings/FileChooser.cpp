#include "settings/FileChooser.h"

#include <commdlg.h>

#include <string>

std::string FileDialogFilter(const char* pszShown)
{
    std::string shown = pszShown ? pszShown : "";
    std::string pattern = "*.*";
    size_t open = shown.rfind('(');
    size_t close = shown.rfind(')');
    if (open != std::string::npos && close != std::string::npos && close > open) {
        // The dialog takes a blank after ";" as part of the next pattern.
        pattern.clear();
        for (char c : shown.substr(open + 1, close - open - 1))
            if (c != ' ')
                pattern += c;
    }
    return shown + '\0' + pattern + '\0' + '\0';
}

bool ChooseFileToOpen(HWND hOwner, const char* pszTitle, const char* pszFilter, const char* pszDefExt,
                      const char* pszCurrent, CString& rChosen, const char* pszRestoreFolder)
{
    std::string filter = FileDialogFilter(pszFilter);

    char file[MAX_PATH] = "";
    CString folder(pszCurrent ? pszCurrent : "");
    int cut = folder.ReverseFind('\\');
    folder = cut >= 0 ? folder.Left(cut) : CString();
    CString restore = pszRestoreFolder ? pszRestoreFolder : "";
    if (restore.IsEmpty()) {
        char program[MAX_PATH] = "";
        DWORD n = ::GetModuleFileNameA(nullptr, program, sizeof(program));
        restore = n && n < sizeof(program) ? CString(program) : CString();
        int slash = restore.ReverseFind('\\');
        restore = slash >= 0 ? restore.Left(slash) : CString();
    }

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
    if (!restore.IsEmpty())
        ::SetCurrentDirectoryA(restore);
    if (ok)
        rChosen = file;
    return ok;
}
