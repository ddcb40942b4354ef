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
    return WriteFileData(pszPath, pszText, pszText ? strlen(pszText) : 0);
}

bool WriteFileData(const char* pszPath, const char* pData, size_t nSize)
{
    if (!pszPath || !*pszPath || nSize > 0xFFFFFFFFu)
        return false;
    CFile file;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite))
        return false;
    try {
        if (nSize)
            file.Write(pData, static_cast<UINT>(nSize));
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return false;
    }
    return true;
}
