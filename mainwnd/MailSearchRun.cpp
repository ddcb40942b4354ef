#include "mainwnd/MailSearchRun.h"

#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <algorithm>

namespace {

// Bytes of the data file read at once.
const size_t kBlockBytes = 8 * 1024 * 1024;

struct Candidate
{
    int nIndex;
    CMailIndexRecord* pRecord;
    int nOffset;
    int nLength;
};

// Whether a file (not a folder) matching the pattern lies in the folder.
bool HasFileLike(const CString& dir, const char* pszPattern)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(dir + "\\" + pszPattern, &fd);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found = true;
    } while (!found && FindNextFileA(h, &fd));
    FindClose(h);
    return found;
}

// Reads [nFrom, nFrom + nLength) of the data file under the store's file
// lock; false when the file cannot be read.
bool ReadSpan(CMailFolderStore* pStore, LONGLONG nFrom, size_t nLength, std::string& out)
{
    CSingleLock lock(&pStore->FileLock(), TRUE);
    CFile file;
    if (!file.Open(pStore->GetDataPath(), CFile::modeRead | CFile::shareDenyNone))
        return false;
    try {
        ReadFileSpan(file, static_cast<ULONGLONG>(nFrom), nLength, out);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
    }
    return true;
}

} // namespace

CMailSearchRun::CMailSearchRun(const CMailSearchCondition& condition, volatile LONG* pAbort)
    : m_matcher(condition), m_pAbort(pAbort)
{
}

int CMailSearchRun::SearchFolders(const std::vector<CMailFolderStore*>& stores, const Callbacks& callbacks)
{
    int hits = 0;
    for (CMailFolderStore* store : stores) {
        if (Aborted())
            break;
        if (store)
            hits += SearchFolder(store, callbacks);
    }
    return hits;
}

int CMailSearchRun::SearchFolder(CMailFolderStore* pStore, const Callbacks& callbacks)
{
    if (callbacks.folderStarted)
        callbacks.folderStarted(pStore);
    if (!m_matcher.HasAnyCondition())
        return 0;
    CMailListData* list = pStore->GetMailList();
    if (!list)
        return 0;
    std::vector<Candidate> mails;
    {
        CSingleLock lock(&list->RecordLock(), TRUE);
        int count = list->GetAllRecordCount();
        mails.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            CMailIndexRecord* r = list->GetMailRecord(i);
            if (r && !r->m_bDeleted)
                mails.push_back({i, r, r->m_nDataOffset, r->m_nDataLength});
        }
    }
    const CString folderDir = pStore->GetFolderPath();
    int hits = 0;
    size_t next = 0;
    std::string block;
    while (next < mails.size() && !Aborted()) {
        // A run of mails whose entries follow each other closely in the
        // data file, read at once.
        size_t first = next;
        LONGLONG start = mails[first].nOffset;
        LONGLONG end = start + std::max(0, mails[first].nLength);
        size_t last = first + 1;
        while (last < mails.size()) {
            LONGLONG s = mails[last].nOffset;
            LONGLONG e = s + std::max(0, mails[last].nLength);
            if (s < start || e - start > static_cast<LONGLONG>(kBlockBytes) || s > end + 65536)
                break;
            end = std::max(end, e);
            ++last;
        }
        next = last;
        bool haveBlock = ReadSpan(pStore, start, static_cast<size_t>(end - start), block);

        for (size_t k = first; k < last; ++k) {
            const Candidate& c = mails[k];
            CMailSearchMatcher::MailAccess access;
            access.readEntry = [&](std::string& entry) {
                LONGLONG at = c.nOffset - start;
                if (!haveBlock || c.nLength <= 0 || at < 0 || at + c.nLength > static_cast<LONGLONG>(block.size()))
                    return false;
                entry.assign(block, static_cast<size_t>(at), static_cast<size_t>(c.nLength));
                return true;
            };
            access.hasAttachFile = [&](const char* pszPattern) {
                return HasFileLike(c.pRecord->GetAttachFolder(folderDir), pszPattern);
            };
            if (!m_matcher.Matches(*c.pRecord, access))
                continue;
            ++hits;
            if (callbacks.found)
                callbacks.found(pStore, c.nIndex);
        }
    }
    return hits;
}
