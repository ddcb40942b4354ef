#include "core/TextFile.h"

bool ReadTextFile(const char* pszPath, CString& text)
{
    text.Empty();
    std::string bytes;
    if (!pszPath || !*pszPath || !ReadWholeFile(pszPath, bytes))
        return false;
    text = CString(bytes);
    return true;
}

bool WriteTextFile(const char* pszPath, const char* pszText)
{
    if (!pszPath || !*pszPath)
        return false;
    CFile file;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite))
        return false;
    try {
        size_t n = pszText ? strlen(pszText) : 0;
        if (n)
            file.Write(pszText, static_cast<UINT>(n));
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return false;
    }
    return true;
}
