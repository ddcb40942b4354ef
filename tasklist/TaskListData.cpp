#include "tasklist/TaskListData.h"

#include "core/DateTimeUtil.h"
#include "core/QuendalApp.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "tasklist/DlgTaskInfoInput.h"

#include <cerrno>
#include <cstdlib>

namespace {

const char kBodyLineMark = '\x1E';

// The years 1601 to 30827, all a calendar date of the system can hold.
const int64_t kFirstTime = -11644473600LL;  // 1601-01-01 00:00:00 UTC
const int64_t kLastTime = 910670515199LL;   // 30827-12-31 23:59:59 UTC

} // namespace

CDataStrgRecord* CTaskListData::CreateNewRecord()
{
    CTaskListRecord* r = new CTaskListRecord;
    r->m_nSerial = m_nNextSerial++;
    AddRecord(r);
    return r;
}

// Old files hold the low 32 bits of each time written unsigned, and were read
// back as a signed 32-bit value. Values below 2^31 mean what they always
// meant. 4294967295 is the -1 of "no time". The other values from 2^31 up to
// that were written for times after January 2038 and are taken unsigned, so
// those dates come back as they were set instead of as dates before 1970.
// Newer values (before 1970 or after 2106) are written as full signed
// decimals, which no old file holds. A value no calendar date can show was
// written by no one: it reads as 0, like one beyond 64 bits, so that the
// reminder's and the list's differences to now cannot overflow.
int64_t CTaskListData::ParseTime(const char* pszField)
{
    errno = 0;
    long long v = std::strtoll(pszField, nullptr, 10);
    if (errno == ERANGE || v < kFirstTime || v > kLastTime)
        return 0;
    if (v == 4294967295LL)
        return -1;
    return static_cast<int64_t>(v);
}

CString CTaskListData::FormatTime(int64_t t)
{
    CString s;
    s.Format("%lld", static_cast<long long>(t));
    return s;
}

CString CTaskListData::EncodeBody(const char* pszText)
{
    CString s(pszText);
    s.Replace("\r\n", CString(kBodyLineMark));
    // A lone CR or LF would end the record's line, a TAB shift its columns.
    s.Replace('\r', kBodyLineMark);
    s.Replace('\n', kBodyLineMark);
    s.Replace('\t', ' ');
    return s;
}

CString CTaskListData::DecodeBody(const char* pszField)
{
    CString s(pszField);
    s.Replace(CString(kBodyLineMark), "\r\n");
    return s;
}

BOOL CTaskListData::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    CTaskListRecord* r = static_cast<CTaskListRecord*>(pRecord);
    switch (nColumn) {
    case 0: r->m_nFolderId = atoi(pszField); break;
    case 1: r->m_strMailKey = pszField; break;
    case 2: r->m_strSubject = pszField; break;
    case 3: r->m_strFrom = pszField; break;
    case 4: r->m_strTo = pszField; break;
    case 5: r->m_strCc = pszField; break;
    case 6: r->m_tSend = ParseTime(pszField); break;
    case 7: r->m_tReceive = ParseTime(pszField); break;
    case 8: r->m_bHasDeadline = atoi(pszField) != 0; break;
    case 9: r->m_tDeadline = ParseTime(pszField); break;
    case 10: r->m_strMemo = pszField; break;
    case 11: r->m_bNotify = atoi(pszField) != 0; break;
    case 12: r->m_nLeadMinutes = atoi(pszField); break;
    case 13: r->m_nNotified = atoi(pszField); break;
    case 14: r->m_nNoticeAction = atoi(pszField); break;
    case 15: r->m_strNoticeSubject = pszField; break;
    case 16: r->m_strNoticeAccount = pszField; break;
    case 17: r->m_strNoticeTo = pszField; break;
    case 18: r->m_strNoticeBody = DecodeBody(pszField); break;
    default: break;
    }
    return TRUE;
}

void CTaskListData::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    const CTaskListRecord* r = static_cast<const CTaskListRecord*>(pRecord);
    CString line;
    line.Format("%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%d\t%s\t%s\t%d\t%d\t%d\t%d\t%s\t%s\t%s\t%s\r\n", r->m_nFolderId,
                CleanField(r->m_strMailKey).GetString(), CleanField(r->m_strSubject).GetString(),
                CleanField(r->m_strFrom).GetString(), CleanField(r->m_strTo).GetString(),
                CleanField(r->m_strCc).GetString(), FormatTime(r->m_tSend).GetString(),
                FormatTime(r->m_tReceive).GetString(), r->m_bHasDeadline ? 1 : 0,
                FormatTime(r->m_tDeadline).GetString(), CleanField(r->m_strMemo).GetString(), r->m_bNotify ? 1 : 0,
                r->m_nLeadMinutes, r->m_nNotified, r->m_nNoticeAction, CleanField(r->m_strNoticeSubject).GetString(),
                CleanField(r->m_strNoticeAccount).GetString(), CleanField(r->m_strNoticeTo).GetString(),
                EncodeBody(r->m_strNoticeBody).GetString());
    WriteLine(file, line);
}

CTaskListRecord* CTaskListData::FindBySerial(unsigned nSerial) const
{
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CTaskListRecord* r = GetTask(i);
        if (r && r->m_nSerial == nSerial)
            return r;
    }
    return nullptr;
}

CString CTaskListData::GetFolderName(CTaskListRecord* pRecord)
{
    if (!pRecord || pRecord->m_nFolderId == 0)
        return CString();
    if (!pRecord->m_pFolder) {
        CQuendalApp* app = QuendalApp();
        pRecord->m_pFolder = app ? app->FindFolder(pRecord->m_nFolderId) : nullptr;
    }
    return pRecord->m_pFolder ? pRecord->m_pFolder->GetFolderName() : CString();
}

BOOL CTaskListData::EditTask(int nIndex, CWnd* pParent)
{
    CDlgTaskInfoInput dlg(pParent);
    unsigned serial = 0;
    {
        CSingleLock lock(&m_lock, TRUE);
        CTaskListRecord* r = GetTask(nIndex);
        if (!r)
            return FALSE;
        serial = r->m_nSerial;
        dlg.LoadFrom(*r);
    }
    // The dialog runs without the lock: the reminder thread may deliver a
    // notice meanwhile; the task is found again by its serial.
    if (dlg.DoModal() != IDOK)
        return FALSE;
    CSingleLock lock(&m_lock, TRUE);
    CTaskListRecord* r = FindBySerial(serial);
    if (!r)
        return FALSE;
    dlg.StoreTo(*r);
    return TRUE;
}

void CTaskListData::MarkTaskOfMailDeleted(CMailFolderStore* pStore, CMailIndexRecord* pMail)
{
    if (!pStore || !pMail)
        return;
    CSingleLock lock(&m_lock, TRUE);
    CString key = pMail->GetText(CMailIndexRecord::colAttachDir);
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CTaskListRecord* r = GetTask(i);
        if (r && !r->m_bDeleted && r->m_nFolderId == pStore->GetFolderId() && r->m_strMailKey == key) {
            r->m_bDeleted = 1;
            return;
        }
    }
}

bool CTaskListData::RelinkMail(CMailFolderStore* pOldStore, CMailIndexRecord* pOldMail, CMailFolderStore* pNewStore,
                               CMailIndexRecord* pNewMail)
{
    if (!pOldStore || !pOldMail || !pNewStore || !pNewMail)
        return false;
    CSingleLock lock(&m_lock, TRUE);
    CString key = pOldMail->GetText(CMailIndexRecord::colAttachDir);
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CTaskListRecord* r = GetTask(i);
        if (!r || r->m_bDeleted || r->m_nFolderId != pOldStore->GetFolderId() || r->m_strMailKey != key)
            continue;
        r->m_nFolderId = pNewStore->GetFolderId();
        r->m_strMailKey = pNewMail->GetText(CMailIndexRecord::colAttachDir);
        r->m_strSubject = pNewMail->GetText(CMailIndexRecord::colSubject);
        r->m_strFrom = pNewMail->GetText(CMailIndexRecord::colFrom);
        r->m_strTo = pNewMail->GetText(CMailIndexRecord::colTo);
        r->m_strCc = pNewMail->GetText(CMailIndexRecord::colCc);
        r->m_tSend = ParseDateToLocalTime(pNewMail->GetText(CMailIndexRecord::colDate));
        r->m_tReceive = ParseDateToLocalTime(pNewMail->GetText(CMailIndexRecord::colReceived));
        r->m_pFolder = nullptr;
        return true;
    }
    return false;
}

BOOL CTaskListData::MarkNotified(unsigned nSerial)
{
    CSingleLock lock(&m_lock, TRUE);
    CTaskListRecord* r = FindBySerial(nSerial);
    if (!r)
        return FALSE;
    r->m_nNotified = 1;
    return WriteToFile();
}
