#include "transfer/DivideupDataSet.h"

#include "classlib/Mbcs.h"
#include "core/LogWriter.h"
#include "message/MailMessage.h"
#include "transfer/ConditionItems.h"

#include <cstdlib>
#include <cstring>

namespace {

int ToInt(const char* pszText)
{
    return static_cast<int>(std::strtol(pszText, nullptr, 10));
}

BOOL ToFlag(const char* pszText)
{
    return ToInt(pszText) != 0;
}

} // namespace

CDataStrgRecord* CDivideupDataSet::CreateNewRecord()
{
    CDivideupData* r = new CDivideupData;
    AddRecord(r);
    return r;
}

BOOL CDivideupDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pRecord || !pszField)
        return FALSE;
    CDivideupData* r = static_cast<CDivideupData*>(pRecord);
    if (r->m_nIndex >= 0) {
        if (static_cast<size_t>(r->m_nIndex) >= m_lastColumn.size())
            m_lastColumn.resize(static_cast<size_t>(r->m_nIndex) + 1, -1);
        m_lastColumn[static_cast<size_t>(r->m_nIndex)] = nColumn;
    }
    switch (nColumn) {
    case CDivideupData::colHeader1: r->m_strHeader1 = pszField; break;
    case CDivideupData::colString1: r->m_strString1 = pszField; break;
    case CDivideupData::colHeader2: r->m_strHeader2 = pszField; break;
    case CDivideupData::colString2: r->m_strString2 = pszField; break;
    case CDivideupData::colFolderId: r->m_nFolderId = ToInt(pszField); break;
    case CDivideupData::colLeaveOnServer: r->m_bLeaveOnServer = ToFlag(pszField); break;
    case CDivideupData::colOrMode: r->m_bOrMode = ToFlag(pszField); break;
    case CDivideupData::colNegate1: r->m_bNegate1 = ToFlag(pszField); break;
    case CDivideupData::colNegate2: r->m_bNegate2 = ToFlag(pszField); break;
    case CDivideupData::colDeleteOnServer: r->m_bDeleteOnServer = ToFlag(pszField); break;
    case CDivideupData::colNotReceive: r->m_bNotReceive = ToFlag(pszField); break;
    case CDivideupData::colUseColorLabel: r->m_bUseColorLabel = ToFlag(pszField); break;
    case CDivideupData::colColorLabel: r->m_nColorLabel = ToInt(pszField); break;
    case CDivideupData::colCustomColor: r->m_crCustomColor = static_cast<COLORREF>(ToInt(pszField)); break;
    case CDivideupData::colNoFolderMove: r->m_bNoFolderMove = ToFlag(pszField); break;
    case CDivideupData::colMarkRead: r->m_bMarkRead = ToFlag(pszField); break;
    case CDivideupData::colProtected: r->m_nProtected = ToInt(pszField); break;
    default: break;  // columns of later versions are accepted and ignored
    }
    return TRUE;
}

void CDivideupDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    const CDivideupData* r = static_cast<const CDivideupData*>(pRecord);
    CString line;
    line.Format("%s\t%s\t%s\t%s\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\r\n",
                CleanField(r->m_strHeader1).GetString(), CleanField(r->m_strString1).GetString(),
                CleanField(r->m_strHeader2).GetString(), CleanField(r->m_strString2).GetString(), r->m_nFolderId,
                r->m_bLeaveOnServer ? 1 : 0, r->m_bOrMode ? 1 : 0, r->m_bNegate1 ? 1 : 0, r->m_bNegate2 ? 1 : 0,
                r->m_bDeleteOnServer ? 1 : 0, r->m_bNotReceive ? 1 : 0, r->m_bUseColorLabel ? 1 : 0,
                r->m_nColorLabel, static_cast<int>(r->m_crCustomColor), r->m_bNoFolderMove ? 1 : 0,
                r->m_bMarkRead ? 1 : 0, r->m_nProtected);
    WriteLine(file, line);
}

BOOL CDivideupDataSet::ReadFromFile(BOOL bClear)
{
    m_lastColumn.clear();
    m_nDropped = 0;
    int first = bClear ? 0 : GetRuleCount();
    BOOL ok = CQDDataStrgSet::ReadFromFile(bClear);
    // A rule cut before its target folder, or one whose condition names no
    // header, would file mail by a guess: it is left out (and stays out of
    // the file at the next save), and the log says which line went.
    for (int i = GetRuleCount() - 1; i >= first; --i) {
        CDivideupData* r = GetRule(i);
        int last = static_cast<size_t>(i) < m_lastColumn.size() ? m_lastColumn[static_cast<size_t>(i)] : -1;
        const char* reason = nullptr;
        if (last < CDivideupData::colFolderId)
            reason = "列が足りません";
        else if (!IsUsableConditionKey(r->m_strHeader1) || !IsUsableConditionKey(r->m_strHeader2))
            reason = "条件の項目が不正です";
        if (!reason)
            continue;
        CString line;
        line.Format("振り分け設定[%s]の%d番目の設定を読み飛ばしました（%s）",
                    m_strFilePath.GetString(), i - first + 1, reason);
        WriteLogLine(line);
        RemoveRecord(r);
        ++m_nDropped;
    }
    m_lastColumn.clear();
    return ok;
}

CDivideupData* CDivideupDataSet::AddRule(const CDivideupData& rule)
{
    CDivideupData* r = new CDivideupData;
    rule.CopyTo(*r);
    AddRecord(r);
    return r;
}

CString CDivideupDataSet::GetFileName() const
{
    const char* path = m_strFilePath;
    size_t len = std::strlen(path);
    size_t start = 0;
    for (size_t i = 0; i < len; i += Mbcs::CharLength(path + i, len - i))
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            start = i + 1;
    return CString(path + start);
}

BOOL CDivideupDataSet::BuildReceiveRuleList()
{
    m_receiveRules.clear();
    for (int i = 0; i < GetRuleCount(); ++i) {
        CDivideupData* r = GetRule(i);
        if (r && !r->m_bDeleted && r->m_bNotReceive && r->CanMatch())
            m_receiveRules.push_back(i);
    }
    return m_receiveRules.empty() ? FALSE : TRUE;
}

BOOL CDivideupDataSet::AnyRuleCanMatch() const
{
    for (int i = 0; i < GetRuleCount(); ++i) {
        CDivideupData* r = GetRule(i);
        if (r && !r->m_bDeleted && r->CanMatch())
            return TRUE;
    }
    return FALSE;
}

CDivideupData* CDivideupDataSet::FindFirstMatch(const CMailMessage& header, int nSize) const
{
    for (int i = 0; i < GetRuleCount(); ++i) {
        CDivideupData* r = GetRule(i);
        if (r && !r->m_bDeleted && r->Match(header, nSize))
            return r;
    }
    return nullptr;
}

int CDivideupDataSet::CheckBeforeDownload(const CMailMessage& header, int nSize) const
{
    if (m_receiveRules.empty())
        return kDownload;
    CDivideupData* r = FindFirstMatch(header, nSize);
    if (!r || !r->m_bNotReceive)
        return kDownload;
    return r->m_bDeleteOnServer ? kSkipDelete : kSkipLeave;
}

DivideupReceiveTarget CDivideupDataSet::FindReceiveTarget(const CMailMessage& header, int nSize) const
{
    DivideupReceiveTarget t;
    CDivideupData* labelRule = nullptr;
    for (int i = 0; i < GetRuleCount(); ++i) {
        CDivideupData* r = GetRule(i);
        if (!r || r->m_bDeleted || !r->Match(header, nSize))
            continue;
        t.bMatched = TRUE;
        t.bLeaveOnServer = r->m_bLeaveOnServer;
        t.bDeleteOnServer = r->m_bDeleteOnServer;
        if (r->m_bNoFolderMove) {
            if (!labelRule)
                labelRule = r;
            continue;
        }
        t.nFolderId = r->m_nFolderId;
        t.pRule = labelRule ? labelRule : r;
        return t;
    }
    t.pRule = labelRule;
    return t;
}

int CDivideupDataSet::RetargetFolder(int nOldFolderId, int nNewFolderId)
{
    int changed = 0;
    for (int i = 0; i < GetRuleCount(); ++i) {
        CDivideupData* r = GetRule(i);
        if (r && r->m_nFolderId == nOldFolderId) {
            r->m_nFolderId = nNewFolderId;
            ++changed;
        }
    }
    return changed;
}

BOOL CDivideupDataSet::IsValidSetName(const char* pszName)
{
    if (!pszName || !*pszName)
        return FALSE;
    size_t len = std::strlen(pszName);
    for (size_t i = 0; i < len;) {
        size_t n = Mbcs::CharLength(pszName + i, len - i);
        unsigned char c = static_cast<unsigned char>(pszName[i]);
        if (n == 1 && (c < 0x20 || std::strchr("\\/:*?\"<>|", c)))
            return FALSE;
        i += n;
    }
    CString name(pszName);
    if (name.Find("..") >= 0 || name == ".")
        return FALSE;
    // The platform ignores trailing blanks and dots, so "a." and "a" would
    // be one file under two names.
    char lastChar = pszName[len - 1];
    if ((lastChar == ' ' || lastChar == '.') && !Mbcs::IsTrailByteAt(pszName, len, len - 1))
        return FALSE;
    // Device names are reserved with any extension.
    CString base = name;
    int dot = base.Find('.');
    if (dot >= 0)
        base = base.Left(dot);
    base.TrimRight();
    static const char* const kDevices[] = { "CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$" };
    for (const char* d : kDevices)
        if (base.CompareNoCase(d) == 0)
            return FALSE;
    if (base.GetLength() == 4 && (base.Left(3).CompareNoCase("COM") == 0 || base.Left(3).CompareNoCase("LPT") == 0) &&
        base[3] >= '0' && base[3] <= '9')
        return FALSE;
    return TRUE;
}
