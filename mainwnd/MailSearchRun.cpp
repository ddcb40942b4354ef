#include "mainwnd/MailSearchRun.h"

#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <algorithm>
#include <thread>

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
    out.resize(nLength);
    size_t done = 0;
    try {
        file.Seek(nFrom, CFile::begin);
        while (done < nLength) {
            UINT got = file.Read(&out[done], static_cast<UINT>(nLength - done));
            if (got == 0)
                break;
            done += got;
        }
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
    }
    out.resize(done);
    return true;
}

} // namespace

CMailSearchRun::CMailSearchRun(const CMailSearchCondition& condition, volatile LONG* pAbort)
    : m_matcher(condition), m_pAbort(pAbort)
{
    unsigned cores = std::thread::hardware_concurrency();
    m_nThreads = static_cast<int>(std::max(1u, std::min(cores, 4u)));
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
    std::vector<char> decisions;
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

        decisions.assign(last - first, 0);
        auto decide = [&](size_t k) {
            const Candidate& c = mails[first + k];
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
            decisions[k] = m_matcher.Matches(*c.pRecord, access) ? 1 : 0;
        };
        size_t n = last - first;
        int threads = static_cast<int>(std::min<size_t>(static_cast<size_t>(m_nThreads), n));
        if (threads <= 1) {
            for (size_t k = 0; k < n; ++k)
                decide(k);
        } else {
            std::vector<std::thread> pool;
            for (int t = 1; t < threads; ++t)
                pool.emplace_back([&, t]() {
                    for (size_t k = static_cast<size_t>(t); k < n; k += static_cast<size_t>(threads))
                        decide(k);
                });
            for (size_t k = 0; k < n; k += static_cast<size_t>(threads))
                decide(k);
            for (std::thread& th : pool)
                th.join();
        }
        for (size_t k = 0; k < n; ++k) {
            if (!decisions[k])
                continue;
            ++hits;
            if (callbacks.found)
                callbacks.found(pStore, mails[first + k].nIndex);
        }
    }
    return hits;
}
