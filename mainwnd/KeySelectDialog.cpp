#include "mainwnd/KeySelectDialog.h"

#include "core/CommandText.h"
#include "core/KeyAssignData.h"
#include "resources/keys/KeysResource.h"

CKeySelectDialog::CKeySelectDialog(CWnd* pParent) : CDialog(IDD_KEY_SELECT, pParent)
{
}

int CKeySelectDialog::ModifiersFor(int nKey, bool bAlt, bool bCtrl, bool bShift)
{
    if (nKey == CKeyAssignData::kIconKey)
        return 0;
    int modifiers = FVIRTKEY | FNOINVERT;
    if (bAlt)
        modifiers += FALT;
    if (bCtrl)
        modifiers |= FCONTROL;
    if (bShift)
        modifiers |= FSHIFT;
    return modifiers;
}

BOOL CKeySelectDialog::OnInitDialog()
{
    CheckDlgButton(IDC_KEY_ALT, (m_nModifiers & FALT) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_KEY_CTRL, (m_nModifiers & FCONTROL) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_KEY_SHIFT, (m_nModifiers & FSHIFT) ? BST_CHECKED : BST_UNCHECKED);
    HWND list = ::GetDlgItem(m_hWnd, IDC_KEY_LIST);
    WORD key = 0;
    for (int n = 0; const char* name = GetKeyNameAt(n, &key); ++n) {
        if (key == CKeyAssignData::kIconKey && m_nKind == 1)
            continue;
        int item = static_cast<int>(::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)));
        ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), key);
    }
    SelectKey(m_nKey);
    EnableModifiers();
    return TRUE;
}

void CKeySelectDialog::SelectKey(int nKey)
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_KEY_LIST);
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (static_cast<int>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == nKey) {
            ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
}

int CKeySelectDialog::SelectedKey() const
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_KEY_LIST);
    const LRESULT sel = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    return sel == LB_ERR ? -1 : static_cast<int>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
}

void CKeySelectDialog::EnableModifiers()
{
    // The "ICON" key takes no Alt, Ctrl or Shift.
    const BOOL enable = SelectedKey() != CKeyAssignData::kIconKey;
    for (int id : { IDC_KEY_ALT, IDC_KEY_CTRL, IDC_KEY_SHIFT })
        ::EnableWindow(::GetDlgItem(m_hWnd, id), enable);
}

BOOL CKeySelectDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_KEY_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
        EnableModifiers();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CKeySelectDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && m_hWnd && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        auto toggle = [&](int id) {
            CheckDlgButton(id, IsDlgButtonChecked(id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        };
        if (::GetKeyState(VK_CONTROL) < 0)
            toggle(IDC_KEY_CTRL);
        if (::GetKeyState(VK_SHIFT) < 0)
            toggle(IDC_KEY_SHIFT);
        SelectKey(static_cast<int>(pMsg->wParam));
        EnableModifiers();
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CKeySelectDialog::OnOK()
{
    const int key = SelectedKey();
    if (key < 0) {
        AfxMessageBox(IDS_KEY_SELECT_A_KEY, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_nKey = key;
    m_nModifiers = ModifiersFor(key, IsDlgButtonChecked(IDC_KEY_ALT) == BST_CHECKED,
                                IsDlgButtonChecked(IDC_KEY_CTRL) == BST_CHECKED,
                                IsDlgButtonChecked(IDC_KEY_SHIFT) == BST_CHECKED);
    EndDialog(IDOK);
}
