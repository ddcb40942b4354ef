#include "core/TextFile.h"

bool ReadTextFile(const char* pszPath, CString& text, ULONGLONG nLimit)
{
    text.Empty();
    if (!pszPath || !*pszPath)
        return false;
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyNone))
        return false;
    try {
        ULONGLONG size = file.GetLength();
        if (size > nLimit)
            return false;
        std::string bytes(static_cast<size_t>(size), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            UINT got = file.Read(&bytes[done], static_cast<UINT>(bytes.size() - done));
            if (got == 0)
                break;
            done += got;
        }
        bytes.resize(done);
        text = CString(bytes);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        text.Empty();
        return false;
    }
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
