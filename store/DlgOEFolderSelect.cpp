#include "store/DlgOEFolderSelect.h"

#include "resources/import/ImportResource.h"
#include "store/OEMailImporter.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CDlgOEFolderSelect, CDialog)
    ON_BN_CLICKED(IDC_OE_ALL_FOLDERS, OnModeClicked)
    ON_BN_CLICKED(IDC_OE_CHOSEN_FOLDERS, OnModeClicked)
    ON_CONTROL(CBN_SELCHANGE, IDC_OE_USER, OnUserChanged)
END_MESSAGE_MAP()

CDlgOEFolderSelect::CDlgOEFolderSelect(COEMailImporter* pImporter, CWnd* pParent)
    : CDialog(IDD_OE_FOLDER_SELECT, pParent), m_pImporter(pImporter)
{
}

BOOL CDlgOEFolderSelect::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND combo = GetDlgItemHwnd(IDC_OE_USER);
    m_pImporter->LoadIdentities();
    for (int i = 0; i < m_pImporter->GetIdentityCount(); ++i) {
        COEMailImporter::Identity* id = m_pImporter->GetIdentity(i);
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(id->strUserName.GetString()));
        if (id->bDefault)
            ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }

    HWND list = GetDlgItemHwnd(IDC_OE_FOLDER_LIST);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    RECT rc;
    ::GetClientRect(list, &rc);
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 22;
    col.pszText = const_cast<char*>(" ");
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    col.cx = rc.right - rc.left - 28;
    col.pszText = const_cast<char*>("アカウント");
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
    m_pImporter->LoadFolders();
    FillFolderList();

    CheckDlgButton(IDC_OE_ALL_FOLDERS, m_nMode == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_OE_CHOSEN_FOLDERS, m_nMode == 1 ? BST_CHECKED : BST_UNCHECKED);
    OnModeClicked();
    return TRUE;
}

void CDlgOEFolderSelect::FillFolderList()
{
    HWND list = GetDlgItemHwnd(IDC_OE_FOLDER_LIST);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < m_pImporter->GetFolderCount(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = const_cast<char*>("");
        item.lParam = i;
        int row = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        LVITEMA text = {};
        text.iSubItem = 1;
        text.pszText = const_cast<char*>(m_pImporter->GetFolder(i)->strTitle.GetString());
        ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&text));
    }
}

void CDlgOEFolderSelect::OnModeClicked()
{
    m_nMode = IsDlgButtonChecked(IDC_OE_CHOSEN_FOLDERS) ? 1 : 0;
    ::EnableWindow(GetDlgItemHwnd(IDC_OE_FOLDER_LIST), m_nMode == 1);
}

void CDlgOEFolderSelect::OnUserChanged()
{
    int sel = static_cast<int>(::SendMessageA(GetDlgItemHwnd(IDC_OE_USER), CB_GETCURSEL, 0, 0));
    if (sel < 0 || sel >= m_pImporter->GetIdentityCount())
        return;
    for (int i = 0; i < m_pImporter->GetIdentityCount(); ++i)
        m_pImporter->GetIdentity(i)->bDefault = i == sel ? 1 : 0;
    m_pImporter->LoadFolders();
    FillFolderList();
}

void CDlgOEFolderSelect::OnOK()
{
    OnModeClicked();
    HWND list = GetDlgItemHwnd(IDC_OE_FOLDER_LIST);
    m_nChosen = 0;
    int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < m_pImporter->GetFolderCount(); ++i)
        m_pImporter->GetFolder(i)->bChosen = m_nMode == 0 ? 1 : 0;
    if (m_nMode == 1) {
        for (int row = 0; row < rows; ++row) {
            UINT state = static_cast<UINT>(::SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                          LVIS_STATEIMAGEMASK));
            if (((state & LVIS_STATEIMAGEMASK) >> 12) != 2)
                continue;
            LVITEMA item = {};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            int pos = static_cast<int>(item.lParam);
            if (pos >= 0 && pos < m_pImporter->GetFolderCount())
                m_pImporter->GetFolder(pos)->bChosen = 1;
        }
    }
    for (int i = 0; i < m_pImporter->GetFolderCount(); ++i)
        m_nChosen += m_pImporter->GetFolder(i)->bChosen;
    EndDialog(IDOK);
}
