#include "tasklist/DlgTaskInfoInput.h"

#include "core/AccountCombo.h"
#include "core/DateTimeUtil.h"
#include "core/QuendalApp.h"
#include "resources/tasklist/TasklistResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "tasklist/TaskListData.h"

#include <commctrl.h>

namespace {

const char kTimeFormat[] = "%Y/%m/%d %H:%M:%S";
const int kMemoLimit = 600;

// The rich-edit class of the notice body, registered once for the process.
void EnsureRichEditClass()
{
    static HMODULE s_module = LoadLibraryA("RICHED20.DLL");
    (void)s_module;
    static bool s_common = [] {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES };
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)s_common;
}

// The rich-edit field counts its length in characters, not bytes: a buffer
// of that many bytes would cut a Japanese text short.
CString ReadRichEditText(HWND hEdit)
{
    int chars = static_cast<int>(::SendMessageA(hEdit, WM_GETTEXTLENGTH, 0, 0));
    int size = chars * 2 + 2;
    CString text;
    ::SendMessageA(hEdit, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text.GetBuffer(size)));
    text.ReleaseBuffer();
    return text;
}

SYSTEMTIME ToSystemTime(int64_t t)
{
    SYSTEMTIME st = {};
    CTime(t).GetAsSystemTime(st);
    return st;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgTaskInfoInput, CDialog)
    ON_BN_CLICKED(IDC_TASK_HAS_DEADLINE, OnSwitchChanged)
    ON_BN_CLICKED(IDC_TASK_NOTIFY, OnSwitchChanged)
    ON_BN_CLICKED(IDC_TASK_ACTION_STORE, OnSwitchChanged)
    ON_BN_CLICKED(IDC_TASK_ACTION_SEND, OnSwitchChanged)
    ON_BN_CLICKED(IDC_TASK_BROWSE_TO, OnBrowseTo)
END_MESSAGE_MAP()

CDlgTaskInfoInput::CDlgTaskInfoInput(CWnd* pParent) : CDialog(IDD_TASK_INFO, pParent)
{
    EnsureRichEditClass();
}

void CDlgTaskInfoInput::SetNewTask(int64_t now)
{
    m_bNewTask = TRUE;
    m_bHasDeadline = TRUE;
    m_bNotify = TRUE;
    m_tDeadline = now;
}

void CDlgTaskInfoInput::SetMailTexts(const char* pszSubject, const char* pszFrom, const char* pszTo,
                                     const char* pszSent, const char* pszReceived)
{
    m_strSubject = pszSubject;
    m_strFrom = pszFrom;
    m_strTo = pszTo;
    m_strSent = pszSent;
    m_strReceived = pszReceived;
}

void CDlgTaskInfoInput::LoadFrom(const CTaskListRecord& task)
{
    if (task.HasMail())
        SetMailTexts(task.m_strSubject, task.m_strFrom, task.m_strTo, CTime(task.m_tSend).Format(kTimeFormat),
                     CTime(task.m_tReceive).Format(kTimeFormat));
    m_bHasDeadline = task.m_bHasDeadline;
    m_tDeadline = task.m_bHasDeadline ? task.m_tDeadline : CTime::GetCurrentTime().GetTime();
    m_bNotify = task.m_bNotify;
    m_nLeadMinutes = task.m_nLeadMinutes;
    m_bNotified = task.m_nNotified > 0;
    m_nNoticeAction = task.m_nNoticeAction;
    m_strNoticeAccount = task.m_strNoticeAccount;
    m_strNoticeTo = task.m_strNoticeTo;
    m_strNoticeSubject = task.m_strNoticeSubject;
    m_strNoticeBody = task.m_strNoticeBody;
    m_strMemo = task.m_strMemo;
}

void CDlgTaskInfoInput::StoreTo(CTaskListRecord& task) const
{
    task.m_bHasDeadline = m_bHasDeadline;
    task.m_tDeadline = m_tDeadline;
    task.m_strMemo = m_strMemo;
    task.m_bNotify = m_bNotify;
    task.m_nLeadMinutes = m_nLeadMinutes;
    task.m_nNotified = m_bNotified ? 1 : 0;
    task.m_nNoticeAction = m_nNoticeAction;
    task.m_strNoticeSubject = m_strNoticeSubject;
    task.m_strNoticeAccount = m_strNoticeAccount;
    task.m_strNoticeTo = m_strNoticeTo;
    task.m_strNoticeBody = m_strNoticeBody;
}

BOOL CDlgTaskInfoInput::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_TASK_MAIL_SUBJECT, m_strSubject);
    SetDlgItemText(IDC_TASK_MAIL_FROM, m_strFrom);
    SetDlgItemText(IDC_TASK_MAIL_TO, m_strTo);
    SetDlgItemText(IDC_TASK_MAIL_SENT, m_strSent);
    SetDlgItemText(IDC_TASK_MAIL_RECEIVED, m_strReceived);

    CheckDlgButton(IDC_TASK_HAS_DEADLINE, m_bHasDeadline ? BST_CHECKED : BST_UNCHECKED);
    SYSTEMTIME st = ToSystemTime(m_tDeadline);
    ::SendMessageA(GetDlgItemHwnd(IDC_TASK_DATE), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    ::SendMessageA(GetDlgItemHwnd(IDC_TASK_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    CheckDlgButton(IDC_TASK_NOTIFY, m_bNotify ? BST_CHECKED : BST_UNCHECKED);
    CString lead;
    lead.Format("%d", m_nLeadMinutes);
    SetDlgItemText(IDC_TASK_LEAD, lead);
    CheckDlgButton(IDC_TASK_NOTIFIED, m_bNotified ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_nNoticeAction == 1 ? IDC_TASK_ACTION_SEND : IDC_TASK_ACTION_STORE, BST_CHECKED);

    HWND hAccount = GetDlgItemHwnd(IDC_TASK_ACCOUNT);
    AddAccountNamesToCombo(hAccount);
    LRESULT at = ::SendMessageA(hAccount, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(m_strNoticeAccount.GetString()));
    ::SendMessageA(hAccount, CB_SETCURSEL, at == CB_ERR ? 0 : at, 0);
    FillAccountAddressCombo(GetDlgItemHwnd(IDC_TASK_NOTICE_TO));
    SetDlgItemText(IDC_TASK_NOTICE_TO, m_strNoticeTo);
    SetDlgItemText(IDC_TASK_NOTICE_SUBJECT, m_strNoticeSubject);
    SetDlgItemText(IDC_TASK_NOTICE_BODY, m_strNoticeBody);

    HWND hMemo = GetDlgItemHwnd(IDC_TASK_MEMO);
    ::SendMessageA(hMemo, CB_LIMITTEXT, kMemoLimit, 0);
    if (CQuendalApp* app = QuendalApp())
        for (int i = 0; i < app->m_taskListComments.GetSize(); ++i)
            ::SendMessageA(hMemo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(app->m_taskListComments[i].GetString()));
    SetDlgItemText(IDC_TASK_MEMO, m_strMemo);
    UpdateEnabling();
    return TRUE;
}

void CDlgTaskInfoInput::UpdateEnabling()
{
    bool deadline = IsDlgButtonChecked(IDC_TASK_HAS_DEADLINE) == BST_CHECKED;
    bool notify = deadline && IsDlgButtonChecked(IDC_TASK_NOTIFY) == BST_CHECKED;
    bool send = notify && IsDlgButtonChecked(IDC_TASK_ACTION_SEND) == BST_CHECKED;
    for (int id : { IDC_TASK_DATE, IDC_TASK_TIME, IDC_TASK_NOTIFY })
        ::EnableWindow(GetDlgItemHwnd(id), deadline);
    for (int id : { IDC_TASK_LEAD, IDC_TASK_LEAD_LABEL, IDC_TASK_NOTIFIED, IDC_TASK_ACTION_STORE,
                    IDC_TASK_ACTION_SEND, IDC_TASK_NOTICE_SUBJECT, IDC_TASK_NOTICE_SUBJECT_LABEL,
                    IDC_TASK_NOTICE_BODY, IDC_TASK_NOTICE_BODY_LABEL })
        ::EnableWindow(GetDlgItemHwnd(id), notify);
    for (int id : { IDC_TASK_ACCOUNT, IDC_TASK_ACCOUNT_LABEL, IDC_TASK_NOTICE_TO, IDC_TASK_NOTICE_TO_LABEL,
                    IDC_TASK_BROWSE_TO })
        ::EnableWindow(GetDlgItemHwnd(id), send);
}

void CDlgTaskInfoInput::OnSwitchChanged() { UpdateEnabling(); }

void CDlgTaskInfoInput::OnBrowseTo()
{
    if (CQuendalApp* app = QuendalApp())
        app->OpenAddressBook(this, 5);
}

void CDlgTaskInfoInput::OnOK()
{
    m_bHasDeadline = IsDlgButtonChecked(IDC_TASK_HAS_DEADLINE) == BST_CHECKED;
    SYSTEMTIME date = {}, time = {};
    bool hasDate = ::SendMessageA(GetDlgItemHwnd(IDC_TASK_DATE), DTM_GETSYSTEMTIME, 0,
                                  reinterpret_cast<LPARAM>(&date)) == GDT_VALID;
    bool hasTime = ::SendMessageA(GetDlgItemHwnd(IDC_TASK_TIME), DTM_GETSYSTEMTIME, 0,
                                  reinterpret_cast<LPARAM>(&time)) == GDT_VALID;
    if (hasDate && hasTime)
        m_tDeadline = CTime(date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute, time.wSecond).GetTime();
    else
        m_tDeadline = -1;
    m_bNotify = IsDlgButtonChecked(IDC_TASK_NOTIFY) == BST_CHECKED;
    m_nLeadMinutes = atoi(GetDlgItemText(IDC_TASK_LEAD));
    m_bNotified = IsDlgButtonChecked(IDC_TASK_NOTIFIED) == BST_CHECKED;
    m_nNoticeAction = IsDlgButtonChecked(IDC_TASK_ACTION_SEND) == BST_CHECKED ? 1 : 0;
    m_strNoticeAccount = GetDlgItemText(IDC_TASK_ACCOUNT);
    m_strNoticeTo = GetDlgItemText(IDC_TASK_NOTICE_TO);
    m_strNoticeSubject = GetDlgItemText(IDC_TASK_NOTICE_SUBJECT);
    m_strNoticeBody = ReadRichEditText(GetDlgItemHwnd(IDC_TASK_NOTICE_BODY));
    // The rich-edit field ends its lines with a bare CR.
    m_strNoticeBody.Replace("\r\n", "\r");
    m_strNoticeBody.Replace("\r", "\r\n");
    m_strMemo = GetDlgItemText(IDC_TASK_MEMO);
    CDialog::OnOK();
}

BOOL AddTaskForMail(CMailIndexRecord* pMail, CMailFolderStore* pStore, CTaskListData* pTable, CWnd* pParent)
{
    if (!pTable)
        return FALSE;
    CDlgTaskInfoInput dlg(pParent);
    if (pMail) {
        dlg.SetMailTexts(pMail->GetText(CMailIndexRecord::colSubject), pMail->GetText(CMailIndexRecord::colFrom),
                         pMail->GetText(CMailIndexRecord::colTo), pMail->GetText(CMailIndexRecord::colDate),
                         pMail->GetText(CMailIndexRecord::colReceived));
        dlg.m_bNewTask = TRUE;
        dlg.m_tDeadline = CTime::GetCurrentTime().GetTime();
    } else {
        dlg.SetNewTask(CTime::GetCurrentTime().GetTime());
    }
    if (dlg.DoModal() != IDOK)
        return FALSE;
    CSingleLock lock(&pTable->Lock(), TRUE);
    pTable->GetRecordCount();  // read the file first, so that the new task is appended to it
    CTaskListRecord* task = static_cast<CTaskListRecord*>(pTable->CreateNewRecord());
    if (pMail) {
        task->m_nFolderId = pStore ? pStore->GetFolderId() : 0;
        task->m_strMailKey = pMail->GetText(CMailIndexRecord::colAttachDir);
        task->m_strSubject = pMail->GetText(CMailIndexRecord::colSubject);
        task->m_strFrom = pMail->GetText(CMailIndexRecord::colFrom);
        task->m_strTo = pMail->GetText(CMailIndexRecord::colTo);
        task->m_strCc = pMail->GetText(CMailIndexRecord::colCc);
        task->m_tSend = ParseDateToLocalTime(pMail->GetText(CMailIndexRecord::colDate));
        task->m_tReceive = ParseDateToLocalTime(pMail->GetText(CMailIndexRecord::colReceived));
        task->m_pFolder = pStore;
    }
    dlg.StoreTo(*task);
    return TRUE;
}
