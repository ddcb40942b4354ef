#include "store/DlgDeleteHistory.h"

#include "core/DateTimeUtil.h"
#include "resources/import/ImportResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

namespace {

const UINT kRestoreDeletedMail = 1430;

CString DisplayDate(const CString& normalized)
{
    return normalized.IsEmpty() ? CString() : FormatDateTextAsLocal(normalized);
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgDeleteHistory, CDialog)
    ON_BN_CLICKED(IDC_DELETE_HISTORY_RESTORE, OnRestore)
    ON_NOTIFY(LVN_ITEMACTIVATE, IDC_DELETE_HISTORY_LIST, OnItemActivate)
END_MESSAGE_MAP()

CDlgDeleteHistory::CDlgDeleteHistory(CWnd* pParent, const History& history)
    : CDialog(IDD_DELETE_HISTORY, pParent), m_history(history), m_pApp(QuendalApp())
{
}

BOOL CDlgDeleteHistory::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list.m_hWnd)
        m_list.Detach();
    m_list.Attach(GetDlgItemHwnd(IDC_DELETE_HISTORY_LIST));
    ::SetWindowLongPtrA(m_list.m_hWnd, GWL_STYLE,
                        ::GetWindowLongPtrA(m_list.m_hWnd, GWL_STYLE) | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS);
    m_list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                       LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list.InsertColumn(0, "件名", LVCFMT_LEFT, 200);
    m_list.InsertColumn(1, "差出人", LVCFMT_LEFT, 150);
    m_list.InsertColumn(2, "送信日時", LVCFMT_LEFT, 80);
    m_list.InsertColumn(3, "受信日時", LVCFMT_LEFT, 80);
    m_list.InsertColumn(4, "サイズ", LVCFMT_RIGHT, 60);
    m_list.InsertColumn(5, "フォルダ", LVCFMT_RIGHT, 80);

    // One row per entry, also for a mail whose folder is gone, so that a
    // row's position is always its entry's position in the history.
    for (int i = 0; i < m_history.GetSize(); ++i) {
        const CQuendalApp::DeletedMail& entry = m_history[i];
        CMailFolderStore* store = nullptr;
        CMailIndexRecord* record = m_pApp ? m_pApp->FindDeletedMail(entry, &store) : nullptr;
        int row = m_list.InsertItem(i, record ? record->GetText(CMailIndexRecord::colSubject).GetString() : "", 0);
        if (record) {
            m_list.SetItemText(row, 1, record->GetText(CMailIndexRecord::colFrom));
            m_list.SetItemText(row, 2, DisplayDate(record->GetText(CMailIndexRecord::colDate)));
            m_list.SetItemText(row, 3, DisplayDate(record->GetText(CMailIndexRecord::colReceived)));
            m_list.SetItemText(row, 4, FormatString("%d", record->m_nTotalSize));
        }
        if (store)
            m_list.SetItemText(row, 5, store->GetFolderName());
    }
    int last = m_list.GetItemCount() - 1;
    if (last >= 0) {
        m_list.SetItemState(last, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(last), FALSE);
    }
    return TRUE;
}

void CDlgDeleteHistory::RestoreRow(int nRow)
{
    DWORD thread = m_pApp && m_pApp->m_nThreadID ? m_pApp->m_nThreadID : GetCurrentThreadId();
    ::PostThreadMessageA(thread, kRestoreDeletedMail, 0, nRow);
    m_list.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nRow));
}

void CDlgDeleteHistory::OnRestore()
{
    // Each row removed moves the later rows up by one: the next selected row
    // is searched from the position of the one just restored.
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    while (row >= 0) {
        RestoreRow(row);
        row = m_list.GetNextItem(row - 1, LVNI_SELECTED);
    }
}

void CDlgDeleteHistory::OnItemActivate(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* item = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    if (item->iItem >= 0 && item->iItem < m_list.GetItemCount())
        RestoreRow(item->iItem);
    *pResult = 0;
}
