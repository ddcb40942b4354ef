#include "mainwnd/KeyAssignDialog.h"

#include "core/CommandText.h"
#include "core/QuendalApp.h"
#include "mainwnd/KeySelectDialog.h"
#include "mainwnd/MainFrame.h"
#include "resources/keys/KeysResource.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace {

const char* const kKinds[3] = { "メイン画面", "メールビュー", "メールエディタ" };

} // namespace

CKeyAssignDialog::CKeyAssignDialog(CWnd* pParent) : CDialog(IDD_KEY_ASSIGN, pParent)
{
}

bool CKeyAssignDialog::ConfirmDuplicate(const char* pszOtherCommand)
{
    CString text;
    text.Format("<%s>と重複しています。\r\nOKで登録できますが、キーはどちらかのコマンドにしかアサインされません。\r\nよろしいですか？",
                pszOtherCommand);
    return AfxMessageBox(text, "Corvane Mail", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

BOOL CKeyAssignDialog::OnInitDialog()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_KEY_COMMANDS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
    RECT rc = {};
    ::GetClientRect(list, &rc);
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>("分類");
    col.cx = 100;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    col.pszText = const_cast<char*>("機能");
    col.cx = rc.right - 100 - ::GetSystemMetrics(SM_CYHSCROLL);
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
    HWND combo = ::GetDlgItem(m_hWnd, IDC_KEY_WINDOW_KIND);
    for (int kind = 0; kind < 3; ++kind) {
        int item = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kKinds[kind])));
        ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), kind);
    }
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    ChangeKind(0);
    return TRUE;
}

bool CKeyAssignDialog::AskSaveChanges()
{
    if (!m_editor.IsModified())
        return true;
    CString text;
    text.LoadString(IDS_KEY_SETTINGS_CHANGED);
    if (AfxMessageBox(text, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        Apply();
    return true;
}

void CKeyAssignDialog::ChangeKind(int nKind)
{
    if (m_nKind >= 0)
        AskSaveChanges();
    m_nKind = nKind;
    CQuendalApp* pApp = QuendalApp();
    CString path = pApp ? pApp->GetKeyFilePath(nKind) : CString();
    m_editor.Load(nKind, path);
    FillCommands();
    FillKeys();
}

void CKeyAssignDialog::FillCommands()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_KEY_COMMANDS);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    m_rows = m_editor.GetCommands();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(static_cast<const char*>(m_rows[i].strCategory));
        item.lParam = static_cast<LPARAM>(i);
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.mask = LVIF_TEXT;
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(static_cast<const char*>(m_rows[i].strName));
        ::SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
}

int CKeyAssignDialog::SelectedCommand() const
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_KEY_COMMANDS);
    const int sel = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return sel >= 0 && static_cast<size_t>(sel) < m_rows.size() ? m_rows[static_cast<size_t>(sel)].nCommand : 0;
}

void CKeyAssignDialog::FillKeys()
{
    HWND keys = ::GetDlgItem(m_hWnd, IDC_KEY_LIST);
    ::SendMessageA(keys, LB_RESETCONTENT, 0, 0);
    const int command = SelectedCommand();
    if (!command)
        return;
    for (int record : m_editor.GetKeys(command)) {
        CString text = m_editor.GetKeyText(record);
        int item = static_cast<int>(::SendMessageA(keys, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<const char*>(text))));
        ::SendMessageA(keys, LB_SETITEMDATA, static_cast<WPARAM>(item), record);
    }
}

bool CKeyAssignDialog::AcceptKey(int nCommand, int nKey, int nModifiers)
{
    const int other = m_editor.FindDuplicate(nCommand, nKey, nModifiers);
    if (!other)
        return true;
    CString group, name;
    GetCommandDescription(static_cast<UINT>(other), group, name);
    return ConfirmDuplicate(name);
}

void CKeyAssignDialog::OnAdd()
{
    const int command = SelectedCommand();
    if (!command)
        return;
    CKeySelectDialog dlg(this);
    dlg.m_nKind = m_nKind;
    if (dlg.DoModal() != IDOK || !AcceptKey(command, dlg.m_nKey, dlg.m_nModifiers))
        return;
    m_editor.AddKey(command, dlg.m_nKey, dlg.m_nModifiers);
    FillKeys();
}

void CKeyAssignDialog::OnChange()
{
    HWND keys = ::GetDlgItem(m_hWnd, IDC_KEY_LIST);
    const LRESULT sel = ::SendMessageA(keys, LB_GETCURSEL, 0, 0);
    const int command = SelectedCommand();
    if (sel == LB_ERR || !command)
        return;
    const int record = static_cast<int>(::SendMessageA(keys, LB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
    CKeyAssignData* r = m_editor.Table().GetKey(record);
    if (!r)
        return;
    CKeySelectDialog dlg(this);
    dlg.m_nKind = m_nKind;
    dlg.m_nKey = r->m_nKey;
    dlg.m_nModifiers = r->m_nModifiers;
    if (dlg.DoModal() != IDOK || !AcceptKey(command, dlg.m_nKey, dlg.m_nModifiers))
        return;
    m_editor.ChangeKey(record, dlg.m_nKey, dlg.m_nModifiers);
    FillKeys();
    ::SendMessageA(keys, LB_SETCURSEL, static_cast<WPARAM>(sel), 0);
}

void CKeyAssignDialog::OnDelete()
{
    HWND keys = ::GetDlgItem(m_hWnd, IDC_KEY_LIST);
    const LRESULT sel = ::SendMessageA(keys, LB_GETCURSEL, 0, 0);
    const int record = sel == LB_ERR ? -1 : static_cast<int>(::SendMessageA(keys, LB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
    if (record < 0 || !m_editor.DeleteKey(record)) {
        AfxMessageBox(IDS_KEY_SELECT_TO_DELETE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    FillKeys();
}

void CKeyAssignDialog::OnDefaults()
{
    m_editor.SetDefaults();
    FillCommands();
    FillKeys();
}

void CKeyAssignDialog::Apply()
{
    if (!m_editor.Save())
        return;
    if (m_editor.GetKind() != 0)
        return;
    // The main window takes its new keys at once.
    CQuendalApp* pApp = QuendalApp();
    CMainFrame* pFrame = pApp ? pApp->m_pMainFrame : nullptr;
    if (pFrame && pFrame->m_hWnd) {
        pFrame->m_nIconCommand = 0;
        pApp->SetupAccelerators(0, pFrame, nullptr, 0, IDR_MAINFRAME);
    }
}

void CKeyAssignDialog::OnOK()
{
    Apply();
}

void CKeyAssignDialog::OnCancel()
{
    AskSaveChanges();
    EndDialog(IDCANCEL);
}

BOOL CKeyAssignDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_KEY_WINDOW_KIND:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            HWND combo = ::GetDlgItem(m_hWnd, IDC_KEY_WINDOW_KIND);
            const LRESULT sel = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
            if (sel != CB_ERR)
                ChangeKind(static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0)));
        }
        return TRUE;
    case IDC_KEY_ADD: OnAdd(); return TRUE;
    case IDC_KEY_CHANGE: OnChange(); return TRUE;
    case IDC_KEY_DELETE: OnDelete(); return TRUE;
    case IDC_KEY_DEFAULTS: OnDefaults(); return TRUE;
    default: return CDialog::OnCommand(wParam, lParam);
    }
}

BOOL CKeyAssignDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr->idFrom == IDC_KEY_COMMANDS && hdr->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED))
            FillKeys();
        *pResult = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}
