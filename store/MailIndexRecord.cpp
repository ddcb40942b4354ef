#include "store/MailIndexRecord.h"

#include "classlib/ByteSearch.h"
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

const COLORREF kLabelColors[16] = {
    0, 0x7F0000, 0x007F00, 0x7F7F00, 0x00007F, 0x7F007F, 0x007F7F, 0x7F7F7F,
    0x3F3F3F, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

} // namespace

CMailIndexRecord::CMailIndexRecord()
{
    m_strText[colCharset] = "ISO-2022-JP";
}

CMailIndexRecord::~CMailIndexRecord()
{
    delete m_pChildren;
}

void CMailIndexRecord::SetText(int nColumn, const char* pszText)
{
    SetText(nColumn, pszText, pszText ? strlen(pszText) : 0);
}

void CMailIndexRecord::SetText(int nColumn, const char* pText, size_t nLength)
{
    if (nColumn < 0 || nColumn >= columnCount)
        return;
    // A text ends at a NUL byte, as a C string would.
    const char* nul = pText ? ByteSearch::Find(pText, nLength, '\0') : nullptr;
    if (nul)
        nLength = static_cast<size_t>(nul - pText);
    m_strText[nColumn] = CString(pText, static_cast<int>(nLength));
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
        m_nSubjectNoTag = StoreText::SkipSubjectTag(m_strText[colSubject]);
    return m_strText[colSubject].GetString() + m_nSubjectNoTag;
}

const char* CMailIndexRecord::GetSortSubject()
{
    if (m_nSortSubject < 0)
        m_nSortSubject = StoreText::SortSubjectOffset(m_strText[colSubject]);
    return m_strText[colSubject].GetString() + m_nSortSubject;
}

const CString& CMailIndexRecord::GetFromAddress()
{
    if (!m_bFromAddressValid) {
        m_strFromAddress = StoreText::BareAddress(m_strText[colFrom]);
        m_bFromAddressValid = true;
    }
    return m_strFromAddress;
}

int64_t CMailIndexRecord::GetSendTime()
{
    if (!m_bSendTimeValid) {
        m_tSend = StoreText::ParseDate(m_strText[colDate]);
        m_bSendTimeValid = true;
    }
    return m_tSend;
}

int64_t CMailIndexRecord::GetSendLocalTime()
{
    if (!m_bSendLocalValid) {
        m_tSendLocal = StoreText::ParseDateLocal(m_strText[colDate]);
        m_bSendLocalValid = true;
    }
    return m_tSendLocal;
}

int64_t CMailIndexRecord::GetReceiveTime()
{
    if (!m_bRecvTimeValid) {
        m_tRecv = StoreText::ParseDate(m_strText[colReceived]);
        m_bRecvTimeValid = true;
    }
    return m_tRecv;
}

void CMailIndexRecord::ResetDateCache()
{
    m_bSendTimeValid = m_bSendLocalValid = m_bRecvTimeValid = false;
}

BOOL CMailIndexRecord::MatchColumn(int nColumn, const char* pszUpper) const
{
    if (nColumn < colSubject || nColumn > colCc || !pszUpper)
        return FALSE;
    CString upper = m_strText[nColumn];
    upper.MakeUpper();
    return upper.Find(pszUpper) >= 0;
}

CString CMailIndexRecord::GetAttachFolder(const char* pszFolderDir) const
{
    CString path(pszFolderDir);
    if (!path.IsEmpty() && path[path.GetLength() - 1] != '\\')
        path += '\\';
    path += "Attach";
    if (!m_strText[colAttachDir].IsEmpty())
        path += "\\" + m_strText[colAttachDir];
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
        SetText(i, src.m_strText[i]);
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
        const std::string& s = m_strText[i].Str();
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
