#include "store/MailIndexRecord.h"

#include "classlib/ByteSearch.h"
#include "classlib/SingleLock.h"
#include "store/IndexFileBytes.h"
#include "store/StoreText.h"

#include <cstring>

namespace {

void PutInt(unsigned char* p, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    p[0] = static_cast<unsigned char>(u);
    p[1] = static_cast<unsigned char>(u >> 8);
    p[2] = static_cast<unsigned char>(u >> 16);
    p[3] = static_cast<unsigned char>(u >> 24);
}

int32_t GetInt(const unsigned char* p)
{
    uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(u);
}

// A text ends at a NUL byte, as a C string would.
size_t LengthToNul(const char* p, size_t nLength)
{
    const char* nul = p ? ByteSearch::Find(p, nLength, '\0') : nullptr;
    return nul ? static_cast<size_t>(nul - p) : nLength;
}

// Calls fn(column, text) for each TAB-separated column of a record's text
// part; columns past the last known one are ignored. Stops when fn returns
// false.
template <typename Fn>
void ForEachColumn(std::string_view text, Fn fn)
{
    size_t field = 0;
    for (int column = 0; column < CMailIndexRecord::columnCount; column++) {
        const char* tab = ByteSearch::Find(text.data() + field, text.size() - field, '\t');
        size_t end = tab ? static_cast<size_t>(tab - text.data()) : text.size();
        if (!fn(column, text.substr(field, end - field)) || !tab)
            return;
        field = end + 1;
    }
}

const COLORREF kLabelColors[16] = {
    0, 0x7F0000, 0x007F00, 0x7F7F00, 0x00007F, 0x7F007F, 0x007F7F, 0x7F7F7F,
    0x3F3F3F, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

} // namespace

CMailIndexRecord::CMailIndexRecord() = default;

// Each column of a record is taken from its source once; the lock orders
// two threads asking for columns of one record at the same moment, a column
// set meanwhile, and a source leaving its file.
CCriticalSection& CMailIndexRecord::SourceLock()
{
    static CCriticalSection lock;
    return lock;
}

const CString& CMailIndexRecord::DefaultText(int nColumn)
{
    static const CString defaults[columnCount] = { "", "", "", "", "", "", "", "", "", "", "ISO-2022-JP", "" };
    return defaults[nColumn];
}

std::unique_ptr<CString[]> CMailIndexRecord::NewDefaultTexts()
{
    auto texts = std::make_unique<CString[]>(columnCount);
    for (int i = 0; i < columnCount; i++)
        texts[i] = DefaultText(i);
    return texts;
}

CMailIndexRecord::~CMailIndexRecord()
{
    delete m_pChildren;
}

void CMailIndexRecord::SetText(int nColumn, const char* pszText)
{
    SetText(nColumn, pszText, pszText ? strlen(pszText) : 0);
}

void CMailIndexRecord::SetSourceText(std::shared_ptr<const CIndexFileBytes> pSource, size_t nStart, size_t nLength)
{
    CSingleLock lock(&SourceLock(), TRUE);
    m_pText.reset();
    m_pSource = std::move(pSource);
    m_nSourceStart = static_cast<uint32_t>(nStart);
    m_nSourceLength = static_cast<uint32_t>(nLength);
    m_nSubjectNoTag = m_nSortSubject = -1;
    m_bFromAddressValid = false;
    m_strFromAddress.Empty();
    ResetDateCache();
    m_nPendingColumns.store(m_pSource ? (1u << columnCount) - 1 : 0, std::memory_order_release);
}

void CMailIndexRecord::PutText(int nColumn, const char* pText, size_t nLength) const
{
    if (!m_pText)
        m_pText = NewDefaultTexts();
    m_pText[nColumn] = CString(pText, static_cast<int>(LengthToNul(pText, nLength)));
    m_nPendingColumns.fetch_and(~(1u << nColumn), std::memory_order_release);
}

void CMailIndexRecord::TakeSourceColumn(int nColumn) const
{
    CSingleLock lock(&SourceLock(), TRUE);
    if (m_nPendingColumns.load(std::memory_order_relaxed) & (1u << nColumn)) {
        std::string_view text = SourceColumn(nColumn);
        PutText(nColumn, text.data(), text.size());
    }
}

std::string_view CMailIndexRecord::GetTextView(int nColumn) const
{
    if (m_nPendingColumns.load(std::memory_order_acquire) & (1u << nColumn))
        return SourceColumn(nColumn);
    return GetText(nColumn).Str();
}

std::string_view CMailIndexRecord::SourceColumn(int nColumn) const
{
    std::string_view found;
    bool present = false;
    ForEachColumn(m_pSource->View().substr(m_nSourceStart, m_nSourceLength),
                  [&](int column, std::string_view text) {
                      if (column != nColumn)
                          return true;
                      found = text.substr(0, LengthToNul(text.data(), text.size()));
                      present = true;
                      return false;
                  });
    // A column the line lacks keeps the value a new record has.
    return present ? found : std::string_view(DefaultText(nColumn).Str());
}

void CMailIndexRecord::SetText(int nColumn, const char* pText, size_t nLength)
{
    if (nColumn < 0 || nColumn >= columnCount)
        return;
    if (m_nPendingColumns.load(std::memory_order_acquire)) {
        // Other columns may be being taken from the source meanwhile.
        CSingleLock lock(&SourceLock(), TRUE);
        PutText(nColumn, pText, nLength);
    } else {
        PutText(nColumn, pText, nLength);
    }
    switch (nColumn) {
    case colSubject:
        m_nSubjectNoTag = -1;
        m_nSortSubject = -1;
        break;
    case colFrom:
        m_bFromAddressValid = false;
        m_strFromAddress.Empty();
        break;
    case colDate:
        m_bSendTimeValid = m_bSendLocalValid = false;
        break;
    case colReceived:
        m_bRecvTimeValid = false;
        break;
    default:
        break;
    }
}

COLORREF CMailIndexRecord::GetLabelColor() const
{
    if (m_nLabel >= 1 && m_nLabel <= 15)
        return kLabelColors[m_nLabel];
    if (m_nLabel == 99)
        return m_crLabel;
    return 0;
}

const char* CMailIndexRecord::GetSubjectNoTag()
{
    if (m_nSubjectNoTag < 0)
        m_nSubjectNoTag = StoreText::SkipSubjectTag(GetText(colSubject));
    return GetText(colSubject).GetString() + m_nSubjectNoTag;
}

const char* CMailIndexRecord::GetSortSubject()
{
    if (m_nSortSubject < 0)
        m_nSortSubject = StoreText::SortSubjectOffset(GetText(colSubject));
    return GetText(colSubject).GetString() + m_nSortSubject;
}

const CString& CMailIndexRecord::GetFromAddress()
{
    if (!m_bFromAddressValid) {
        m_strFromAddress = StoreText::BareAddress(GetText(colFrom));
        m_bFromAddressValid = true;
    }
    return m_strFromAddress;
}

int64_t CMailIndexRecord::GetSendTime()
{
    if (!m_bSendTimeValid) {
        m_tSend = ParseDateColumn(colDate, false);
        m_bSendTimeValid = true;
    }
    return m_tSend;
}

int64_t CMailIndexRecord::GetSendLocalTime()
{
    if (!m_bSendLocalValid) {
        m_tSendLocal = ParseDateColumn(colDate, true);
        m_bSendLocalValid = true;
    }
    return m_tSendLocal;
}

int64_t CMailIndexRecord::GetReceiveTime()
{
    if (!m_bRecvTimeValid) {
        m_tRecv = ParseDateColumn(colReceived, false);
        m_bRecvTimeValid = true;
    }
    return m_tRecv;
}

int64_t CMailIndexRecord::ParseDateColumn(int nColumn, bool bLocal) const
{
    // Read where it lies: a sort parses every record's date once, and a
    // string for each would be memory new to the process.
    CSingleLock lock(&SourceLock(), FALSE);
    if (m_nPendingColumns.load(std::memory_order_acquire) & (1u << nColumn))
        lock.Lock();
    std::string_view text = GetTextView(nColumn);
    return bLocal ? StoreText::ParseDateLocal(text) : StoreText::ParseDate(text);
}

void CMailIndexRecord::ResetDateCache()
{
    m_bSendTimeValid = m_bSendLocalValid = m_bRecvTimeValid = false;
}

BOOL CMailIndexRecord::MatchColumn(int nColumn, const char* pszUpper) const
{
    if (nColumn < colSubject || nColumn > colCc || !pszUpper)
        return FALSE;
    CString upper = GetText(nColumn);
    upper.MakeUpper();
    return upper.Find(pszUpper) >= 0;
}

CString CMailIndexRecord::GetAttachFolder(const char* pszFolderDir) const
{
    CString path(pszFolderDir);
    if (!path.IsEmpty() && path[path.GetLength() - 1] != '\\')
        path += '\\';
    path += "Attach";
    if (!GetText(colAttachDir).IsEmpty())
        path += "\\" + GetText(colAttachDir);
    return path;
}

void CMailIndexRecord::CopyStateFrom(const CMailIndexRecord& src)
{
    m_bRead = src.m_bRead;
    m_bAttach = src.m_bAttach;
    m_bMark = src.m_bMark;
    m_nBookmark = src.m_nBookmark;
    m_nLabel = src.m_nLabel;
    m_crLabel = src.m_crLabel;
}

void CMailIndexRecord::CopyValuesFrom(const CMailIndexRecord& src)
{
    m_bDeleted = src.m_bDeleted;
    CopyStateFrom(src);
    m_nTotalSize = src.m_nTotalSize;
    m_nPriority = src.m_nPriority;
    m_nPartNumber = src.m_nPartNumber;
    m_nFlags = src.m_nFlags;
    m_nDataOffset = src.m_nDataOffset;
    m_nDataLength = src.m_nDataLength;
    m_nRecordPos = src.m_nRecordPos;
    for (int i = 0; i < columnCount; i++)
        SetText(i, src.GetText(i));
}

void CMailIndexRecord::BuildBinary(unsigned char* p) const
{
    memset(p, 0, binarySize);
    p[0] = m_bDeleted ? 1 : 0;
    p[1] = m_bRead;
    PutInt(p + 2, m_nRecordPos);
    PutInt(p + 6, m_nDataOffset);
    PutInt(p + 10, m_nDataLength);
    PutInt(p + 14, 0);
    p[18] = m_bAttach;
    PutInt(p + 19, m_nTotalSize);
    PutInt(p + 23, m_nLabel);
    PutInt(p + 27, static_cast<int32_t>(m_crLabel));
    p[31] = m_bMark;
    PutInt(p + 32, m_nBookmark);
    PutInt(p + 36, m_nPriority);
    PutInt(p + 40, m_nPartNumber);
    PutInt(p + 44, m_nFlags);
}

void CMailIndexRecord::BuildRun(int nOffset, int nSize, unsigned char* pOut) const
{
    unsigned char buf[binarySize];
    BuildBinary(buf);
    memcpy(pOut, buf + nOffset, static_cast<size_t>(nSize));
}

void CMailIndexRecord::ParseBinary(const unsigned char* p)
{
    m_bDeleted = p[0];
    m_bRead = p[1];
    m_nRecordPos = GetInt(p + 2);
    m_nDataOffset = GetInt(p + 6);
    m_nDataLength = GetInt(p + 10);
    m_bAttach = p[18];
    m_nTotalSize = GetInt(p + 19);
    m_nLabel = GetInt(p + 23);
    m_crLabel = static_cast<COLORREF>(GetInt(p + 27));
    m_bMark = p[31];
    m_nBookmark = GetInt(p + 32);
    m_nPriority = GetInt(p + 36);
    m_nPartNumber = GetInt(p + 40);
    m_nFlags = GetInt(p + 44);
}

CString CMailIndexRecord::BuildLine() const
{
    std::string line;
    unsigned char bin[binarySize];
    BuildBinary(bin);
    line.append(reinterpret_cast<const char*>(bin), binarySize);
    std::string text;
    for (int i = 0; i < columnCount; i++) {
        if (i)
            text += '\t';
        // The text part has no escape: a TAB inside a column would shift
        // every later column, so it is stored as a blank.
        const std::string& s = GetText(i).Str();
        for (char c : s)
            text += (c == '\t') ? ' ' : c;
    }
    // CR LF ends the record; a pair inside the text is dropped (a lone CR or
    // LF stays).
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            i++;
            continue;
        }
        line += text[i];
    }
    line += "\r\n";
    return CString(line);
}

BOOL CMailIndexRecord::HasUnreadInThread() const
{
    if (!m_bRead)
        return TRUE;
    if (m_pChildren) {
        for (int i = 0; i < m_pChildren->GetSize(); i++) {
            const CMailIndexRecord* child = static_cast<const CMailIndexRecord*>(m_pChildren->GetAt(i));
            if (child && child != this && child->HasUnreadInThread())
                return TRUE;
        }
    }
    return FALSE;
}
