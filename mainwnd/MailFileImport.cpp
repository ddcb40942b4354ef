#include "mainwnd/MailFileImport.h"

#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "message/DotStuffer.h"
#include "message/MailLineEnds.h"
#include "store/MailFolderStore.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace MailFileImport {

BOOL AddMailFile(CMailFolderStore& folder, const char* pszPath, BOOL bUseSendTime, int* pIndex)
{
    std::string text;
    if (!pszPath || !ReadWholeFile(pszPath, text))
        return FALSE;
    text = CMailLineEnds::ToCrLf(text);
    if (text.empty())
        return FALSE;
    std::string stored = CDotStuffer::Stuff(text.data(), text.size());
    if (stored.size() < 2 || stored.compare(stored.size() - 2, 2, "\r\n") != 0)
        stored += "\r\n";
    stored += ".\r\n";
    CString work;
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof(temp), temp);
    if (n == 0 || n >= sizeof(temp))
        return FALSE;
    char name[MAX_PATH + 1];
    if (!GetTempFileNameA(temp, "QMI", 0, name))
        return FALSE;
    work = name;
    BOOL filed = FALSE;
    CFile file;
    if (file.Open(work, CFile::modeCreate | CFile::modeWrite)) {
        bool written = true;
        try {
            file.Write(stored.data(), static_cast<UINT>(stored.size()));
            file.Close();
        } catch (const CFileException&) {
            file.Abort();
            written = false;
        }
        if (written) {
            CString received = FormatDateWithZone(CTime::GetCurrentTime().GetTime());
            filed = folder.AddNewMailData(work, received, FALSE, bUseSendTime, nullptr, pIndex) == 1;
        }
    }
    DeleteFileA(work);
    return filed;
}

std::vector<CString> EmlFilesInFolder(const char* pszFolder)
{
    std::vector<CString> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(CombinePath(pszFolder, "*"), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        size_t len = strlen(fd.cFileName);
        if (len > 4 && _stricmp(fd.cFileName + len - 4, ".eml") == 0)
            files.push_back(CombinePath(pszFolder, fd.cFileName));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(files.begin(), files.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    return files;
}

std::vector<CString> SplitFileDialogNames(const char* pszBuffer, size_t nSize)
{
    std::vector<CString> parts;
    size_t i = 0;
    while (i < nSize && pszBuffer[i]) {
        size_t len = strnlen(pszBuffer + i, nSize - i);
        parts.push_back(CString(std::string(pszBuffer + i, len).c_str()));
        i += len + 1;
    }
    if (parts.size() <= 1)
        return parts;
    std::vector<CString> files;
    for (size_t k = 1; k < parts.size(); ++k)
        files.push_back(CombinePath(parts[0], parts[k]));
    return files;
}

} // namespace MailFileImport
