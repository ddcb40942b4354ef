#include "net/ReceivedIdList.h"

#include <ctime>
#include <functional>

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
    bool bChanged = false;
    for (int i = 0; i < m_records.GetSize(); i++) {
        auto* p = GetIdRecord(i);
        if (!p || p->m_bDeleted || p->m_strPendingName.IsEmpty())
            continue;
        bool bConfirmed = false;
        for (int j = i + 1; j < m_records.GetSize() && !bConfirmed; j++) {
            auto* q = GetIdRecord(j);
            bConfirmed = q && !q->m_bDeleted && q->m_strPendingName.IsEmpty() && q->m_strId == p->m_strId;
        }
        if (bConfirmed || !isFiled(p->m_nPendingFolder, p->m_strPendingName)) {
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
    for (int i = 0; i < m_records.GetSize(); i++) {
        auto* p = GetIdRecord(i);
        if (!p || p->m_bDeleted)
            continue;
        for (int j = i + 1; j < m_records.GetSize(); j++) {
            auto* q = GetIdRecord(j);
            if (q && !q->m_bDeleted && q->m_strId == p->m_strId) {
                MarkRecordDeleted(p);
                bChanged = true;
                break;
            }
        }
    }
    return bChanged;
}

void CReceivedIdList::CopyFrom(CReceivedIdList& other)
{
    other.EnsureLoaded();
    for (int i = 0; i < other.m_records.GetSize(); i++) {
        auto* p = other.GetIdRecord(i);
        if (p && !p->m_bDeleted)
            AddId(p->m_strId, p->m_nNumber, p->m_strStamp);
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
