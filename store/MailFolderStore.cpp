#include "store/MailFolderStore.h"

#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "core/LogWriter.h"
#include "core/QuendalApp.h"
#include "message/MailMessage.h"
#include "store/FolderData.h"
#include "store/MailFileReader.h"
#include "store/StoreText.h"
#include "store/StoreWrite.h"

#include <algorithm>
#include <memory>
#include <new>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

DWORD g_dwNotifyThreadId = 0;

const UINT kMsgUnreadChanged = 1351;
const UINT kMsgCountChanged = 1352;

CString DataFileMessage(const char* pszPath)
{
    CString text = "[%FILEPATH%]が開けませんでした。";
    text.Replace("%FILEPATH%", pszPath);
    return text;
}

} // namespace

CMailFolderStore::CMailFolderStore() : m_mailList(this)
{
    m_tLastUse = CTime::GetCurrentTime().GetTime();
}

CMailFolderStore::~CMailFolderStore()
{
    delete m_pReader;
    m_heldData.Abort();
    m_mailList.CloseFile();
    WriteStamp();
}

void CMailFolderStore::SetNotifyThreadId(DWORD dwThreadId)
{
    g_dwNotifyThreadId = dwThreadId;
}

void CMailFolderStore::Touch()
{
    m_tLastUse = CTime::GetCurrentTime().GetTime();
}

// ---- Folder record and settings ----

void CMailFolderStore::UpdatePaths()
{
    if (m_record.m_strPath.IsEmpty()) {
        m_strIndexPath.Empty();
        m_strDataPath.Empty();
    } else {
        m_strIndexPath = CombinePath(m_record.m_strPath, "Index.lst");
        m_strDataPath = CombinePath(m_record.m_strPath, "MailData.Qmd");
    }
    m_nCheckedDataEnd = -1;
    m_bFilesKnown = false;
    m_nStampOnDisk = -1;
    m_attachNames.Clear();
    m_bAttachNamesRead = false;
    m_mailList.SetFilePath(m_strIndexPath);
}

bool CMailFolderStore::MayHaveAttachFolder(const CString& name)
{
    if (!m_bAttachNamesRead) {
        m_attachNames.Clear();
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(CombinePath(CombinePath(m_record.m_strPath, "Attach"), "*"), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strcmp(fd.cFileName, ".") != 0 &&
                    strcmp(fd.cFileName, "..") != 0)
                    m_attachNames.Add(fd.cFileName);
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        m_bAttachNamesRead = true;
    }
    return m_attachNames.MayContain(name);
}

void CMailFolderStore::NoteAttachFolder(const CString& name)
{
    if (m_bAttachNamesRead)
        m_attachNames.Add(name);
}

void CMailFolderStore::SetFolderRecord(const CFolderRecord& record)
{
    m_record = record;
    m_record.m_nIndex = record.m_nIndex;
    UpdatePaths();
    m_mailList.SetThreadMode(m_record.m_nListSwitch > 0);
}

void CMailFolderStore::ApplyFolderRecord(const CFolderRecord& record)
{
    int parent = m_record.m_nParentId;
    int id = m_record.m_nId;
    CString path = m_record.m_strPath;
    m_record = record;
    m_record.m_nParentId = parent;
    m_record.m_nId = id;
    m_record.m_strPath = path;
    m_mailList.SetThreadMode(m_record.m_nListSwitch > 0);
}

BOOL CMailFolderStore::SetFolderPath(const char* pszPath)
{
    if (!pszPath || !*pszPath || !DirectoryExists(pszPath))
        return FALSE;
    BOOL loaded = IsIndexLoaded();
    ReleaseHeldFiles();
    m_mailList.CloseFile();
    m_record.m_strPath = pszPath;
    UpdatePaths();
    if (loaded)
        LoadIndex();
    return TRUE;
}

BOOL CMailFolderStore::WriteFolderSettings()
{
    if (m_record.m_strPath.IsEmpty() || !DirectoryExists(m_record.m_strPath))
        return FALSE;
    CQuendalApp* app = QuendalApp();
    CFolderData table(app ? app->GetMailBoxFolder().GetString() : "");
    CFolderRecord copy(m_record);
    return table.WriteSingleRecord(CombinePath(m_record.m_strPath, "FolderData.Dat"), &copy);
}

CString CMailFolderStore::GetFolderPathName() const
{
    CString name = m_record.m_strName;
    CQuendalApp* app = QuendalApp();
    if (!app)
        return name;
    int steps = 256;
    for (int parent = m_record.m_nParentId; parent > 0 && steps-- > 0;) {
        CMailFolderStore* p = app->FindFolder(parent);
        if (!p)
            break;
        name = p->GetFolderName() + "\\" + name;
        parent = p->GetParentId();
    }
    return name;
}

CMailFolderStore* CMailFolderStore::GetSettingsParent() const
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return nullptr;
    int steps = 256;
    for (int parent = m_record.m_nParentId; parent > 0 && steps-- > 0;) {
        CMailFolderStore* p = app->FindFolder(parent);
        if (!p)
            return nullptr;
        if (p->m_record.m_bApplyBelow)
            return p;
        parent = p->GetParentId();
    }
    return nullptr;
}

CString CMailFolderStore::GetInheritedSound() const
{
    if (!m_record.m_strSound.IsEmpty() || m_record.m_bApplyBelow)
        return m_record.m_strSound;
    CMailFolderStore* owner = GetSettingsParent();
    return owner ? owner->m_record.m_strSound : m_record.m_strSound;
}

// The folder's own switch holds when it is on or when the folder applies its
// settings below; otherwise the nearest folder above that applies its
// settings decides, and without one the switch is off.
BOOL CMailFolderStore::GetInheritedSwitch(BOOL CFolderRecord::*pSwitch) const
{
    if (m_record.*pSwitch || m_record.m_bApplyBelow)
        return m_record.*pSwitch;
    CMailFolderStore* owner = GetSettingsParent();
    return owner ? owner->m_record.*pSwitch : FALSE;
}

BOOL CMailFolderStore::GetInheritedHideTag() const
{
    return GetInheritedSwitch(&CFolderRecord::m_bHideTag);
}

BOOL CMailFolderStore::GetInheritedFlag1() const
{
    return GetInheritedSwitch(&CFolderRecord::m_bNoOptimiseAll);
}

BOOL CMailFolderStore::GetInheritedFlag2() const
{
    return GetInheritedSwitch(&CFolderRecord::m_bNoDupDeleteAll);
}

BOOL CMailFolderStore::GetInheritedFlag3() const
{
    if (m_record.m_bApplyBelow)
        return m_record.m_bStripTagOnReply;
    CMailFolderStore* owner = GetSettingsParent();
    return owner ? owner->m_record.m_bStripTagOnReply : m_record.m_bStripTagOnReply;
}

CString CMailFolderStore::GetInheritedText(int nColumn) const
{
    if (nColumn < 11 || nColumn > 23)
        return CString();
    const CString& own = m_record.m_strText[nColumn - 11];
    if (!own.IsEmpty() || m_record.m_bApplyBelow)
        return own;
    CMailFolderStore* owner = GetSettingsParent();
    return owner ? owner->m_record.m_strText[nColumn - 11] : own;
}

BOOL CMailFolderStore::IsInWritingFolder() const
{
    if (m_record.m_nKind == CFolderRecord::kindWriting)
        return TRUE;
    CQuendalApp* app = QuendalApp();
    if (!app)
        return FALSE;
    int steps = 256;
    for (int parent = m_record.m_nParentId; parent > 0 && steps-- > 0;) {
        CMailFolderStore* p = app->FindFolder(parent);
        if (!p)
            return FALSE;
        if (p->GetKind() == CFolderRecord::kindWriting)
            return TRUE;
        parent = p->GetParentId();
    }
    return FALSE;
}

// ---- Index ----

BOOL CMailFolderStore::IsIndexLoaded()
{
    CSingleLock lock(&m_indexLock, TRUE);
    return m_mailList.IsLoaded();
}

BOOL CMailFolderStore::LoadIndex()
{
    // The data file may be cut below: no filing may be between its entry and
    // its record meanwhile.
    CSingleLock fileLock(&m_fileLock, TRUE);
    CSingleLock lock(&m_indexLock, TRUE);
    if (m_strIndexPath.IsEmpty())
        return FALSE;
    if (!RecoverInterruptedSwap())
        return FALSE;
    m_mailList.SetUnreadCount(0);
    m_mailList.SetFilePath(m_strIndexPath);
    // A folder whose files are as they were last known (the stamp of its
    // last clean close, or this store's own check and filings since) is
    // taken as it is. Any other is checked: an interrupted filing is cut
    // before the records are checked against the data file; entries the
    // index lost are kept and offered to the rebuild. The index is read
    // once, for the checks and for the list, whose records keep their texts
    // in the bytes read. On a large folder, memory new to the process is
    // most of the wait, page by page, so the bytes are a view of the file
    // (which the list lets go of before the file is cut or replaced).
    BOOL ok;
    {
        auto index = std::make_shared<CIndexFileBytes>();
        bool read = index->Load(m_strIndexPath);
        const std::string_view indexBytes = index->View();
        bool stamped = read && AcceptStamp(indexBytes);
        bool known = stamped;
        if (!known && read && m_bFilesKnown) {
            WIN32_FILE_ATTRIBUTE_DATA fa;
            known = GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &fa) &&
                    ((static_cast<LONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow) == m_nCheckedDataEnd &&
                    IndexCoversExactly(indexBytes, static_cast<ULONGLONG>(m_nCheckedDataEnd));
        }
        m_bFilesKnown = false;
        if (!known)
            RepairDataTail(FALSE, read ? &indexBytes : nullptr, TRUE);
        ok = read ? m_mailList.ReadFromBytes(index) : m_mailList.ReadFromFile(TRUE);
        ok = ok && (known || RecordsFitDataFile());
        m_bLoadSkippedChecks = ok && known;
        if (ok && !HasUnindexedData()) {
            m_bFilesKnown = true;
            if (!stamped && read)
                WriteStamp(&indexBytes);
        }
    }
    if (!ok || HasUnindexedData()) {
        // A folder whose index reads well is only asked about on the
        // application thread: a receive that loads it goes on with what the
        // index knows and leaves the rest aside.
        CQuendalApp* app = QuendalApp();
        bool bAsk = !ok || !app || app->m_nThreadID == GetCurrentThreadId();
        if (bAsk && AfxMessageBox("インデックスファイルが開けませんでした。\r\nファイルが壊れている可能性があります。\r\n"
                          "リストの再作成を行います。",
                          MB_YESNO | MB_ICONQUESTION) == IDYES) {
            if (!RebuildIndex())
                return FALSE;
            ok = m_mailList.ReadFromFile(TRUE);
            if (!ok)
                return FALSE;
        } else if (!ok) {
            return FALSE;
        } else {
            // The folder opens with what its index knows; the other entries
            // wait in the set-aside file for the rebuild, out of the way of
            // new mail and of the optimisation.
            RepairDataTail(TRUE);
        }
    }
    m_nMailCount = m_mailList.GetMailCount();
    PostCountMessages();
    m_mailList.SetThreadMode(m_record.m_nListSwitch > 0);
    return TRUE;
}

BOOL CMailFolderStore::RecordsFitDataFile()
{
    WIN32_FILE_ATTRIBUTE_DATA fa;
    ULONGLONG size = 0;
    if (GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &fa))
        size = (static_cast<ULONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    // Each record must begin and end on an entry boundary: a damaged record
    // whose offset or length shifted would read parts of other mails.
    std::vector<ULONGLONG> boundaries;
    boundaries.reserve(static_cast<size_t>(m_mailList.GetAllRecordCount()) * 2);
    for (int i = 0; i < m_mailList.GetAllRecordCount(); i++) {
        const CMailIndexRecord* r = m_mailList.GetMailRecord(i);
        if (!r)
            continue;
        if (r->m_nDataOffset < 0 || r->m_nDataLength < 0 ||
            static_cast<ULONGLONG>(r->m_nDataOffset) + static_cast<ULONGLONG>(r->m_nDataLength) > size)
            return FALSE;
        if (r->m_nDataOffset > 0)
            boundaries.push_back(static_cast<ULONGLONG>(r->m_nDataOffset));
        if (r->m_nDataLength > 0)
            boundaries.push_back(static_cast<ULONGLONG>(r->m_nDataOffset) + static_cast<ULONGLONG>(r->m_nDataLength));
    }
    if (boundaries.empty())
        return TRUE;
    std::sort(boundaries.begin(), boundaries.end());
    boundaries.erase(std::unique(boundaries.begin(), boundaries.end()), boundaries.end());
    CFile data;
    if (!data.Open(m_strDataPath, CFile::modeRead | CFile::shareDenyNone))
        return TRUE;  // not readable now: the reads say so
    const std::string term = "\r\n.\r\n";
    // Boundaries close together (small mails) are checked from one read, so
    // that a folder of many mails costs a few reads rather than one each.
    const ULONGLONG span = 64 * 1024;
    std::string window;
    try {
        for (size_t i = 0; i < boundaries.size();) {
            if (boundaries[i] < term.size())
                return FALSE;
            ULONGLONG from = boundaries[i] - term.size();
            size_t last = i;
            while (last + 1 < boundaries.size() && boundaries[last + 1] - from <= span)
                last++;
            ReadFileSpan(data, from, static_cast<size_t>(boundaries[last] - from), window);
            for (; i <= last; i++) {
                size_t at = static_cast<size_t>(boundaries[i] - from);
                if (at > window.size() || window.compare(at - term.size(), term.size(), term) != 0)
                    return FALSE;
            }
        }
    } catch (const CFileException&) {
        data.Abort();
        return TRUE;
    }
    return TRUE;
}

BOOL CMailFolderStore::HasMailNamed(const char* pszMailName)
{
    CMailListData* list = GetMailList();
    if (!list || !pszMailName || !*pszMailName)
        return FALSE;
    // The mail asked about is one of the last filed.
    for (int i = list->GetAllRecordCount() - 1; i >= 0; i--) {
        const CMailIndexRecord* r = list->GetMailRecord(i);
        if (r && r->GetText(CMailIndexRecord::colFileName).CompareNoCase(pszMailName) == 0)
            return TRUE;
    }
    return FALSE;
}

CMailListData* CMailFolderStore::GetMailList()
{
    Touch();
    if (!IsIndexLoaded() && !LoadIndex())
        return nullptr;
    return &m_mailList;
}

void CMailFolderStore::UnloadIndex()
{
    // Taken before the index lock: the stamp takes the file lock first.
    WriteStamp();
    CSingleLock lock(&m_indexLock, TRUE);
    // The records first: the bytes they read go with them, not into a copy.
    m_mailList.ClearView();
    m_mailList.RemoveAll();
    m_mailList.CloseFile();
}

void CMailFolderStore::Unload()
{
    if (IsIndexLoaded())
        UnloadIndex();
}

void CMailFolderStore::PostCountMessages()
{
    DWORD thread = g_dwNotifyThreadId;
    if (!thread && QuendalApp())
        thread = QuendalApp()->m_nThreadID;
    if (thread) {
        PostThreadMessageA(thread, kMsgUnreadChanged, 0, static_cast<LPARAM>(m_record.m_nId));
        PostThreadMessageA(thread, kMsgCountChanged, static_cast<WPARAM>(m_nCounter), static_cast<LPARAM>(m_record.m_nId));
    }
}

// ---- Filing ----

void CMailFolderStore::EnsureIndexFile()
{
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (m_strIndexPath.IsEmpty() || GetFileAttributesExA(m_strIndexPath, GetFileExInfoStandard, &fa))
        return;
    // Data without an index is a case for the rebuild: left alone.
    if (GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &fa) && (fa.nFileSizeLow || fa.nFileSizeHigh))
        return;
    HANDLE h = CreateFileA(m_strIndexPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
}

void CMailFolderStore::ForEachIndexLine(std::string_view bytes, const IndexLineFn& fn)
{
    size_t pos = 0;
    while (pos + CMailIndexRecord::binarySize <= bytes.size()) {
        size_t crlf = bytes.find("\r\n", pos + CMailIndexRecord::binarySize);
        if (crlf == std::string::npos)
            break;
        CMailIndexRecord probe;
        probe.ParseBinary(reinterpret_cast<const unsigned char*>(bytes.data() + pos));
        fn(probe, pos, crlf);
        pos = crlf + 2;
    }
}

void CMailFolderStore::SetFromAccountFlag(CMailIndexRecord* pRecord)
{
    CQuendalApp* app = QuendalApp();
    pRecord->m_nFlags &= ~CMailIndexRecord::flagFromAccount;
    if (!app || !app->m_pAccountDataSet)
        return;
    CAccountDataSet* accounts = app->m_pAccountDataSet;
    int count = accounts->GetRecordCount();
    CString from = pRecord->GetText(CMailIndexRecord::colFrom);
    from.MakeLower();
    for (int i = 0; i < count; i++) {
        CAccountData* a = accounts->GetAccount(i);
        if (!a || a->GetMailAddress().IsEmpty())
            continue;
        CString addr = a->GetMailAddress();
        addr.MakeLower();
        if (from.Find(addr) >= 0) {
            pRecord->m_nFlags |= CMailIndexRecord::flagFromAccount;
            return;
        }
    }
}

BOOL CMailFolderStore::FillRecord(CMailIndexRecord* r, CMailFileReader* reader, const char* pszReceivedTime,
                                  BOOL bRead, BOOL bUseDateForReceived, const StoreFilterResult* pFilter,
                                  BOOL bNewAttachFolder)
{
    const MailHeaderValues& v = reader->GetValues();
    CString received = pszReceivedTime ? pszReceivedTime : "";
    r->SetText(CMailIndexRecord::colSubject, v.strSubject);
    r->SetText(CMailIndexRecord::colFrom, v.strFrom);
    r->SetText(CMailIndexRecord::colTo, v.strTo);
    r->SetText(CMailIndexRecord::colCc, v.strCc);
    r->SetText(CMailIndexRecord::colDate, v.strDate.IsEmpty() ? received : v.strDate);
    r->SetText(CMailIndexRecord::colReceived, (bUseDateForReceived && !v.strDate.IsEmpty()) ? v.strDate : received);
    r->SetText(CMailIndexRecord::colAttachDir, reader->GetMailFileName());
    r->SetText(CMailIndexRecord::colMessageId, v.strMessageId);
    r->SetText(CMailIndexRecord::colReference, v.strReference);
    r->SetText(CMailIndexRecord::colAccount, v.strAccount);
    r->SetText(CMailIndexRecord::colCharset, v.strCharset.IsEmpty() ? CString("ISO-2022-JP") : v.strCharset);
    r->SetText(CMailIndexRecord::colFileName, reader->GetMailFileName());
    r->m_nDataOffset = reader->GetDataOffset();
    r->m_nDataLength = reader->GetDataLength();
    r->m_bRead = bRead ? 1 : 0;
    r->m_bMark = 0;
    r->m_nPriority = (v.nPriority >= 0 && v.nPriority <= 9) ? v.nPriority : 3;
    r->m_nPartNumber = v.nPartNumber > 0 ? v.nPartNumber : 0;
    r->m_nFlags = 0;
    if (v.nPartNumber > 0 && v.nPartTotal > 0)
        r->m_nFlags |= (v.nPartTotal & 0xFFFF) << 16;
    if (v.bReceipt)
        r->m_nFlags |= CMailIndexRecord::flagReceiptRequested;
    SetFromAccountFlag(r);

    CString attach = r->GetAttachFolder(m_record.m_strPath);
    if (bNewAttachFolder && !reader->MadeAttachFolder()) {
        // Nothing was stored and no folder of the name was there before.
        r->m_bAttach = 0;
        r->m_nTotalSize = r->m_nDataLength;
    } else if (HasAttachmentFiles(attach)) {
        r->m_bAttach = 1;
        r->m_nTotalSize = r->m_nDataLength + static_cast<int>(GetFolderFilesSize(attach));
    } else {
        r->m_bAttach = 0;
        r->m_nTotalSize = r->m_nDataLength;
        if (DirectoryExists(attach))
            DeleteDirectoryTree(attach, true);
    }
    if (pFilter && pFilter->bMarked) {
        if (pFilter->bUseLabel) {
            r->m_nLabel = pFilter->nLabel;
            r->m_crLabel = pFilter->crLabel;
        }
        if (pFilter->bForceRead)
            r->m_bRead = 1;
    }
    return TRUE;
}

int CMailFolderStore::AddNewMailData(const char* pszMailPath, const char* pszReceivedTime, BOOL bRead,
                                     BOOL bUseDateForReceived, HWND /*hWndList*/, int* pnIndex,
                                     const StoreFilterResult* pFilter, BOOL bStoreParts, int nCodePage,
                                     int nForcedEncoding)
{
    return FileMail(pszMailPath, nullptr, pszReceivedTime, bRead, bUseDateForReceived, pnIndex, pFilter, bStoreParts,
                    nCodePage, nForcedEncoding);
}

int CMailFolderStore::AddNewMailText(std::string& mail, const char* pszMailName, const char* pszReceivedTime,
                                     BOOL bRead, BOOL bUseDateForReceived, int* pnIndex,
                                     const StoreFilterResult* pFilter)
{
    return FileMail(pszMailName, &mail, pszReceivedTime, bRead, bUseDateForReceived, pnIndex, pFilter, TRUE, -1, -1);
}

int CMailFolderStore::FileMail(const char* pszMailPath, std::string* pText, const char* pszReceivedTime, BOOL bRead,
                               BOOL bUseDateForReceived, int* pnIndex, const StoreFilterResult* pFilter,
                               BOOL bStoreParts, int nCodePage, int nForcedEncoding)
{
    CSingleLock fileLock(&m_fileLock, TRUE);
    Touch();
    m_bLastDecodeFailed = FALSE;
    if (m_record.m_strPath.IsEmpty())
        return 0;
    if (!HoldsFilesAsLeft()) {
        // The checks open the files themselves.
        ReleaseHeldFiles();
        if (!DirectoryExists(m_record.m_strPath))
            CreateDirectoryPath(m_record.m_strPath);
        if (!RecoverInterruptedSwap() || !RepairDataTail(TRUE))
            return 0;
        EnsureIndexFile();
        if (m_nFilingRuns > 0) {
            // Opened after the checks: the tail is cut and the index exists.
            m_mailList.HoldFileOpen(TRUE);
            if (!m_heldData.IsOpen())
                m_heldData.Open(m_strDataPath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                                                   CFile::shareDenyWrite);
        }
    }

    // From here on the folder's files are not as a stamp says until the
    // filing has ended whole.
    WithdrawStamp();
    delete m_pReader;
    m_pReader = new CMailFileReader;
    std::unique_ptr<CMailFileReader> reader(m_pReader);
    struct ReaderReset
    {
        CMailFileReader*& ref;
        ~ReaderReset() { ref = nullptr; }
    } reset{m_pReader};

    CString attachName = GetFileNameFromPath(pszMailPath);
    BOOL newAttachFolder = !MayHaveAttachFolder(attachName);
    reader->SetAttachFolderNew(newAttachFolder);
    if (m_heldData.IsOpen())
        reader->SetDataFile(&m_heldData);
    int nWritten = pText ? reader->ReadMailText(m_record.m_strPath, pszMailPath, *pText, bStoreParts, nCodePage,
                                                nForcedEncoding)
                         : reader->ReadMailFile(m_record.m_strPath, pszMailPath, bStoreParts, nCodePage,
                                                nForcedEncoding);
    if (!nWritten) {
        WriteLog("m_pMailReader->ReadMailFile Error\r\n");
        NoteFailedWrite();
        return 0;
    }
    m_bLastDecodeFailed = reader->DecodeFailed();
    m_bSpecialSender = reader->IsPpdMail();

    std::unique_ptr<CMailIndexRecord> record(new (std::nothrow) CMailIndexRecord);
    if (!record) {
        WriteLog("pRecord == NULL Error\r\n");
        NoteFailedWrite();
        return 0;
    }
    if (reader->MadeAttachFolder())
        NoteAttachFolder(attachName);
    if (!FillRecord(record.get(), reader.get(), pszReceivedTime, bRead, bUseDateForReceived, pFilter,
                    newAttachFolder)) {
        WriteLog("AddNewMailData Error\r\n");
        NoteFailedWrite();
        return 0;
    }
    m_strLastMessageId = reader->GetValues().strMessageId;

    CSingleLock indexLock(&m_indexLock, TRUE);
    BOOL loaded = m_mailList.IsLoaded();
    BOOL unread = !record->m_bRead;
    if (!m_mailList.AppendRecord(record.get())) {
        NoteFailedWrite();
        return 0;
    }
    m_nCheckedDataEnd = static_cast<LONGLONG>(reader->GetDataOffset()) + reader->GetDataLength();
    m_bModified = TRUE;
    m_bUnflushed = TRUE;
    if (!newAttachFolder || reader->MadeAttachFolder())
        m_unflushedAttach.push_back(reader->GetAttachFolder());
    if (loaded) {
        CMailIndexRecord* r = record.release();
        if (m_mailList.IsThreadMode() && m_mailList.AreThreadsBuilt())
            m_mailList.LinkThread(r);
        if (pnIndex)
            *pnIndex = r->m_nIndex;
        m_nMailCount = m_mailList.GetMailCount();
    } else {
        record.reset();
        m_nMailCount++;
        if (pnIndex) {
            if (LoadIndex())
                *pnIndex = m_mailList.GetAllRecordCount() - 1;
            else
                *pnIndex = -1;
        }
    }
    if (unread) {
        // An index not loaded keeps the count the tree shows; one loaded
        // just now has counted this mail already.
        if (loaded || !m_mailList.IsLoaded())
            m_mailList.SetUnreadCount(m_mailList.GetUnreadCount() + 1);
        // A receive tells the main window of each mail it filed, which
        // refreshes the folder as these would: in a run they go once, at
        // its end.
        if (m_nFilingRuns > 0)
            m_bCountsPending = TRUE;
        else
            PostCountMessages();
    }
    return 1;
}

BOOL CMailFolderStore::FlushFiledMails()
{
    CSingleLock fileLock(&m_fileLock, TRUE);
    if (!m_bUnflushed)
        return TRUE;
    BOOL ok = m_heldData.IsOpen() ? StoreWrite::Flush(m_strDataPath, m_heldData.GetHandle())
                                  : StoreWrite::Flush(m_strDataPath);
    ok = StoreWrite::Flush(m_strIndexPath) && ok;
    for (const CString& folder : m_unflushedAttach) {
        if (folder.IsEmpty() || !DirectoryExists(folder))
            continue;
        CStringArray files;
        ListFilesRecursive(folder, files);
        for (int i = 0; i < files.GetSize(); i++)
            ok = StoreWrite::Flush(files[i]) && ok;
    }
    m_unflushedAttach.clear();
    m_bUnflushed = FALSE;
    if (ok)
        WriteStamp();
    return ok;
}

void CMailFolderStore::BeginFilingRun()
{
    CSingleLock fileLock(&m_fileLock, TRUE);
    m_nFilingRuns++;
}

void CMailFolderStore::EndFilingRun()
{
    CSingleLock fileLock(&m_fileLock, TRUE);
    if (m_nFilingRuns > 0 && --m_nFilingRuns == 0) {
        ReleaseHeldFiles();
        if (m_bCountsPending) {
            m_bCountsPending = FALSE;
            PostCountMessages();
        }
    }
}

void CMailFolderStore::ReleaseHeldFiles()
{
    CSingleLock fileLock(&m_fileLock, TRUE);
    m_heldData.Abort();
    m_mailList.HoldFileOpen(FALSE);
}

bool CMailFolderStore::HoldsFilesAsLeft()
{
    if (m_nFilingRuns <= 0 || !m_heldData.IsOpen() || !m_mailList.IsFileHeld() || m_nCheckedDataEnd < 0)
        return false;
    // A filing that failed after its data entry was written left more than
    // the last good filing: the checks cut it.
    try {
        return static_cast<LONGLONG>(m_heldData.GetLength()) == m_nCheckedDataEnd;
    } catch (const CFileException&) {
        return false;
    }
}

BOOL CMailFolderStore::CanAppendData()
{
    CSingleLock fileLock(&m_fileLock, TRUE);
    if (m_heldData.IsOpen())
        return TRUE;
    HANDLE h = CreateFileA(m_strDataPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    return TRUE;
}

// ---- Reading ----

CString CMailFolderStore::ReadMailHeader(int nOffset, int nLength)
{
    CSingleLock lock(&m_fileLock, TRUE);
    Touch();
    if (nOffset < 0 || nLength <= 0)
        return CString();
    CFile file;
    if (!file.Open(m_strDataPath, CFile::modeRead | CFile::shareDenyNone)) {
        AfxMessageBox(DataFileMessage(m_strDataPath), MB_OK | MB_ICONERROR);
        return CString();
    }
    std::string text;
    try {
        file.Seek(nOffset, CFile::begin);
        // Read in blocks and stop at the blank line: the result is what a
        // byte-by-byte read up to "\r\n\r\n" gives.
        char buf[4096];
        while (static_cast<int>(text.size()) < nLength) {
            UINT want = static_cast<UINT>(std::min<int>(sizeof(buf), nLength - static_cast<int>(text.size())));
            UINT got = file.Read(buf, want);
            if (got == 0)
                break;
            size_t from = text.size() >= 3 ? text.size() - 3 : 0;
            text.append(buf, got);
            size_t at = text.find("\r\n\r\n", from);
            if (at != std::string::npos) {
                text.resize(at + 4);
                break;
            }
        }
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
    }
    return CString(text);
}

BOOL CMailFolderStore::ReadMailData(char* pBuffer, int nOffset, int nLength)
{
    CSingleLock lock(&m_fileLock, TRUE);
    Touch();
    if (!pBuffer)
        return FALSE;
    pBuffer[0] = '\0';
    if (nOffset < 0 || nLength < 0)
        return FALSE;
    CFile file;
    if (!file.Open(m_strDataPath, CFile::modeRead | CFile::shareDenyNone)) {
        AfxMessageBox(DataFileMessage(m_strDataPath), MB_OK | MB_ICONERROR);
        return FALSE;
    }
    UINT done = 0;
    try {
        file.Seek(nOffset, CFile::begin);
        while (done < static_cast<UINT>(nLength)) {
            UINT got = file.Read(pBuffer + done, static_cast<UINT>(nLength) - done);
            if (got == 0)
                break;
            done += got;
        }
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
    }
    pBuffer[done] = '\0';
    m_bModified = FALSE;
    return TRUE;
}

BOOL CMailFolderStore::ReadMailText(const CMailIndexRecord* pRecord, CString& text)
{
    text.Empty();
    if (!pRecord || pRecord->m_nDataLength < 0 || pRecord->m_nDataOffset < 0)
        return FALSE;
    CSingleLock lock(&m_fileLock, TRUE);
    CFile file;
    if (!file.Open(m_strDataPath, CFile::modeRead | CFile::shareDenyNone)) {
        AfxMessageBox(DataFileMessage(m_strDataPath), MB_OK | MB_ICONERROR);
        return FALSE;
    }
    std::string buf;
    try {
        // The length comes from the index file: only what the data file
        // holds is read, and a record that points past its end is damaged.
        ULONGLONG size = file.GetLength();
        if (static_cast<ULONGLONG>(pRecord->m_nDataOffset) + static_cast<ULONGLONG>(pRecord->m_nDataLength) > size) {
            file.Close();
            return FALSE;
        }
        ReadFileSpan(file, static_cast<ULONGLONG>(pRecord->m_nDataOffset), static_cast<size_t>(pRecord->m_nDataLength),
                     buf);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
    }
    text = CString(buf);
    return TRUE;
}

// ---- Changing mails ----

BOOL CMailFolderStore::DeleteMail(int nIndex)
{
    CMailIndexRecord* r = m_mailList.GetMailRecord(nIndex);
    if (!r || r->m_bDeleted)
        return FALSE;
    BOOL unread = !r->m_bRead;
    m_mailList.SetDeleted(r, TRUE);
    m_nMailCount = m_mailList.GetMailCount();
    if (unread) {
        m_mailList.SetUnreadCount(m_mailList.GetUnreadCount() - 1);
        PostCountMessages();
    }
    return TRUE;
}

BOOL CMailFolderStore::RestoreMail(CMailIndexRecord* pRecord)
{
    if (!pRecord || !pRecord->m_bDeleted)
        return FALSE;
    m_mailList.SetDeleted(pRecord, FALSE);
    m_nMailCount = m_mailList.GetMailCount();
    if (!pRecord->m_bRead) {
        m_mailList.SetUnreadCount(m_mailList.GetUnreadCount() + 1);
        PostCountMessages();
    }
    return TRUE;
}

BOOL CMailFolderStore::SetMailFlagBit(const char* pszMailFileName, int nBit, BOOL bSet)
{
    CMailListData* list = GetMailList();
    if (!list || !pszMailFileName)
        return FALSE;
    for (int i = list->GetAllRecordCount() - 1; i >= 0; i--) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (r && r->GetText(CMailIndexRecord::colFileName) == pszMailFileName) {
            int flags = bSet ? (r->m_nFlags | nBit) : (r->m_nFlags & ~nBit);
            return list->SetMailFlags(r, flags, TRUE);
        }
    }
    return FALSE;
}

BOOL CMailFolderStore::SetMailFlag1(const char* pszMailFileName, BOOL bSet)
{
    return SetMailFlagBit(pszMailFileName, CMailIndexRecord::flagReplyPending, bSet);
}

BOOL CMailFolderStore::SetMailFlag2(const char* pszMailFileName, BOOL bSet)
{
    return SetMailFlagBit(pszMailFileName, CMailIndexRecord::flagReplied, bSet);
}

BOOL CMailFolderStore::SetMailFlag8(const char* pszMailFileName, BOOL bSet)
{
    return SetMailFlagBit(pszMailFileName, CMailIndexRecord::flagForwarded, bSet);
}

int CMailFolderStore::DeleteDuplicateMails()
{
    CSingleLock lock(&m_fileLock, TRUE);
    CMailListData* list = GetMailList();
    if (!list)
        return 0;
    // One pass with a table of the first mail of each (Message-ID, bare
    // From, attachment flag): the same result as comparing every pair.
    std::unordered_map<std::string, int> first;
    int deleted = 0;
    list->OpenFile();
    for (int i = 0; i < list->GetAllRecordCount(); i++) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (!r || r->m_bDeleted || r->GetText(CMailIndexRecord::colMessageId).IsEmpty())
            continue;
        std::string key = r->GetText(CMailIndexRecord::colMessageId).Str();
        key += '\0';
        key += r->GetFromAddress().Str();
        key += '\0';
        key += static_cast<char>(r->m_bAttach ? '1' : '0');
        if (first.emplace(key, i).second)
            continue;
        if (DeleteMail(i))
            deleted++;
    }
    list->CloseFile();
    list->RemoveDeletedRecords();
    return deleted;
}

int CMailFolderStore::AddCopyOfMail(const CMailIndexRecord& source, const char* pszSourceFolderDir,
                                    const char* pszMailText, int nTextLength, BOOL bCopyAttach,
                                    CMailIndexRecord* pCopiedState)
{
    CSingleLock lock(&m_fileLock, TRUE);
    ReleaseHeldFiles();
    if (m_record.m_nKind == CFolderRecord::kindTrash && !IsIndexLoaded())
        LoadIndex();
    if (m_record.m_strPath.IsEmpty())
        return -2;
    if (!DirectoryExists(m_record.m_strPath))
        CreateDirectoryPath(m_record.m_strPath);
    if (!RecoverInterruptedSwap() || !RepairDataTail(TRUE))
        return -2;
    EnsureIndexFile();
    WithdrawStamp();
    if (!pszMailText)
        pszMailText = "";
    if (nTextLength < 0)
        nTextLength = static_cast<int>(strlen(pszMailText));

    std::unique_ptr<CMailIndexRecord> copy(new CMailIndexRecord);
    copy->CopyValuesFrom(source);
    copy->m_bDeleted = 0;

    CString sourceAttach = source.GetAttachFolder(pszSourceFolderDir ? pszSourceFolderDir : "");
    CString name = source.GetText(CMailIndexRecord::colAttachDir);
    if (name.IsEmpty())
        name = source.GetText(CMailIndexRecord::colFileName);
    int attachSize = 0;
    copy->m_bAttach = 0;
    if (bCopyAttach && !source.GetText(CMailIndexRecord::colAttachDir).IsEmpty() && HasAttachmentFiles(sourceAttach)) {
        CString attachRoot = CombinePath(m_record.m_strPath, "Attach");
        CString target = CombinePath(attachRoot, name);
        // A name is taken when the store knows it and the folder is there.
        auto taken = [&](const CString& candidate) {
            return MayHaveAttachFolder(candidate) && DirectoryExists(CombinePath(attachRoot, candidate));
        };
        if (taken(name)) {
            CString digits = name.SpanExcluding("0123456789");
            digits = name.Mid(digits.GetLength()).SpanIncluding("0123456789");
            for (int n = 1; n < 100000 && taken(name); n++)
                name.Format("QM%s_%d", digits.GetString(), n);
            target = CombinePath(attachRoot, name);
        }
        CopyFolderTree(sourceAttach, target);
        NoteAttachFolder(name);
        if (HasAttachmentFiles(target)) {
            copy->m_bAttach = 1;
            attachSize = static_cast<int>(GetFolderFilesSize(target));
        }
    }
    copy->SetText(CMailIndexRecord::colAttachDir, name);

    std::string text(pszMailText, static_cast<size_t>(nTextLength));
    std::string entry = name.Str() + "\r\n";
    if (text.compare(0, 2, "QM") == 0) {
        size_t eol = text.find("\r\n");
        entry += eol == std::string::npos ? std::string() : text.substr(eol + 2);
    } else {
        entry += "\r\n" + text;
    }
    // Every entry ends with the terminator, which the rebuild and the repair
    // of a torn tail rely on.
    if (entry.size() < 5 || entry.compare(entry.size() - 5, 5, "\r\n.\r\n") != 0)
        entry += "\r\n.\r\n";

    CFile file;
    if (!file.Open(m_strDataPath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite)) {
        AfxMessageBox(FormatString("メールデータの追加に失敗しました。Error Code 0001\r\nファイル[%s]", m_strDataPath.GetString()));
        NoteFailedWrite();
        return -2;
    }
    try {
        ULONGLONG offset = file.SeekToEnd();
        if (offset + entry.size() > 0x7FFFFFFF)
            AfxThrowFileException(CFileException::diskFull, ERROR_FILE_TOO_LARGE, m_strDataPath);
        StoreWrite::Write(file, entry.data(), static_cast<UINT>(entry.size()));
        file.Close();
        copy->m_nDataOffset = static_cast<int>(offset);
        copy->m_nDataLength = static_cast<int>(entry.size());
        copy->m_nTotalSize = copy->m_nDataLength + attachSize;
    } catch (const CFileException& e) {
        file.Abort();
        char err[256] = "";
        e.GetErrorMessage(err, sizeof(err));
        AfxMessageBox(FormatString("メールデータの追加に失敗しました。\r\nファイル[%s]\r\n[%s]", m_strDataPath.GetString(), err));
        NoteFailedWrite();
        return -2;
    }

    CSingleLock indexLock(&m_indexLock, TRUE);
    BOOL loaded = m_mailList.IsLoaded();
    if (!m_mailList.AppendRecord(copy.get())) {
        AfxMessageBox(FormatString("メールデータの追加に失敗しました。\r\nファイル[%s]", m_strDataPath.GetString()));
        NoteFailedWrite();
        return -2;
    }
    m_nCheckedDataEnd = static_cast<LONGLONG>(copy->m_nDataOffset) + copy->m_nDataLength;
    m_bUnflushed = TRUE;
    m_unflushedAttach.push_back(copy->GetAttachFolder(m_record.m_strPath));
    m_bModified = TRUE;
    if (pCopiedState)
        pCopiedState->CopyStateFrom(*copy);
    int result = -1;
    BOOL unread = !copy->m_bRead;
    if (loaded) {
        CMailIndexRecord* r = copy.release();
        result = r->m_nIndex;
        if (m_mailList.IsThreadMode() && m_mailList.AreThreadsBuilt())
            m_mailList.LinkThread(r);
        m_nMailCount = m_mailList.GetMailCount();
    } else {
        m_nMailCount++;
    }
    // An index not loaded keeps the count the tree shows.
    if (unread)
        m_mailList.SetUnreadCount(m_mailList.GetUnreadCount() + 1);
    if (unread)
        PostCountMessages();
    return result;
}

int CMailIndexRecord::AddCopyToFolder(CMailFolderStore* pTarget, CMailListData* pSourceList, const char* pszMailText,
                                      int nTextLength, BOOL bCopyAttach, const char* pszSourceFolderDir,
                                      CMailIndexRecord* pCopiedState)
{
    if (!pTarget)
        return -2;
    CString sourceDir = pszSourceFolderDir ? CString(pszSourceFolderDir) : CString();
    if (sourceDir.IsEmpty() && pSourceList && pSourceList->GetOwner())
        sourceDir = pSourceList->GetOwner()->GetFolderPath();
    return pTarget->AddCopyOfMail(*this, sourceDir, pszMailText, nTextLength, bCopyAttach, pCopiedState);
}

// ---- Conditions ----

BOOL CMailFolderStore::MatchCondition(const char* pszKey, const CMailMessage* pMessage, const CMailIndexRecord* pRecord,
                                      const char* pszText, BOOL bOrMode, BOOL bNegate) const
{
    CString key = pszKey ? pszKey : "";
    key.Trim();
    bool sizeAtMost = key.CompareNoCase("Size <=") == 0;
    bool sizeAtLeast = key.CompareNoCase("<= Size") == 0;
    if (sizeAtMost || sizeAtLeast) {
        if (!pRecord)
            return bNegate ? TRUE : FALSE;
        long long limit = _atoi64(pszText ? pszText : "");
        bool hit = sizeAtMost ? pRecord->m_nTotalSize <= limit : limit <= pRecord->m_nTotalSize;
        return (bNegate ? !hit : hit) ? TRUE : FALSE;
    }
    if (!pMessage) {
        bool empty = key.IsEmpty() && !bOrMode;
        return (bNegate ? !empty : empty) ? TRUE : FALSE;
    }
    return pMessage->MatchCondition(pszText ? pszText : "", key, !bOrMode, bNegate != FALSE) ? TRUE : FALSE;
}

BOOL CMailFolderStore::MatchMailSendAccount(int nIndex, const char* pszAccountName)
{
    CMailListData* list = GetMailList();
    CMailIndexRecord* r = list ? list->GetMailRecord(nIndex) : nullptr;
    if (!r || !pszAccountName)
        return FALSE;
    CString header = ReadMailHeader(r->m_nDataOffset, r->m_nDataLength);
    int eol = header.Find("\r\n");
    CMailMessage message;
    message.ParseHeaderText(eol >= 0 ? header.Mid(eol + 2) : header);
    return message.m_strSendAccount == pszAccountName;
}

// ---- Attachments ----

CString CMailFolderStore::GetAttachFolder(const CMailIndexRecord* pRecord) const
{
    if (!pRecord || pRecord->GetText(CMailIndexRecord::colAttachDir).IsEmpty())
        return CString();
    return pRecord->GetAttachFolder(m_record.m_strPath);
}

BOOL CMailFolderStore::GetAttachFileList(int nIndex, CStringArray& files)
{
    CString folder = GetAttachFolder(GetRecord(nIndex));
    if (folder.IsEmpty() || !DirectoryExists(folder))
        return FALSE;
    CStringArray all;
    ListFilesRecursive(folder, all);
    CString headers = CombinePath(folder, "Headers") + "\\";
    for (int i = 0; i < all.GetSize(); i++) {
        const CString& f = all[i];
        if (f.GetLength() >= headers.GetLength() && f.Left(headers.GetLength()).CompareNoCase(headers) == 0)
            continue;
        files.Add(f);
    }
    return TRUE;
}

BOOL CMailFolderStore::HasHtmlFile(int nIndex)
{
    CString folder = GetAttachFolder(GetRecord(nIndex));
    if (folder.IsEmpty())
        return FALSE;
    CStringArray files;
    ListFilesRecursive(CombinePath(folder, "html"), files);
    return files.GetSize() > 0;
}

BOOL CMailFolderStore::DeleteAttachFolder(int nIndex)
{
    CString folder = GetAttachFolder(GetRecord(nIndex));
    if (folder.IsEmpty())
        return FALSE;
    return DeleteDirectoryTree(folder, true);
}

// ---- Whole folder ----

BOOL CMailFolderStore::EmptyFolder()
{
    CSingleLock lock(&m_fileLock, TRUE);
    ReleaseHeldFiles();
    UnloadIndex();
    if (m_record.m_strPath.IsEmpty())
        return FALSE;
    WithdrawStamp();
    DeleteFileA(m_strIndexPath);
    DeleteFileA(m_strDataPath);
    DeleteDirectoryTree(CombinePath(m_record.m_strPath, "Attach"), true);
    m_nCheckedDataEnd = -1;
    m_bFilesKnown = false;
    m_mailList.SetUnreadCount(0);
    m_nMailCount = 0;
    PostCountMessages();
    return TRUE;
}

BOOL CMailFolderStore::Close()
{
    CQuendalApp* app = QuendalApp();
    BOOL bIsCurrent = app && app->GetCurrentFolder() == this;
    CSingleLock lock(&m_fileLock, TRUE);
    ReleaseHeldFiles();
    if (m_strDataPath.IsEmpty())
        return TRUE;
    if (!IsIndexLoaded() || m_mailList.GetAllRecordCount() == 0)
        LoadIndex();
    Optimize();
    if (m_record.m_nKind == CFolderRecord::kindSent) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(CombinePath(m_record.m_strPath, "QM*"), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA(CombinePath(m_record.m_strPath, fd.cFileName));
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
    }
    if (!bIsCurrent)
        UnloadIndex();
    else
        WriteStamp();
    return TRUE;
}

void CMailFolderStore::NoteFailedWrite()
{
    m_bStampBlocked = true;
    m_bFilesKnown = false;
}
