#include "net/ReceivedIdList.h"

#include "core/FileUtil.h"

#include <ctime>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// An id as a key of the lookup tables; valid while its record is unchanged.
std::string_view IdView(const CReceivedIdRecord& record)
{
    return std::string_view(record.m_strId.GetString(), static_cast<size_t>(record.m_strId.GetLength()));
}

} // namespace

CString CReceivedIdList::FileNameFor(const char* pszAccountName)
{
    return "CVMUidl_" + MakeValidFileName(pszAccountName ? pszAccountName : "") + ".dat";
}

int64_t CReceivedIdList::CurrentTime()
{
    return static_cast<int64_t>(time(nullptr));
}

CString CReceivedIdList::CurrentStamp()
{
    return FormatString("%lld", static_cast<long long>(CurrentTime()));
}

CDataStrgRecord* CReceivedIdList::CreateNewRecord()
{
    auto* pRecord = new CReceivedIdRecord;
    AddRecord(pRecord);
    return pRecord;
}

BOOL CReceivedIdList::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* p = static_cast<CReceivedIdRecord*>(pRecord);
    if (!p || !pszField)
        return FALSE;
    switch (nColumn) {
    case 0:
        // A line without an id is the fault this list must never repeat.
        if (!*pszField)
            return FALSE;
        p->m_strId = pszField;
        break;
    case 1:
        p->m_nNumber = atoi(pszField);
        break;
    case 2:
        p->m_strStamp = pszField;
        break;
    case 3:
        p->m_nPendingFolder = atoi(pszField);
        break;
    case 4:
        p->m_strPendingName = pszField;
        break;
    default:
        break;
    }
    return TRUE;
}

void CReceivedIdList::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* p = static_cast<CReceivedIdRecord*>(pRecord);
    if (p->m_strStamp.IsEmpty())
        p->m_strStamp = CurrentStamp();
    if (!p->m_strPendingName.IsEmpty()) {
        WriteLine(file, FormatString("%s\t%d\t%s\t%d\t%s\r\n", CleanField(p->m_strId).GetString(), p->m_nNumber,
                                     p->m_strStamp.GetString(), p->m_nPendingFolder,
                                     CleanField(p->m_strPendingName).GetString()));
        return;
    }
    WriteLine(file, FormatString("%s\t%d\t%s\r\n", CleanField(p->m_strId).GetString(), p->m_nNumber,
                                 p->m_strStamp.GetString()));
}

void CReceivedIdList::EnsureLoaded()
{
    if (!IsLoaded() && !GetFilePath().IsEmpty())
        ReadFromFile(TRUE);
}

CReceivedIdRecord* CReceivedIdList::FindId(const char* pszId)
{
    if (!pszId || !*pszId)
        return nullptr;
    EnsureLoaded();
    for (int i = 0; i < m_records.GetSize(); i++) {
        auto* p = GetIdRecord(i);
        if (p && !p->m_bDeleted && p->m_strId == pszId)
            return p;
    }
    return nullptr;
}

BOOL CReceivedIdList::MarkIdDeleted(const char* pszId)
{
    CReceivedIdRecord* p = FindId(pszId);
    if (!p)
        return FALSE;
    MarkRecordDeleted(p);
    return TRUE;
}

CString CReceivedIdList::GetStamp(const char* pszId)
{
    CReceivedIdRecord* p = FindId(pszId);
    return p ? p->m_strStamp : CString();
}

CReceivedIdRecord* CReceivedIdList::AddId(const char* pszId, int nNumber, const char* pszStamp)
{
    if (!pszId || !*pszId)
        return nullptr;
    CReceivedIdRecord* p = FindId(pszId);
    if (!p) {
        p = new CReceivedIdRecord;
        p->m_strId = CleanField(pszId);
        AddRecord(p);
    }
    p->m_nNumber = nNumber;
    p->m_strStamp = pszStamp && *pszStamp ? CString(pszStamp) : CurrentStamp();
    p->m_nPendingFolder = 0;
    p->m_strPendingName.Empty();
    return p;
}

BOOL CReceivedIdList::AddIdAndSave(const char* pszId, int nNumber, const char* pszStamp)
{
    CReceivedIdRecord* pOld = FindId(pszId);
    // A pending record is confirmed by a line of its own after it.
    bool bExisted = pOld != nullptr && pOld->m_strPendingName.IsEmpty();
    CReceivedIdRecord* p = AddId(pszId, nNumber, pszStamp);
    if (!p)
        return FALSE;
    if (!m_bSavedInPass || bExisted) {
        m_bSavedInPass = TRUE;
        return WriteToFile(FALSE);
    }
    return AppendRecordToFile(p);
}

BOOL CReceivedIdList::AddPendingAndSave(const char* pszId, int nNumber, int nFolderId, const char* pszMailName)
{
    if (FindId(pszId) && !FindId(pszId)->m_strPendingName.IsEmpty())
        MarkIdDeleted(pszId);
    bool bExisted = FindId(pszId) != nullptr;
    CReceivedIdRecord* p = AddId(pszId, nNumber, "");
    if (!p)
        return FALSE;
    p->m_nPendingFolder = nFolderId;
    p->m_strPendingName = pszMailName;
    if (!m_bSavedInPass || bExisted) {
        m_bSavedInPass = TRUE;
        return WriteToFile(FALSE);
    }
    return AppendRecordToFile(p);
}

bool CReceivedIdList::ResolvePending(const std::function<bool(int nFolderId, const CString& strMailName)>& isFiled)
{
    EnsureLoaded();
    const int count = m_records.GetSize();
    // Whether a later received (not pending) line confirms each pending one,
    // found in one pass from the end with the ids met so far.
    std::vector<bool> confirmed(static_cast<size_t>(count), false);
    {
        std::unordered_set<std::string_view> received;
        for (int i = count - 1; i >= 0; i--) {
            auto* p = GetIdRecord(i);
            if (!p || p->m_bDeleted)
                continue;
            if (!p->m_strPendingName.IsEmpty())
                confirmed[static_cast<size_t>(i)] = received.count(IdView(*p)) > 0;
            else
                received.insert(IdView(*p));
        }
    }
    bool bChanged = false;
    for (int i = 0; i < count; i++) {
        auto* p = GetIdRecord(i);
        if (!p || p->m_bDeleted || p->m_strPendingName.IsEmpty())
            continue;
        if (confirmed[static_cast<size_t>(i)] || !isFiled(p->m_nPendingFolder, p->m_strPendingName)) {
            // Confirmed by a later line, or never filed: the server still
            // has the mail as new.
            MarkRecordDeleted(p);
        } else {
            p->m_nPendingFolder = 0;
            p->m_strPendingName.Empty();
        }
        bChanged = true;
    }
    // Lines of the same id kept once: the last one.
    std::unordered_set<std::string_view> later;
    for (int i = count - 1; i >= 0; i--) {
        auto* p = GetIdRecord(i);
        if (!p || p->m_bDeleted)
            continue;
        if (!later.insert(IdView(*p)).second) {
            MarkRecordDeleted(p);
            bChanged = true;
        }
    }
    return bChanged;
}

CReceivedIdList::FilingNote CReceivedIdList::FindFilingNote(int nFolderId, const char* pszMailName)
{
    if (!pszMailName || !*pszMailName)
        return FilingNote::none;
    EnsureLoaded();
    const int count = m_records.GetSize();
    for (int i = 0; i < count; i++) {
        auto* p = GetIdRecord(i);
        if (!p || p->m_bDeleted || p->m_nPendingFolder != nFolderId || p->m_strPendingName != pszMailName)
            continue;
        for (int j = i + 1; j < count; j++) {
            auto* q = GetIdRecord(j);
            if (q && !q->m_bDeleted && q->m_strPendingName.IsEmpty() && q->m_strId == p->m_strId)
                return FilingNote::confirmed;
        }
        return FilingNote::unconfirmed;
    }
    return FilingNote::none;
}

void CReceivedIdList::CopyFrom(CReceivedIdList& other)
{
    if (other.GetLiveCount() == 0)
        return;
    EnsureLoaded();
    // The first live record of each id, as FindId would find it.
    std::unordered_map<std::string_view, CReceivedIdRecord*> known;
    for (int i = 0; i < m_records.GetSize(); i++) {
        auto* p = GetIdRecord(i);
        if (p && !p->m_bDeleted)
            known.emplace(IdView(*p), p);
    }
    for (int i = 0; i < other.m_records.GetSize(); i++) {
        auto* p = other.GetIdRecord(i);
        if (!p || p->m_bDeleted || p->m_strId.IsEmpty())
            continue;
        auto it = known.find(IdView(*p));
        CReceivedIdRecord* q = it != known.end() ? it->second : nullptr;
        if (!q) {
            q = new CReceivedIdRecord;
            q->m_strId = CleanField(p->m_strId);
            AddRecord(q);
            known.emplace(IdView(*q), q);
        }
        q->m_nNumber = p->m_nNumber;
        q->m_strStamp = p->m_strStamp.IsEmpty() ? CurrentStamp() : p->m_strStamp;
        q->m_nPendingFolder = 0;
        q->m_strPendingName.Empty();
    }
}

void CReceivedIdList::AppendId(const char* pszId, int nNumber)
{
    if (!pszId || !*pszId)
        return;
    auto* p = new CReceivedIdRecord;
    p->m_strId = CleanField(pszId);
    p->m_nNumber = nNumber;
    AddRecord(p);
}

int CReceivedIdList::GetLiveCount()
{
    EnsureLoaded();
    int n = 0;
    for (int i = 0; i < m_records.GetSize(); i++) {
        auto* p = GetIdRecord(i);
        if (p && !p->m_bDeleted)
            n++;
    }
    return n;
}
