#include "store/MailListData.h"

#include "classlib/ByteSearch.h"
#include "store/MailFolderStore.h"
#include "store/StoreText.h"
#include "store/StoreWrite.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace {

// Index offsets and record positions are signed 32-bit in the file.
const LONGLONG kMaxIndexFileSize = 0x7FFFFFFF;

size_t FindCrLf(std::string_view data, size_t from)
{
    const char* base = data.data();
    size_t len = data.size();
    while (from + 1 < len) {
        const char* p = ByteSearch::Find(base + from, len - from - 1, '\r');
        if (!p)
            return std::string::npos;
        size_t at = static_cast<const char*>(p) - base;
        if (base[at + 1] == '\n')
            return at;
        from = at + 1;
    }
    return std::string::npos;
}


int CompareBytes(const char* a, const char* b)
{
    return strcmp(a, b);  // unsigned byte order keeps Shift_JIS characters in code order
}

// A text's first eight bytes as one number in byte order, zeros after its
// end: most comparisons of a large sort are settled by these numbers in the
// compact key array, without reaching the texts themselves.
uint64_t TextPrefix(std::string_view s)
{
    uint64_t v = 0;
    for (size_t i = 0; i < 8 && i < s.size(); i++)
        v |= static_cast<uint64_t>(static_cast<unsigned char>(s[i])) << (56 - 8 * i);
    return v;
}

// The order of CompareBytes, for texts with their TextPrefix.
int ComparePrefixed(uint64_t pa, const char* a, uint64_t pb, const char* b)
{
    if (pa != pb)
        return pa < pb ? -1 : 1;
    if ((pa & 0xFF) == 0)
        return 0;  // both end within the eight bytes
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a + 8);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b + 8);
    while (*x && *x == *y) {
        ++x;
        ++y;
    }
    return *x < *y ? -1 : (*x > *y ? 1 : 0);
}

// A mail as the reply threads find it: the Message-ID it answers, read
// without building the record's strings, and what orders equal ones.
struct ReplyRef
{
    uint64_t prefix;
    std::string_view text;
    int64_t sendTime;
    int index;
    CMailIndexRecord* record;
};

// The order of CompareBytes (bytes unsigned, a text before its longer
// continuations).
int CompareRefText(const ReplyRef& a, const ReplyRef& b)
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    int c = a.text.compare(b.text);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

template <class T>
int CompareNum(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The sender as the list's address type shows it, or in types 1 and 2,
// which show a name beside the address, that name.
CString FromAsShown(CMailIndexRecord* r, int nFromMode)
{
    const CString& from = r->GetText(CMailIndexRecord::colFrom);
    if (nFromMode == 0)
        return from;
    if (nFromMode != 3 && nFromMode != 4)
        return StoreText::AddressBookName(from);
    CString name = StoreText::DisplayName(from);
    const CString& addr = r->GetFromAddress();
    if (nFromMode == 3)
        return name.IsEmpty() ? addr : name;
    return addr.IsEmpty() ? name : addr;
}

struct SortComparator
{
    int column;
    bool ascending;
    bool subjectMode;
    int fromMode;

    int Key(CMailIndexRecord* a, CMailIndexRecord* b) const
    {
        switch (column) {
        case 0:
            return CompareNum(a->m_bAttach, b->m_bAttach);
        case 1:
            return CompareBytes(a->GetSortSubject(), b->GetSortSubject());
        case 2:
            return CompareBytes(a->GetFromAddress(), b->GetFromAddress());
        case 3:
            return CompareNum(a->GetSendTime(), b->GetSendTime());
        case 4:
            return CompareNum(a->GetReceiveTime(), b->GetReceiveTime());
        case 5:
            return CompareNum(a->m_nTotalSize, b->m_nTotalSize);
        case 6:
            return CompareBytes(a->GetText(CMailIndexRecord::colTo), b->GetText(CMailIndexRecord::colTo));
        case 7: {
            CString ka, kb;
            ka.Format("%06d", static_cast<int>(a->GetLabelColor()));
            kb.Format("%06d", static_cast<int>(b->GetLabelColor()));
            return CompareBytes(ka, kb);
        }
        case 8:
            return CompareNum(a->m_nBookmark, b->m_nBookmark);
        case 9:
            if (subjectMode)
                return CompareBytes(a->GetSortSubject(), b->GetSortSubject());
            return CompareBytes(a->GetText(CMailIndexRecord::colSubject), b->GetText(CMailIndexRecord::colSubject));
        case 10:
            return CompareBytes(a->GetText(CMailIndexRecord::colReference),
                                b->GetText(CMailIndexRecord::colReference));
        case 11:
            return CompareNum(a->m_nParent, b->m_nParent);
        case 13:
            return CompareBytes(FromAsShown(a, fromMode), FromAsShown(b, fromMode));
        default:
            return CompareNum(a->m_nRecordPos, b->m_nRecordPos);
        }
    }

    // A strict weak order: the key, then the sent time, then the record
    // index, all in the same direction. The quicksort of the platform needs
    // a comparison that is consistent; "never equal" alone is not.
    bool operator()(CMailIndexRecord* a, CMailIndexRecord* b) const
    {
        int c = Key(a, b);
        if (c == 0 && column != 3 && column != 4)
            c = CompareNum(a->GetSendTime(), b->GetSendTime());
        if (c == 0)
            c = CompareNum(a->m_nIndex, b->m_nIndex);
        return ascending ? c < 0 : c > 0;
    }
};

// The keys of one record, gathered once before sorting: a large folder is
// sorted over this compact array instead of reaching into every record (and
// parsing its dates) at each comparison.
struct SortKey
{
    int64_t number;    // the key of a numeric column, or the TextPrefix of text
    const char* text;  // the key of a text column, owned by the record or the sort
    int64_t sendTime;
    int index;
    CMailIndexRecord* record;
};

// Sorts records in the order SortComparator gives. Columns whose key is a
// number or a text the record keeps are sorted by gathered keys; the rest
// compare records directly.
void SortRecords(std::vector<CMailIndexRecord*>& records, const SortComparator& cmp)
{
    const int column = cmp.column;
    if (column == 7) {
        std::sort(records.begin(), records.end(), cmp);
        return;
    }
    std::vector<SortKey> keys(records.size());
    // The shown senders are made once per record: a name may come from the
    // address book.
    std::vector<CString> shown(column == 13 ? records.size() : 0);
    bool byText = false;
    for (size_t i = 0; i < records.size(); i++) {
        CMailIndexRecord* r = records[i];
        SortKey& k = keys[i];
        k.number = 0;
        k.text = nullptr;
        k.sendTime = r->GetSendTime();
        k.index = r->m_nIndex;
        k.record = r;
        switch (column) {
        case 0: k.number = r->m_bAttach; break;
        case 1: k.text = r->GetSortSubject(); break;
        case 2: k.text = r->GetFromAddress().GetString(); break;
        case 3: k.number = k.sendTime; break;
        case 4: k.number = r->GetReceiveTime(); break;
        case 5: k.number = r->m_nTotalSize; break;
        case 6: k.text = r->GetText(CMailIndexRecord::colTo).GetString(); break;
        case 8: k.number = r->m_nBookmark; break;
        case 9:
            k.text = cmp.subjectMode ? r->GetSortSubject() : r->GetText(CMailIndexRecord::colSubject).GetString();
            break;
        case 10: k.text = r->GetText(CMailIndexRecord::colReference).GetString(); break;
        case 11: k.number = r->m_nParent; break;
        case 13:
            shown[i] = FromAsShown(r, cmp.fromMode);
            k.text = shown[i].GetString();
            break;
        default: k.number = r->m_nRecordPos; break;
        }
        if (k.text)
            k.number = static_cast<int64_t>(TextPrefix(std::string_view(k.text, strnlen(k.text, 8))));
        byText = byText || k.text;
    }
    const bool thenSendTime = column != 3 && column != 4;
    const bool ascending = cmp.ascending;
    auto less = [&](const SortKey& a, const SortKey& b) {
        int c = byText ? ComparePrefixed(static_cast<uint64_t>(a.number), a.text ? a.text : "",
                                         static_cast<uint64_t>(b.number), b.text ? b.text : "")
                       : CompareNum(a.number, b.number);
        if (c == 0 && thenSendTime)
            c = CompareNum(a.sendTime, b.sendTime);
        if (c == 0)
            c = CompareNum(a.index, b.index);
        return ascending ? c < 0 : c > 0;
    };
    std::sort(keys.begin(), keys.end(), less);
    for (size_t i = 0; i < keys.size(); i++)
        records[i] = keys[i].record;
}

} // namespace

namespace {

const char kDefaultDateFormat[] = "%Y/%m/%d %H:%M:%S";

struct SharedDateFormat
{
    CCriticalSection lock;
    CString text = kDefaultDateFormat;
};

SharedDateFormat& DefaultDateFormat()
{
    static SharedDateFormat shared;
    return shared;
}

} // namespace

CMailListData::CMailListData(CMailFolderStore* pOwner) : m_pOwner(pOwner)
{
    m_nColumnCount = CMailIndexRecord::columnCount;
    SharedDateFormat& shared = DefaultDateFormat();
    CSingleLock lock(&shared.lock, TRUE);
    m_strDateFormat = shared.text;
}

CMailListData::~CMailListData()
{
    m_view.clear();
    m_levels.clear();
}

CDataStrgRecord* CMailListData::CreateNewRecord()
{
    CMailIndexRecord* r = new CMailIndexRecord;
    AddRecord(r);
    return r;
}

BOOL CMailListData::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pszField || !pRecord)
        return FALSE;
    if (nColumn >= 0 && nColumn < CMailIndexRecord::columnCount)
        static_cast<CMailIndexRecord*>(pRecord)->SetText(nColumn, pszField);
    return TRUE;
}

void CMailListData::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    CMailIndexRecord* r = static_cast<CMailIndexRecord*>(pRecord);
    ULONGLONG pos = file.GetPosition();
    int oldPos = r->m_nRecordPos;
    r->m_nRecordPos = static_cast<int>(pos);
    CString line = r->BuildLine();
    if (pos + static_cast<ULONGLONG>(line.GetLength()) > static_cast<ULONGLONG>(kMaxIndexFileSize)) {
        r->m_nRecordPos = oldPos;
        AfxThrowFileException(CFileException::diskFull, ERROR_FILE_TOO_LARGE, file.GetFilePath());
    }
    StoreWrite::Write(file, line.GetString(), static_cast<UINT>(line.GetLength()));
}

LONGLONG CMailListData::ScanGoodLength(const std::string& data) const
{
    size_t pos = 0;
    while (pos + CMailIndexRecord::binarySize <= data.size()) {
        size_t crlf = FindCrLf(data, pos + CMailIndexRecord::binarySize);
        if (crlf == std::string::npos)
            break;
        pos = crlf + 2;
    }
    return static_cast<LONGLONG>(pos);
}

BOOL CMailListData::ReadFromFile(BOOL bClear)
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    CSingleLock recordLock(&m_recordLock, TRUE);

    if (GetFileAttributesA(m_strFilePath) == INVALID_FILE_ATTRIBUTES) {
        if (bClear) {
            RemoveAll();
            m_view.clear();
            m_levels.clear();
        }
        m_nLiveCount = static_cast<int>(m_view.size());
        m_nCachedCount = -1;
        m_nGoodLength = 0;
        // An index that does not exist yet is an empty folder: loaded, so
        // that the first mails filed or copied into it are kept in memory.
        m_bLoaded = TRUE;
        return TRUE;
    }
    auto data = std::make_shared<CIndexFileBytes>();
    if (!data->Load(m_strFilePath)) {
        m_bLoaded = FALSE;
        return FALSE;
    }
    return ReadFromBytes(std::move(data));
}

BOOL CMailListData::ReadFromBytes(std::shared_ptr<CIndexFileBytes> source)
{
    const std::string_view data = source->View();
    CSingleLock viewLock(&m_viewLock, TRUE);
    CSingleLock recordLock(&m_recordLock, TRUE);
    RemoveAll();
    m_source = source;
    m_view.clear();
    m_levels.clear();
    m_bThreadsBuilt = FALSE;
    m_nCachedCount = -1;
    m_nUnreadCount = 0;
    m_nChangedCount = 0;
    m_nDeletedOnLoad = 0;
    m_records.Vector().reserve(5000);

    const size_t len = data.size();
    size_t pos = 0;
    while (pos + CMailIndexRecord::binarySize <= len) {
        const unsigned char* bin = reinterpret_cast<const unsigned char*>(data.data() + pos);
        size_t textStart = pos + CMailIndexRecord::binarySize;
        size_t crlf = FindCrLf(data, textStart);
        if (crlf == std::string::npos)
            break;  // a record torn by an interrupted append
        if (bin[0] != 0) {
            m_nDeletedOnLoad++;
            pos = crlf + 2;
            continue;
        }
        CMailIndexRecord* r = static_cast<CMailIndexRecord*>(CreateNewRecord());
        r->ParseBinary(bin);
        if (r->m_nRecordPos == 0 && r->m_nDataOffset == 0 && r->m_nDataLength == 0) {
            RemoveAll();
            m_view.clear();
            m_nLiveCount = 0;
            m_nUnreadCount = 0;
            return FALSE;
        }
        // In-place updates go to where the record really lies, whatever the
        // stored position says.
        r->m_nRecordPos = static_cast<int>(pos);
        r->SetSourceText(source, textStart, crlf - textStart);
        if (!r->m_bRead)
            m_nUnreadCount++;
        m_view.push_back(r);
        pos = crlf + 2;
    }
    m_records.Vector().shrink_to_fit();
    m_nLiveCount = m_records.GetSize();
    m_nGoodLength = static_cast<LONGLONG>(pos);
    m_bLoaded = TRUE;
    return TRUE;
}

BOOL CMailListData::SaveIndex()
{
    CSingleLock recordLock(&m_recordLock, TRUE);
    CloseFile();
    m_nGoodLength = -1;
    return WriteToFile(TRUE);
}

void CMailListData::CloseFile()
{
    CQDDataStrgSet::CloseFile();
    KeepSourceInMemory();
}

void CMailListData::KeepSourceInMemory()
{
    // Records read their texts from the bytes under one of these locks.
    CSingleLock recordLock(&m_recordLock, TRUE);
    std::shared_ptr<CIndexFileBytes> source = m_source.lock();
    if (!source || !source->IsMapped())
        return;
    CSingleLock sourceLock(&CMailIndexRecord::SourceLock(), TRUE);
    source->KeepInMemory();
}

BOOL CMailListData::CutTornTail(CFile& file)
{
    LONGLONG len = static_cast<LONGLONG>(file.GetLength());
    if (m_nGoodLength == len)
        return TRUE;
    std::string data;
    if (!ReadWholeFile(m_strFilePath, data))
        return FALSE;
    LONGLONG good = ScanGoodLength(data);
    if (good < static_cast<LONGLONG>(data.size())) {
        KeepSourceInMemory();
        file.SetLength(static_cast<ULONGLONG>(good));
    }
    m_nGoodLength = good;
    return TRUE;
}

BOOL CMailListData::AppendRecord(CMailIndexRecord* pRecord)
{
    if (!pRecord || m_strFilePath.IsEmpty())
        return FALSE;
    CSingleLock viewLock(&m_viewLock, TRUE);
    CSingleLock recordLock(&m_recordLock, TRUE);
    CFile own;
    bool held = m_bHoldFile && OpenFile();
    CFile& file = held ? m_file : own;
    if (!held && !own.Open(m_strFilePath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite |
                                              CFile::shareDenyNone))
        return FALSE;
    try {
        CutTornTail(file);
        file.SeekToEnd();
        WriteRecord(file, pRecord);
        m_nGoodLength = static_cast<LONGLONG>(file.GetPosition());
        if (!held)
            file.Close();
    } catch (const CFileException& e) {
        file.Abort();
        m_nGoodLength = -1;
        if (e.m_lOsError == ERROR_FILE_TOO_LARGE)
            AfxMessageBox(FormatString("インデックスファイル[%s]が2GBを超えるため、これ以上メールを追加できません。",
                                       m_strFilePath.GetString()),
                          MB_OK | MB_ICONERROR);
        else
            ReportWriteError(e);
        return FALSE;
    }
    if (m_bLoaded) {
        AddRecord(pRecord);
        if (!pRecord->m_bDeleted) {
            m_view.push_back(pRecord);
            if (!m_levels.empty())
                m_levels.push_back(0);
            m_nLiveCount++;
            m_nCachedCount = -1;
        }
    }
    return TRUE;
}

CMailIndexRecord* CMailListData::AddNewRecord()
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    CMailIndexRecord* r = new CMailIndexRecord;
    BOOL loaded = m_bLoaded;
    if (!AppendRecord(r)) {
        delete r;
        return nullptr;
    }
    if (!loaded) {
        // Not loaded: the record lives in the file only.
        delete r;
        return nullptr;
    }
    return r;
}

void CMailListData::HoldFileOpen(BOOL bHold)
{
    CSingleLock recordLock(&m_recordLock, TRUE);
    if (!bHold && m_bHoldFile)
        CloseFile();
    m_bHoldFile = bHold;
}

BOOL CMailListData::WriteRun(CMailIndexRecord* pRecord, int nOffset, int nSize)
{
    if (!pRecord || m_strFilePath.IsEmpty())
        return FALSE;
    // The list's own file may be held open by a filing on another thread.
    CSingleLock recordLock(&m_recordLock, TRUE);
    // Never create the index or write past its end: a record that is not in
    // the file (yet) has nothing to update there.
    if (GetFileAttributesA(m_strFilePath) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    bool opened = false;
    if (!IsOpenOnOwnFile()) {
        if (!OpenFile())
            return FALSE;
        opened = true;
    }
    BOOL ok = TRUE;
    try {
        ULONGLONG keep = m_file.GetPosition();
        ULONGLONG at = static_cast<ULONGLONG>(static_cast<unsigned>(pRecord->m_nRecordPos)) +
                       static_cast<ULONGLONG>(nOffset);
        if (pRecord->m_nRecordPos < 0 || at + static_cast<ULONGLONG>(nSize) > m_file.GetLength()) {
            ok = FALSE;
        } else {
            unsigned char run[CMailIndexRecord::binarySize];
            pRecord->BuildRun(nOffset, nSize, run);
            m_file.Seek(static_cast<LONGLONG>(at), CFile::begin);
            StoreWrite::Write(m_file, run, static_cast<UINT>(nSize));
        }
        m_file.Seek(static_cast<LONGLONG>(keep), CFile::begin);
    } catch (const CFileException&) {
        if (opened)
            CloseFile();
        throw;
    }
    if (opened)
        CloseFile();
    return ok;
}

// Marks and labels are not worth failing a user's action for: when the index
// file cannot take the change it is kept in memory only.
void CMailListData::WriteRunIgnoringErrors(CMailIndexRecord* pRecord, int nOffset, int nSize)
{
    try {
        WriteRun(pRecord, nOffset, nSize);
    } catch (const CFileException&) {
    }
}

void CMailListData::NotifyCounts()
{
    if (m_pOwner)
        m_pOwner->PostCountMessages();
}

BOOL CMailListData::SetOpen(CMailIndexRecord* pRecord)
{
    if (!pRecord)
        return FALSE;
    {
        CSingleLock lock(&m_recordLock, TRUE);
        if (pRecord->m_bRead)
            return TRUE;
        pRecord->m_bRead = 1;
        if (m_nUnreadCount > 0)
            m_nUnreadCount--;
        try {
            WriteRun(pRecord, CMailIndexRecord::offState, CMailIndexRecord::sizeState);
        } catch (const CFileException& e) {
            char text[256] = "";
            e.GetErrorMessage(text, sizeof(text));
            AfxMessageBox(FormatString("Error:CMailListData::SetOpenでエラーが発生しました。[%s]", text));
        }
    }
    NotifyCounts();
    return TRUE;
}

BOOL CMailListData::SetUnOpen(CMailIndexRecord* pRecord)
{
    if (!pRecord)
        return FALSE;
    {
        CSingleLock lock(&m_recordLock, TRUE);
        if (!pRecord->m_bRead)
            return TRUE;
        pRecord->m_bRead = 0;
        m_nUnreadCount++;
        WriteRunIgnoringErrors(pRecord, CMailIndexRecord::offState, CMailIndexRecord::sizeState);
    }
    NotifyCounts();
    return TRUE;
}

BOOL CMailListData::SetDeleted(CMailIndexRecord* pRecord, BOOL bDelete)
{
    if (!pRecord)
        return FALSE;
    CSingleLock lock(&m_recordLock, TRUE);
    BYTE mark = bDelete ? 1 : 0;
    if (pRecord->m_bDeleted == mark)
        return TRUE;
    pRecord->m_bDeleted = mark;
    if (bDelete) {
        if (m_nLiveCount > 0)
            m_nLiveCount--;
        UnlinkThread(pRecord);
    } else {
        m_nLiveCount++;
        if (m_bThreadsBuilt)
            LinkThread(pRecord);
    }
    m_nChangedCount++;
    WriteRunIgnoringErrors(pRecord, CMailIndexRecord::offState, CMailIndexRecord::sizeState);
    return TRUE;
}

BOOL CMailListData::SetAttachInfo(CMailIndexRecord* pRecord, BOOL bAttach, int nTotalSize)
{
    if (!pRecord)
        return FALSE;
    CSingleLock lock(&m_recordLock, TRUE);
    pRecord->m_bAttach = bAttach ? 1 : 0;
    pRecord->m_nTotalSize = nTotalSize;
    WriteRunIgnoringErrors(pRecord, CMailIndexRecord::offAttachInfo, CMailIndexRecord::sizeAttachInfo);
    return TRUE;
}

BOOL CMailListData::SetColorLabel(CMailIndexRecord* pRecord, int nLabel, COLORREF crColor)
{
    if (!pRecord)
        return FALSE;
    CSingleLock lock(&m_recordLock, TRUE);
    pRecord->m_nLabel = nLabel;
    pRecord->m_crLabel = crColor;
    WriteRunIgnoringErrors(pRecord, CMailIndexRecord::offLabel, CMailIndexRecord::sizeLabel);
    return TRUE;
}

BOOL CMailListData::SetBookmark(CMailIndexRecord* pRecord, int nBookmark, BOOL bWrite)
{
    if (!pRecord)
        return FALSE;
    CSingleLock lock(&m_recordLock, TRUE);
    pRecord->m_nBookmark = nBookmark;
    if (bWrite) {
        WriteRunIgnoringErrors(pRecord, CMailIndexRecord::offTail, CMailIndexRecord::sizeTail);
    }
    return TRUE;
}

BOOL CMailListData::SetMailFlags(CMailIndexRecord* pRecord, int nFlags, BOOL bWrite)
{
    if (!pRecord)
        return FALSE;
    CSingleLock lock(&m_recordLock, TRUE);
    pRecord->m_nFlags = nFlags;
    if (bWrite) {
        WriteRunIgnoringErrors(pRecord, CMailIndexRecord::offTail, CMailIndexRecord::sizeTail);
    }
    return TRUE;
}

BOOL CMailListData::GetRecordCopy(int nIndex, CMailIndexRecord& copy)
{
    CSingleLock lock(&m_recordLock, TRUE);
    CMailIndexRecord* r = GetMailRecord(nIndex);
    if (!r)
        return FALSE;
    copy.CopyValuesFrom(*r);
    copy.m_nIndex = r->m_nIndex;
    return TRUE;
}

void CMailListData::SetAllOpen(BOOL bOpen)
{
    for (int i = 0; i < m_records.GetSize(); i++) {
        CMailIndexRecord* r = GetMailRecord(i);
        if (!r || r->m_bDeleted)
            continue;
        if (bOpen && !r->m_bRead)
            SetOpen(r);
        else if (!bOpen && r->m_bRead)
            SetUnOpen(r);
    }
}

BOOL CMailListData::RewriteRecord(CMailIndexRecord* pRecord)
{
    // The text part may have changed length: a record that no longer fits
    // its old place is marked deleted there and appended anew, rather than
    // written over the start of the next record.
    std::string data;
    if (!ReadWholeFile(m_strFilePath, data))
        return FALSE;
    size_t pos = static_cast<size_t>(pRecord->m_nRecordPos);
    if (pRecord->m_nRecordPos < 0 || pos + CMailIndexRecord::binarySize > data.size())
        return FALSE;
    size_t crlf = FindCrLf(data, pos + CMailIndexRecord::binarySize);
    if (crlf == std::string::npos)
        return FALSE;
    CString line = pRecord->BuildLine();
    if (static_cast<size_t>(line.GetLength()) == crlf + 2 - pos) {
        CFile file;
        if (!file.Open(m_strFilePath, CFile::modeReadWrite | CFile::shareDenyNone))
            return FALSE;
        try {
            file.Seek(pRecord->m_nRecordPos, CFile::begin);
            StoreWrite::Write(file, line.GetString(), static_cast<UINT>(line.GetLength()));
            file.Close();
        } catch (const CFileException&) {
            file.Abort();
            return FALSE;
        }
        return TRUE;
    }
    BYTE deleted = pRecord->m_bDeleted;
    pRecord->m_bDeleted = 1;
    try {
        WriteRun(pRecord, CMailIndexRecord::offState, CMailIndexRecord::sizeState);
    } catch (const CFileException&) {
        pRecord->m_bDeleted = deleted;
        return FALSE;
    }
    pRecord->m_bDeleted = deleted;
    CFile file;
    if (!file.Open(m_strFilePath, CFile::modeReadWrite | CFile::shareDenyNone))
        return FALSE;
    try {
        CutTornTail(file);
        file.SeekToEnd();
        WriteRecord(file, pRecord);
        m_nGoodLength = static_cast<LONGLONG>(file.GetPosition());
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        m_nGoodLength = -1;
        return FALSE;
    }
    return TRUE;
}

BOOL CMailListData::SetSendDateText(CMailIndexRecord* pRecord, const char* pszText)
{
    if (!pRecord || !pszText)
        return FALSE;
    CSingleLock lock(&m_recordLock, TRUE);
    CString col = pRecord->GetText(CMailIndexRecord::colDate);
    CString text = CString(pszText).Left(19);
    pRecord->SetText(CMailIndexRecord::colDate, text + col.Mid(std::min(19, col.GetLength())));
    return RewriteRecord(pRecord);
}

BOOL CMailListData::SetReceiveDateText(CMailIndexRecord* pRecord, const char* pszText)
{
    if (!pRecord || !pszText)
        return FALSE;
    CSingleLock lock(&m_recordLock, TRUE);
    CString col = pRecord->GetText(CMailIndexRecord::colReceived);
    CString text = CString(pszText).Left(19);
    pRecord->SetText(CMailIndexRecord::colReceived, text + col.Mid(std::min(19, col.GetLength())));
    return RewriteRecord(pRecord);
}

void CMailListData::ResetDateCache()
{
    CSingleLock lock(&m_recordLock, TRUE);
    for (int i = 0; i < m_records.GetSize(); i++)
        if (CMailIndexRecord* r = GetMailRecord(i))
            r->ResetDateCache();
}

void CMailListData::AddRecordToView(CMailIndexRecord* pRecord)
{
    if (!pRecord)
        return;
    CSingleLock viewLock(&m_viewLock, TRUE);
    CSingleLock recordLock(&m_recordLock, TRUE);
    m_view.push_back(pRecord);
    if (!m_levels.empty())
        m_levels.push_back(0);
    m_nLiveCount++;
    m_nCachedCount = -1;
}

void CMailListData::ShowRecordAgain(CMailIndexRecord* pRecord)
{
    if (!pRecord || pRecord->m_bDeleted)
        return;
    CSingleLock viewLock(&m_viewLock, TRUE);
    if (std::find(m_view.begin(), m_view.end(), pRecord) != m_view.end())
        return;
    m_view.push_back(pRecord);
    if (!m_levels.empty())
        m_levels.push_back(0);
    m_nCachedCount = -1;
}

CString CMailListData::GetDateFormat() const
{
    CSingleLock lock(&m_formatLock, TRUE);
    return m_strDateFormat;
}

void CMailListData::SetDateFormat(const char* pszFormat)
{
    CSingleLock lock(&m_formatLock, TRUE);
    m_strDateFormat = pszFormat && *pszFormat ? pszFormat : kDefaultDateFormat;
}

void CMailListData::SetDefaultDateFormat(const char* pszFormat)
{
    SharedDateFormat& shared = DefaultDateFormat();
    CSingleLock lock(&shared.lock, TRUE);
    shared.text = pszFormat && *pszFormat ? pszFormat : kDefaultDateFormat;
}

CMailIndexRecord* CMailListData::GetViewRecord(int nPos) const
{
    if (nPos < 0 || nPos >= GetViewCount())
        return nullptr;
    return m_view[static_cast<size_t>(nPos)];
}

int CMailListData::GetViewIndex(int nPos) const
{
    CMailIndexRecord* r = GetViewRecord(nPos);
    return r ? r->m_nIndex : -1;
}

int CMailListData::FindViewPos(int nIndex) const
{
    for (size_t i = 0; i < m_view.size(); i++)
        if (m_view[i]->m_nIndex == nIndex)
            return static_cast<int>(i);
    return -1;
}

int CMailListData::GetViewLevel(int nPos) const
{
    if (nPos < 0 || static_cast<size_t>(nPos) >= m_levels.size())
        return 0;
    return m_levels[static_cast<size_t>(nPos)];
}

void CMailListData::ClearView()
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    m_view.clear();
    m_levels.clear();
    m_nCachedCount = -1;
}

void CMailListData::ResetView()
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    CSingleLock recordLock(&m_recordLock, TRUE);
    m_view.clear();
    m_levels.clear();
    int unread = 0;
    for (int i = 0; i < m_records.GetSize(); i++) {
        CMailIndexRecord* r = GetMailRecord(i);
        if (r && !r->m_bDeleted) {
            m_view.push_back(r);
            if (!r->m_bRead)
                unread++;
        }
    }
    m_nLiveCount = static_cast<int>(m_view.size());
    m_nUnreadCount = unread;
    m_nCachedCount = -1;
}

void CMailListData::RemoveDeletedRecords()
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    bool levels = m_levels.size() >= m_view.size() && !m_levels.empty();
    for (int i = GetViewCount() - 1; i >= 0; i--) {
        CMailIndexRecord* r = m_view[static_cast<size_t>(i)];
        if (!r->m_bDeleted)
            continue;
        m_view.erase(m_view.begin() + i);
        if (levels)
            m_levels.erase(m_levels.begin() + i);
        // Children of a removed mail become roots, so that none of them
        // drops out of the list; a collapsed thread shows them collapsed.
        std::vector<CMailIndexRecord*> promoted;
        if (r->m_pChildren) {
            for (int c = 0; c < r->m_pChildren->GetSize(); c++) {
                CMailIndexRecord* child = static_cast<CMailIndexRecord*>(r->m_pChildren->GetAt(c));
                if (!child || child->m_nParent != r->m_nIndex)
                    continue;
                child->m_nParent = -1;
                promoted.push_back(child);
            }
            r->m_pChildren->RemoveAll();
        }
        if (m_bThreadMode && r->m_bCollapsed) {
            for (size_t c = 0; c < promoted.size(); c++) {
                promoted[c]->m_bCollapsed = 1;
                m_view.insert(m_view.begin() + i + static_cast<long>(c), promoted[c]);
                if (levels)
                    m_levels.insert(m_levels.begin() + i + static_cast<long>(c), 0);
            }
        } else if (levels) {
            for (size_t row = static_cast<size_t>(i); row < m_view.size(); row++) {
                if (std::find(promoted.begin(), promoted.end(), m_view[row]) != promoted.end())
                    m_levels[row] = 0;
            }
        }
    }
    {
        CSingleLock recordLock(&m_recordLock, TRUE);
        int unread = 0;
        for (CMailIndexRecord* r : m_view)
            if (!r->m_bRead)
                unread++;
        m_nUnreadCount = unread;
    }
    if (m_nCachedCount < 0 && m_nCachedColumn >= 0)
        Sort(m_nCachedColumn, m_nCachedAscending != 0, m_nCachedSubjectMode, m_nCachedFromMode, TRUE);
}

void CMailListData::Sort(int nColumn, BOOL bAscending, BOOL bSubjectMode, int nFromMode, BOOL bForce)
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    int count = GetViewCount();
    if (!bForce && count == m_nCachedCount && nColumn == m_nCachedColumn &&
        (bAscending ? 1 : 0) == m_nCachedAscending && (bSubjectMode ? 1 : 0) == m_nCachedSubjectMode &&
        (nColumn != 13 || nFromMode == m_nCachedFromMode) && (m_bThreadsBuilt || !m_bThreadMode))
        return;
    m_nCachedColumn = nColumn;
    m_nCachedAscending = bAscending ? 1 : 0;
    m_nCachedCount = count;
    m_nCachedSubjectMode = bSubjectMode ? 1 : 0;
    m_nCachedFromMode = nFromMode;

    std::vector<CMailIndexRecord*> copy(m_view);
    if (m_bThreadMode && !m_bThreadsBuilt)
        LinkAllThreads(copy);
    SortRecords(copy, SortComparator{nColumn, bAscending != 0, bSubjectMode != 0, nFromMode});
    if (!m_bThreadMode) {
        m_view.swap(copy);
        m_levels.clear();
        return;
    }
    PlaceThreads(copy, true, false, FALSE);
}

bool CMailListData::IsAncestorOrSelf(CMailIndexRecord* pCandidate, CMailIndexRecord* pRecord) const
{
    // Bounded walk: a damaged chain must not hang the list.
    int steps = m_records.GetSize() + 1;
    for (CMailIndexRecord* r = pRecord; r && steps-- > 0; r = GetMailRecord(r->m_nParent)) {
        if (r == pCandidate)
            return true;
        if (r->m_nParent < 0)
            break;
    }
    return false;
}

void CMailListData::LinkAllThreads(std::vector<CMailIndexRecord*>& records)
{
    // The texts are read where they lie: the source stays as it is meanwhile.
    CSingleLock recordLock(&m_recordLock, TRUE);
    m_bThreadsBuilt = TRUE;
    // The answers to one Message-ID lie side by side in the sorted array, in
    // the order they are linked (by sent time, then index): found by a
    // search, not by a table of copies.
    std::vector<ReplyRef> refs(records.size());
    for (size_t i = 0; i < records.size(); i++) {
        CMailIndexRecord* r = records[i];
        std::string_view text = r->GetTextView(CMailIndexRecord::colReference);
        refs[i] = ReplyRef{TextPrefix(text), text, r->GetSendTime(), r->m_nIndex, r};
    }
    std::sort(refs.begin(), refs.end(), [](const ReplyRef& a, const ReplyRef& b) {
        int c = CompareRefText(a, b);
        if (c == 0)
            c = CompareNum(a.sendTime, b.sendTime);
        if (c == 0)
            c = CompareNum(a.index, b.index);
        return c < 0;
    });

    struct Frame
    {
        CMailIndexRecord* record;
        size_t next, end;  // the answers still to link: refs[next, end)
    };
    std::vector<Frame> stack;
    auto push = [&](CMailIndexRecord* r) {
        std::string_view id = r->GetTextView(CMailIndexRecord::colMessageId);
        size_t first = 0, last = 0;
        if (!id.empty()) {
            ReplyRef key{TextPrefix(id), id, 0, 0, nullptr};
            auto range = std::equal_range(refs.begin(), refs.end(), key, [](const ReplyRef& a, const ReplyRef& b) {
                return CompareRefText(a, b) < 0;
            });
            first = static_cast<size_t>(range.first - refs.begin());
            last = static_cast<size_t>(range.second - refs.begin());
        }
        stack.push_back(Frame{r, first, last});
    };

    for (const ReplyRef& ref : refs) {
        CMailIndexRecord* root = ref.record;
        if (root->m_nParent != -1 || root->m_bThreadMark)
            continue;
        push(root);
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next >= f.end) {
                stack.pop_back();
                continue;
            }
            CMailIndexRecord* child = refs[f.next++].record;
            CMailIndexRecord* parent = f.record;
            // A mail that answers itself, or a ring of mails answering each
            // other, would make the tree a cycle.
            if (child->m_nParent != -1 || IsAncestorOrSelf(child, parent))
                continue;
            if (!parent->m_pChildren)
                parent->m_pChildren = new CPtrArray;
            parent->m_pChildren->Add(child);
            child->m_nParent = parent->m_nIndex;
            push(child);
        }
        root->m_bThreadMark = 1;
    }
}

void CMailListData::AppendSubtree(CMailIndexRecord* pRoot, int nBaseLevel, std::vector<CMailIndexRecord*>& rows,
                                  std::vector<int>& levels)
{
    // Pre-order without recursion: reply chains can be very deep.
    std::vector<std::pair<CMailIndexRecord*, int>> stack;
    if (pRoot->m_pChildren)
        for (int i = pRoot->m_pChildren->GetSize() - 1; i >= 0; i--)
            stack.push_back({static_cast<CMailIndexRecord*>(pRoot->m_pChildren->GetAt(i)), nBaseLevel + 1});
    size_t guard = static_cast<size_t>(m_records.GetSize()) + 1;
    while (!stack.empty() && guard > 0) {
        auto [r, level] = stack.back();
        stack.pop_back();
        if (!r || r->m_nParent < 0)
            continue;
        guard--;
        rows.push_back(r);
        levels.push_back(level);
        if (r->m_pChildren)
            for (int i = r->m_pChildren->GetSize() - 1; i >= 0; i--)
                stack.push_back({static_cast<CMailIndexRecord*>(r->m_pChildren->GetAt(i)), level + 1});
    }
}

void CMailListData::PlaceThreads(const std::vector<CMailIndexRecord*>& sorted, bool bUseCollapsed,
                                 bool bForceCollapsed, BOOL bCollapsedValue)
{
    std::vector<CMailIndexRecord*> rows;
    std::vector<int> levels;
    rows.reserve(sorted.size());
    levels.reserve(sorted.size() + 1);
    std::vector<char> placed(static_cast<size_t>(m_records.GetSize()), 0);
    auto mark = [&](CMailIndexRecord* r) {
        if (r->m_nIndex >= 0 && static_cast<size_t>(r->m_nIndex) < placed.size())
            placed[static_cast<size_t>(r->m_nIndex)] = 1;
    };
    auto isPlaced = [&](CMailIndexRecord* r) {
        return r->m_nIndex >= 0 && static_cast<size_t>(r->m_nIndex) < placed.size() &&
               placed[static_cast<size_t>(r->m_nIndex)];
    };
    for (CMailIndexRecord* r : sorted) {
        if (r->m_nParent >= 0 && GetMailRecord(r->m_nParent))
            continue;
        r->m_nParent = -1;
        if (bForceCollapsed)
            r->m_bCollapsed = bCollapsedValue ? 1 : 0;
        rows.push_back(r);
        levels.push_back(0);
        mark(r);
        if (bUseCollapsed && r->m_bCollapsed)
            continue;
        size_t from = rows.size();
        AppendSubtree(r, 0, rows, levels);
        for (size_t i = from; i < rows.size(); i++)
            mark(rows[i]);
    }
    // A row whose chain of parents leads to no placed root (a damaged link)
    // is shown as a root of its own rather than dropped.
    for (CMailIndexRecord* r : sorted) {
        if (isPlaced(r))
            continue;
        CMailIndexRecord* top = r;
        int steps = m_records.GetSize() + 1;
        while (top->m_nParent >= 0 && steps-- > 0) {
            CMailIndexRecord* p = GetMailRecord(top->m_nParent);
            if (!p)
                break;
            top = p;
        }
        if (top != r && isPlaced(top) && top->m_bCollapsed && bUseCollapsed)
            continue;
        rows.push_back(r);
        levels.push_back(0);
        mark(r);
    }
    m_view.swap(rows);
    m_levels.swap(levels);
    m_nCachedCount = GetViewCount();
}

BOOL CMailListData::LinkThread(CMailIndexRecord* pRecord)
{
    if (!pRecord)
        return TRUE;
    const CString& id = pRecord->GetText(CMailIndexRecord::colMessageId);
    const CString& ref = pRecord->GetText(CMailIndexRecord::colReference);
    int count = m_records.GetSize();
    if (!id.IsEmpty()) {
        bool duplicate = false;
        for (int i = 0; i < count && !duplicate; i++) {
            CMailIndexRecord* o = GetMailRecord(i);
            duplicate = o && o != pRecord && !o->m_bDeleted && o->GetText(CMailIndexRecord::colMessageId) == id;
        }
        if (duplicate) {
            pRecord->m_bThreadMark = 0;
        } else {
            pRecord->m_nParent = -1;
            for (int i = 0; i < count; i++) {
                CMailIndexRecord* o = GetMailRecord(i);
                if (!o || o == pRecord || o->m_bDeleted || o->GetText(CMailIndexRecord::colReference) != id)
                    continue;
                if (o->m_nParent >= 0 && GetMailRecord(o->m_nParent))
                    continue;
                if (!pRecord->m_pChildren)
                    pRecord->m_pChildren = new CPtrArray;
                bool present = false;
                for (int c = 0; c < pRecord->m_pChildren->GetSize() && !present; c++)
                    present = pRecord->m_pChildren->GetAt(c) == o;
                if (!present)
                    pRecord->m_pChildren->Add(o);
                o->m_nParent = pRecord->m_nIndex;
            }
            pRecord->m_bThreadMark = 1;
            m_nCachedCount = -1;
        }
    }
    if (!ref.IsEmpty() && pRecord->m_nParent < 0) {
        for (int i = 0; i < count; i++) {
            CMailIndexRecord* o = GetMailRecord(i);
            if (!o || o == pRecord || o->m_bDeleted || o->GetText(CMailIndexRecord::colMessageId) != ref)
                continue;
            if (IsAncestorOrSelf(pRecord, o))
                continue;
            if (!o->m_pChildren)
                o->m_pChildren = new CPtrArray;
            bool present = false;
            for (int c = 0; c < o->m_pChildren->GetSize() && !present; c++)
                present = o->m_pChildren->GetAt(c) == pRecord;
            if (!present)
                o->m_pChildren->Add(pRecord);
            o->m_bThreadMark = 1;
            pRecord->m_nParent = o->m_nIndex;
            m_nCachedCount = -1;
            break;
        }
    }
    if (pRecord->m_nParent < 0)
        return TRUE;
    CMailIndexRecord* top = pRecord;
    int steps = count + 1;
    while (top->m_nParent >= 0 && steps-- > 0) {
        CMailIndexRecord* p = GetMailRecord(top->m_nParent);
        if (!p)
            break;
        top = p;
        if (p->GetText(CMailIndexRecord::colMessageId) == id)
            break;
    }
    return !(top->m_bCollapsed && top->m_pChildren && top->m_pChildren->GetSize() > 0);
}

void CMailListData::UnlinkThread(CMailIndexRecord* pRecord)
{
    if (!pRecord)
        return;
    CMailIndexRecord* parent = GetMailRecord(pRecord->m_nParent);
    if (parent && parent->m_pChildren) {
        for (int i = parent->m_pChildren->GetSize() - 1; i >= 0; i--)
            if (parent->m_pChildren->GetAt(i) == pRecord)
                parent->m_pChildren->RemoveAt(i);
    }
    pRecord->m_nParent = -1;
}

// The rows below nPos deeper than nBaseLevel are the shown part of its subtree.
void CMailListData::DropSubtreeRows(int nPos, int nBaseLevel)
{
    size_t end = static_cast<size_t>(nPos) + 1;
    while (end < m_view.size() && m_levels[end] > nBaseLevel)
        end++;
    m_view.erase(m_view.begin() + nPos + 1, m_view.begin() + static_cast<long>(end));
    m_levels.erase(m_levels.begin() + nPos + 1, m_levels.begin() + static_cast<long>(end));
}

void CMailListData::ExpandThread(int nPos)
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    CMailIndexRecord* r = GetViewRecord(nPos);
    if (!r)
        return;
    r->m_bCollapsed = 0;
    if (m_levels.size() < m_view.size())
        m_levels.resize(m_view.size(), 0);
    int base = GetViewLevel(nPos);
    // Drop rows of the subtree that are already shown, then insert it whole.
    DropSubtreeRows(nPos, base);
    std::vector<CMailIndexRecord*> rows;
    std::vector<int> levels;
    AppendSubtree(r, base, rows, levels);
    m_view.insert(m_view.begin() + nPos + 1, rows.begin(), rows.end());
    m_levels.insert(m_levels.begin() + nPos + 1, levels.begin(), levels.end());
    m_nCachedCount = GetViewCount();
}

void CMailListData::CollapseThread(int nPos)
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    CMailIndexRecord* r = GetViewRecord(nPos);
    if (!r)
        return;
    r->m_bCollapsed = 1;
    if (m_levels.size() < m_view.size())
        m_levels.resize(m_view.size(), 0);
    int base = GetViewLevel(nPos);
    DropSubtreeRows(nPos, base);
    m_nCachedCount = GetViewCount();
}

void CMailListData::SetAllThreadsCollapsed(BOOL bCollapse)
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    if (!m_bThreadMode)
        return;
    // From the last row up: a thread opened or closed moves only the rows below it.
    for (int pos = GetViewCount() - 1; pos >= 0; --pos) {
        CMailIndexRecord* r = GetViewRecord(pos);
        if (!r || GetViewLevel(pos) != 0 || !r->m_pChildren || r->m_pChildren->IsEmpty())
            continue;
        if (bCollapse)
            CollapseThread(pos);
        else
            ExpandThread(pos);
    }
}

void CMailListData::BuildThreadView(BOOL bCollapsed)
{
    CSingleLock viewLock(&m_viewLock, TRUE);
    if (!bCollapsed)
        m_nCachedCount = m_records.GetSize();
    if (!m_bThreadMode)
        return;
    std::vector<CMailIndexRecord*> copy(m_view);
    if (!m_bThreadsBuilt)
        LinkAllThreads(copy);
    PlaceThreads(copy, true, true, bCollapsed);
}
