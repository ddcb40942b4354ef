#include "settings/DlgAccountSetting.h"

#include "resources/settings/SettingsResource.h"
#include "settings/AccountFieldExchange.h"
#include "settings/DlgInputAccountName.h"
#include "settings/PropertyAccountConnect.h"
#include "settings/PropertyAccountCreate.h"
#include "settings/PropertyAccountInfo.h"
#include "settings/PropertyAccountReceive.h"
#include "settings/PropertyAccountSend.h"

#include <commctrl.h>

namespace {

const UINT kSelectionSettled = WM_APP + 1;

} // namespace

CDlgAccountSetting::CDlgAccountSetting(const CString& accountFile, const CString& signatureFolder,
                                       const CString& templateFolder, int nCurrentAccount, CWnd* pParent)
    : CDialog(IDD_ACCOUNT_SETTING, pParent), m_strSignatureFolder(signatureFolder),
      m_strTemplateFolder(templateFolder), m_nCurrentAccount(nCurrentAccount)
{
    m_accounts.SetFilePath(accountFile);
}

CDlgAccountSetting::~CDlgAccountSetting()
{
    if (m_hImages)
        ImageList_Destroy(m_hImages);
}

BOOL CDlgAccountSetting::OnInitDialog()
{
    m_hList = GetDlgItemHwnd(IDC_ACC_LIST);
    m_hImages = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    if (HICON icon = static_cast<HICON>(::LoadImageA(nullptr, MAKEINTRESOURCEA(32517), IMAGE_ICON, 16, 16, LR_SHARED)))
        ImageList_AddIcon(m_hImages, icon);
    ListView_SetImageList(m_hList, m_hImages, LVSIL_SMALL);
    RECT rc;
    ::GetClientRect(m_hList, &rc);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = rc.right - 4;
    ::SendMessageA(m_hList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

    HWND area = GetDlgItemHwnd(IDC_ACC_TAB);
    ::GetWindowRect(area, &rc);
    ScreenToClient(&rc);
    m_tab.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, rc, this, IDC_ACC_TAB + 1000);
    m_pInfo = new CPropertyAccountInfo(&m_fields);
    m_pConnect = new CPropertyAccountConnect(&m_fields);
    m_pReceive = new CPropertyAccountReceive(&m_fields);
    m_pSend = new CPropertyAccountSend(&m_fields);
    m_pCreate = new CPropertyAccountCreate(&m_fields, m_strSignatureFolder, m_strTemplateFolder);
    m_pInfo->SetProtocolPages(m_pConnect, m_pReceive);
    m_tab.AddPage("アカウント情報", m_pInfo, IDD_ACCOUNT_INFO);
    m_tab.AddPage("接続情報", m_pConnect, IDD_ACCOUNT_CONNECT);
    m_tab.AddPage("受信設定", m_pReceive, IDD_ACCOUNT_RECEIVE);
    m_tab.AddPage("送信設定", m_pSend, IDD_ACCOUNT_SEND);
    m_tab.AddPage("作成設定", m_pCreate, IDD_ACCOUNT_CREATE);
    m_tab.SelectPage(0);

    FillAccountList();
    m_bReady = true;
    return TRUE;
}

void CDlgAccountSetting::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_ACC_ACCOUNT_NAME, m_strAccountName);
}

int CDlgAccountSetting::AddRow(const char* pszName, int nIndex)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(m_hList);
    item.pszText = const_cast<char*>(pszName);
    item.lParam = nIndex;
    return static_cast<int>(::SendMessageA(m_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int CDlgAccountSetting::RowIndexData(int nRow) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    ::SendMessageA(m_hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<int>(item.lParam);
}

int CDlgAccountSetting::GetSelectedRow() const
{
    return ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
}

void CDlgAccountSetting::SelectRow(int nRow)
{
    ListView_SetItemState(m_hList, nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_hList, nRow, FALSE);
}

void CDlgAccountSetting::FillAccountList()
{
    if (!m_accounts.IsLoaded())
        m_accounts.ReadFromFile(TRUE);
    ListView_DeleteAllItems(m_hList);
    for (int i = 0; i < m_accounts.GetRecordCount(TRUE); ++i) {
        CAccountData* a = m_accounts.GetAccount(i);
        if (a && !a->m_bDeleted)
            AddRow(a->GetAccountName(), i);
    }
    RecordToPages(nullptr);
    for (int row = 0; row < ListView_GetItemCount(m_hList); ++row) {
        if (RowIndexData(row) == m_nCurrentAccount) {
            SelectRow(row);
            break;
        }
    }
}

void CDlgAccountSetting::ShowRow(int nRow)
{
    m_nRow = nRow;
    CAccountData* record = nRow >= 0 ? m_accounts.GetAccount(RowIndexData(nRow)) : nullptr;
    if (record)
        CopyAccountData(record, &m_working);
    RecordToPages(record);
}

void CDlgAccountSetting::RecordToPages(const CAccountData* pRecord)
{
    AccountToFields(pRecord, m_fields);
    m_strAccountName = m_fields.Text(IDC_ACC_ACCOUNT_NAME);
    int protocol = pRecord ? pRecord->GetProtocol() : 0;
    int port = pRecord ? (pRecord->GetReceivePort() ? pRecord->GetReceivePort() : 110) : -1;
    m_pInfo->SetProtocol(protocol);
    m_pConnect->SetProtocol(protocol != 0, port);
    if (!pRecord) {
        // No account: the fields are empty and the reference for changes
        // is what they hold.
        m_fields.Text(IDC_ACC_RECV_PORT).Empty();
        CAccountData empty;
        FieldsToAccount(m_fields, empty);
        CopyAccountData(&empty, &m_working);
    }
    m_pReceive->SetImap(protocol != 0);
    for (CAccountPage* page : std::initializer_list<CAccountPage*>{ m_pInfo, m_pConnect, m_pReceive, m_pSend, m_pCreate })
        page->UpdateData(FALSE);
    m_pReceive->SetImap(protocol != 0);
    UpdateData(FALSE);
}

void CDlgAccountSetting::TakeVisibleValues()
{
    m_tab.UpdateCurrentPage(TRUE);
    UpdateData(TRUE);
    m_fields.Text(IDC_ACC_ACCOUNT_NAME) = m_strAccountName;
}

void CDlgAccountSetting::PagesToRecord(CAccountData& record, bool bStore)
{
    if (bStore && m_strAccountName != m_working.GetAccountName() && m_pfnRenameRouteAccount)
        m_pfnRenameRouteAccount(m_working.GetAccountName(), m_strAccountName);
    FieldsToAccount(m_fields, record);
}

bool CDlgAccountSetting::ConfirmSave()
{
    TakeVisibleValues();
    CAccountData fresh;
    CopyAccountData(&m_working, &fresh);
    PagesToRecord(fresh, false);
    if (!m_bReady || IsSameAccountData(&fresh, &m_working))
        return true;
    if (AfxMessageBox("内容が変更されています。\r\n保存しますか？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    return SaveCurrentAccount();
}

bool CDlgAccountSetting::SaveCurrentAccount()
{
    TakeVisibleValues();
    if (m_nRow < 0) {
        if (m_strAccountName.IsEmpty()) {
            AfxMessageBox("アカウント名を入力してください。", MB_ICONEXCLAMATION);
            return false;
        }
        auto* added = static_cast<CAccountData*>(m_accounts.CreateNewRecord());
        PagesToRecord(*added, false);
        CopyAccountData(added, &m_working);
        int row = AddRow(added->GetAccountName(), added->m_nIndex);
        m_accounts.WriteToFile(TRUE);
        bool ready = m_bReady;
        m_bReady = false;
        SelectRow(row);
        m_bReady = ready;
        return true;
    }
    CAccountData* record = m_accounts.GetAccount(RowIndexData(m_nRow));
    PagesToRecord(m_working, true);
    if (record)
        CopyAccountData(&m_working, record);
    m_accounts.WriteToFile(TRUE);
    ListView_SetItemText(m_hList, m_nRow, 0, const_cast<char*>(m_strAccountName.GetString()));
    return true;
}

void CDlgAccountSetting::OnNewAccount()
{
    CAccountData account;
    bool join = false;
    if (!m_pfnRunWizard || !m_pfnRunWizard(account, join))
        return;
    m_bReady = false;
    auto* added = static_cast<CAccountData*>(m_accounts.CreateNewRecord());
    CopyAccountData(&account, added);
    int row = AddRow(added->GetAccountName(), added->m_nIndex);
    m_accounts.WriteToFile(TRUE);
    SelectRow(row);
    if (join && m_pfnAddRouteAccount)
        m_pfnAddRouteAccount(added->GetAccountName());
    m_bReady = true;
}

void CDlgAccountSetting::OnCopyAccount()
{
    if (GetSelectedRow() < 0)
        return;
    CDlgInputAccountName dlg(this);
    dlg.m_strName = m_strAccountName;
    if (dlg.DoModal() != IDOK)
        return;
    // The copy takes the values shown, saved or not; the original stays.
    TakeVisibleValues();
    auto* added = static_cast<CAccountData*>(m_accounts.CreateNewRecord());
    CopyAccountData(&m_working, added);
    FieldsToAccount(m_fields, *added);
    added->SetAccountName(dlg.m_strName);
    int row = AddRow(added->GetAccountName(), added->m_nIndex);
    m_accounts.WriteToFile(TRUE);
    if (m_pfnAddRouteAccount)
        m_pfnAddRouteAccount(added->GetAccountName());
    m_bReady = false;
    SelectRow(row);
    m_bReady = true;
}

void CDlgAccountSetting::OnDelete()
{
    int row = GetSelectedRow();
    if (row < 0)
        return;
    CAccountData* record = m_accounts.GetAccount(RowIndexData(row));
    CString text;
    text.Format("[%s]を削除してもよろしいですか？", record ? record->GetAccountName().GetString() : "");
    if (AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_accounts.MarkRecordDeleted(record);
    m_bReady = false;
    ListView_DeleteItem(m_hList, row);
    m_nRow = -1;
    if (ListView_GetItemCount(m_hList) > 0)
        SelectRow(row > 0 ? row - 1 : 0);
    else
        RecordToPages(nullptr);
    m_bReady = true;
}

void CDlgAccountSetting::SwapAccounts(int nDirection)
{
    int row = GetSelectedRow();
    int other = row + (nDirection > 0 ? 1 : -1);
    if (row < 0 || other < 0 || other >= ListView_GetItemCount(m_hList))
        return;
    int a = RowIndexData(row), b = RowIndexData(other);
    CDataStrgRecord* ra = m_accounts.GetRecord(a);
    CDataStrgRecord* rb = m_accounts.GetRecord(b);
    m_accounts.SetRecordAt(a, rb);
    m_accounts.SetRecordAt(b, ra);
    // The rows keep their indexes; their texts follow the records.
    CString textRow = static_cast<CAccountData*>(rb)->GetAccountName();
    CString textOther = static_cast<CAccountData*>(ra)->GetAccountName();
    ListView_SetItemText(m_hList, row, 0, const_cast<char*>(textRow.GetString()));
    ListView_SetItemText(m_hList, other, 0, const_cast<char*>(textOther.GetString()));
    bool ready = m_bReady;
    m_bReady = false;
    ListView_SetItemState(m_hList, row, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SelectRow(other);
    m_bReady = ready;
}

void CDlgAccountSetting::OnCancel()
{
    if (!ConfirmSave())
        return;
    // Deleted accounts leave the file now.
    m_accounts.WriteToFile(FALSE);
    EndDialog(IDCANCEL);
}

BOOL CDlgAccountSetting::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_ACC_UP: SwapAccounts(-1); return TRUE;
        case IDC_ACC_DOWN: SwapAccounts(1); return TRUE;
        case IDC_ACC_NEW: OnNewAccount(); return TRUE;
        case IDC_ACC_COPY: OnCopyAccount(); return TRUE;
        case IDC_ACC_UPDATE: SaveCurrentAccount(); return TRUE;
        case IDC_ACC_DELETE: OnDelete(); return TRUE;
        default: break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CDlgAccountSetting::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->hwndFrom == m_hList) {
        auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
        bool selection = (change->uChanged & LVIF_STATE) &&
                         ((change->uOldState ^ change->uNewState) & LVIS_SELECTED);
        if (hdr->code == LVN_ITEMCHANGING && selection && m_bReady && (change->uNewState & LVIS_SELECTED)) {
            // Leaving the shown account may ask to store it first.
            *pResult = ConfirmSave() ? FALSE : TRUE;
            return TRUE;
        }
        if (hdr->code == LVN_ITEMCHANGED && selection) {
            // A row losing the selection keeps the shown account until the
            // selection settles: a click on another row deselects first.
            if (change->uNewState & LVIS_SELECTED)
                ShowRow(change->iItem);
            else
                PostMessage(kSelectionSettled);
            *pResult = 0;
            return TRUE;
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CDlgAccountSetting::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == kSelectionSettled) {
        if (GetSelectedRow() < 0)
            m_nRow = -1;
        *pResult = 0;
        return TRUE;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CDlgAccountSetting::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        if (pMsg->wParam == VK_TAB || pMsg->wParam == VK_NEXT) {
            m_tab.SelectNext(1);
            return TRUE;
        }
        if (pMsg->wParam == VK_PRIOR) {
            m_tab.SelectNext(0);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}
