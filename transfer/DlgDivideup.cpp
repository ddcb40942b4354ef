#include "transfer/DlgDivideup.h"

#include "core/DlgInputName.h"
#include "core/QuendalApp.h"
#include "resources/rules/RulesResource.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/DlgDivideupItem.h"
#include "transfer/DlgDivideupSearch.h"
#include "transfer/DlgDivideupSelect.h"
#include "transfer/RuleSetCombo.h"

#include <vector>

namespace {

const char kAskSave[] = "設定が変更されています。\r\n保存しますか？";

// The controls that keep their distance from the right and bottom edges.
const int kAnchoredControls[] = { IDC_DIVIDEUP_ADD, IDC_DIVIDEUP_CHANGE, IDC_DIVIDEUP_DELETE, IDC_DIVIDEUP_TOP,
                                  IDC_DIVIDEUP_UP, IDC_DIVIDEUP_DOWN, IDC_DIVIDEUP_BOTTOM, IDC_DIVIDEUP_SEARCH,
                                  IDC_DIVIDEUP_AT_RECEIVE, IDC_DIVIDEUP_AT_SEND, IDC_DIVIDEUP_SAME_SET, IDOK, IDCANCEL };

} // namespace

BEGIN_MESSAGE_MAP(CDlgDivideup, CDialog)
    ON_CONTROL(CBN_SELCHANGE, IDC_DIVIDEUP_SET, OnSetChanged)
    ON_BN_CLICKED(IDC_DIVIDEUP_ADD, OnAdd)
    ON_BN_CLICKED(IDC_DIVIDEUP_CHANGE, OnChange)
    ON_BN_CLICKED(IDC_DIVIDEUP_DELETE, OnDelete)
    ON_BN_CLICKED(IDC_DIVIDEUP_UP, OnUp)
    ON_BN_CLICKED(IDC_DIVIDEUP_DOWN, OnDown)
    ON_BN_CLICKED(IDC_DIVIDEUP_TOP, OnTop)
    ON_BN_CLICKED(IDC_DIVIDEUP_BOTTOM, OnBottom)
    ON_BN_CLICKED(IDC_DIVIDEUP_ADD_SET, OnAddSet)
    ON_BN_CLICKED(IDC_DIVIDEUP_DELETE_SET, OnDeleteSet)
    ON_BN_CLICKED(IDC_DIVIDEUP_RENAME_SET, OnRenameSet)
    ON_BN_CLICKED(IDC_DIVIDEUP_SEARCH, OnSearch)
    ON_BN_CLICKED(IDC_DIVIDEUP_AT_RECEIVE, OnCheckChanged)
    ON_BN_CLICKED(IDC_DIVIDEUP_AT_SEND, OnCheckChanged)
    ON_BN_CLICKED(IDC_DIVIDEUP_SAME_SET, OnCheckChanged)
    ON_NOTIFY(NM_DBLCLK, IDC_DIVIDEUP_LIST, OnListDblClick)
    ON_MESSAGE(CDlgDivideup::WM_MAKE_RULE_FROM_MAIL, OnMakeRuleFromMail)
    ON_MESSAGE(WM_SIZE, OnSizeMsg)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
END_MESSAGE_MAP()

CDlgDivideup::CDlgDivideup(CWnd* pParent) : CDialog(IDD_DIVIDEUP, pParent)
{
}

CDlgDivideup::~CDlgDivideup() = default;

BOOL CDlgDivideup::OnInitDialog()
{
    CDialog::OnInitDialog();
    CQuendalApp* app = QuendalApp();
    m_list.SubclassDlgItem(IDC_DIVIDEUP_LIST, this);
    m_list.SetupColumns();
    if (app) {
        CheckDlgButton(IDC_DIVIDEUP_AT_RECEIVE, app->GetProfileInt("Setting", "DivideUpAtReceive", 1) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(IDC_DIVIDEUP_AT_SEND, app->GetProfileInt("Setting", "DivideUpAtSend", 0) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(IDC_DIVIDEUP_SAME_SET,
                       app->GetProfileInt("Setting", "DivideUpUseReceiveSet", 0) ? BST_CHECKED : BST_UNCHECKED);
    }
    // Where the controls sit in the template decides how they follow a resize.
    RECT client = {};
    GetClientRect(&client);
    m_anchors.clear();
    for (int id : kAnchoredControls) {
        HWND h = GetDlgItemHwnd(id);
        RECT rc = {};
        ::GetWindowRect(h, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        bool moveX = id != IDC_DIVIDEUP_AT_RECEIVE && id != IDC_DIVIDEUP_AT_SEND && id != IDC_DIVIDEUP_SAME_SET;
        bool onlyX = id == IDC_DIVIDEUP_ADD || id == IDC_DIVIDEUP_CHANGE || id == IDC_DIVIDEUP_DELETE ||
                     id == IDC_DIVIDEUP_TOP || id == IDC_DIVIDEUP_UP || id == IDC_DIVIDEUP_DOWN ||
                     id == IDC_DIVIDEUP_BOTTOM || id == IDC_DIVIDEUP_SEARCH;
        m_anchors.push_back({ id, client.right - rc.left, onlyX ? -rc.top : client.bottom - rc.top, moveX });
    }
    RECT list = {};
    ::GetWindowRect(m_list.m_hWnd, &list);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    m_listMargin = { client.right - list.right, client.bottom - list.bottom };
    m_bLayoutKnown = TRUE;
    if (app) {
        int cx = app->GetProfileInt("Window", "DivideupDlgSizeX", 0);
        int cy = app->GetProfileInt("Window", "DivideupDlgSizeY", 0);
        if (cx > 0 && cy > 0)
            SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
    }
    FillSetCombo();
    int row = m_nInitialSetRow;
    if (row < 0 || row >= static_cast<int>(::SendMessageA(GetDlgItemHwnd(IDC_DIVIDEUP_SET), CB_GETCOUNT, 0, 0)))
        row = 0;
    LoadSetAtRow(row);
    if (m_pMailHeader)
        PostMessage(WM_MAKE_RULE_FROM_MAIL);
    return TRUE;
}

void CDlgDivideup::FillSetCombo()
{
    if (CQuendalApp* app = QuendalApp())
        FillRuleSetCombo(GetDlgItemHwnd(IDC_DIVIDEUP_SET), *app);
}

int CDlgDivideup::CurrentSetRow() const
{
    return static_cast<int>(::SendMessageA(GetDlgItemHwnd(IDC_DIVIDEUP_SET), CB_GETCURSEL, 0, 0));
}

void CDlgDivideup::AskToSave()
{
    if (m_bModified && AfxMessageBox(kAskSave, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        SaveCurrentSet();
}

void CDlgDivideup::LoadSetAtRow(int nRow)
{
    CQuendalApp* app = QuendalApp();
    HWND combo = GetDlgItemHwnd(IDC_DIVIDEUP_SET);
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(nRow), 0);
    m_nSetRow = nRow;
    int kind = static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(nRow), 0));
    m_pSet = app ? RuleSetOf(*app, kind, GetDlgItemText(IDC_DIVIDEUP_SET)) : nullptr;
    if (m_pSet)
        m_rules.LoadFrom(*m_pSet);
    else
        m_rules = CDivideupRuleList();
    RefreshList(-1);
    m_bModified = FALSE;
}

void CDlgDivideup::SaveCurrentSet()
{
    if (m_pSet) {
        m_rules.StoreInto(*m_pSet);
        m_pSet->WriteToFile();
    }
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("Setting", "DivideUpAtReceive", IsDlgButtonChecked(IDC_DIVIDEUP_AT_RECEIVE) ? 1 : 0);
        app->WriteProfileInt("Setting", "DivideUpAtSend", IsDlgButtonChecked(IDC_DIVIDEUP_AT_SEND) ? 1 : 0);
        app->WriteProfileInt("Setting", "DivideUpUseReceiveSet", IsDlgButtonChecked(IDC_DIVIDEUP_SAME_SET) ? 1 : 0);
    }
    m_bModified = FALSE;
}

void CDlgDivideup::RefreshList(int nSelect)
{
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.DeleteAllItems();
    for (int i = 0; i < m_rules.GetCount(); ++i)
        m_list.SetRow(i, m_rules.GetRule(i), m_rules.GetRule(i).GetFolderName());
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
    if (nSelect >= 0)
        m_list.SelectRow(nSelect);
}

void CDlgDivideup::OnSetChanged()
{
    int row = CurrentSetRow();
    if (row < 0 || row == m_nSetRow)
        return;
    AskToSave();
    LoadSetAtRow(row);
}

void CDlgDivideup::OnOK()
{
    SaveCurrentSet();
}

void CDlgDivideup::OnCancel()
{
    AskToSave();
    EndDialog(IDCANCEL);
}

void CDlgDivideup::OnAdd()
{
    CDlgDivideupItem dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    int row = m_rules.Add(dlg.m_rule);
    m_bModified = TRUE;
    RefreshList(row);
}

void CDlgDivideup::OnChange()
{
    int row = m_list.GetSelectedRow();
    if (row < 0 || row >= m_rules.GetCount())
        return;
    CDlgDivideupItem dlg(this);
    m_rules.GetRule(row).CopyTo(dlg.m_rule);
    if (dlg.DoModal() != IDOK)
        return;
    m_rules.Replace(row, dlg.m_rule);
    m_bModified = TRUE;
    RefreshList(row);
}

void CDlgDivideup::OnListDblClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnChange();
}

void CDlgDivideup::OnDelete()
{
    int row = m_list.GetSelectedRow();
    if (row < 0 || row >= m_rules.GetCount())
        return;
    if (m_rules.GetRule(row).m_nProtected == 1) {
        AfxMessageBox("この設定は削除できません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_rules.Remove(row);
    m_bModified = TRUE;
    RefreshList(row < m_rules.GetCount() ? row : m_rules.GetCount() - 1);
}

void CDlgDivideup::Move(int (CDivideupRuleList::*pfnMove)(int))
{
    int row = m_list.GetSelectedRow();
    int moved = (m_rules.*pfnMove)(row);
    if (moved < 0)
        return;
    m_bModified = TRUE;
    RefreshList(moved);
}

void CDlgDivideup::OnAddSet()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    CDlgInputName dlg("追加する設定の名前(&N)", TRUE, this);
    if (dlg.DoModal() != IDOK)
        return;
    CDivideupDataSet* set = app->AddNamedRuleSet(dlg.m_strName);
    if (!set)
        return;
    AskToSave();
    FillSetCombo();
    LoadSetAtRow(FindRuleSetRow(GetDlgItemHwnd(IDC_DIVIDEUP_SET), set->GetFileName()));
}

void CDlgDivideup::OnDeleteSet()
{
    CQuendalApp* app = QuendalApp();
    int row = CurrentSetRow();
    if (!app || row < 0)
        return;
    if (row < 2) {
        AfxMessageBox("受信、送信の設定は削除できません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString name = GetDlgItemText(IDC_DIVIDEUP_SET);
    if (AfxMessageBox(FormatString("設定[%s]を削除します。\r\nよろしいですか？", name.GetString()), "Corvane Mail",
                      MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
        return;
    app->DeleteNamedRuleSet(name);
    app->LoadFilterRules();
    FillSetCombo();
    LoadSetAtRow(0);
}

void CDlgDivideup::OnRenameSet()
{
    CQuendalApp* app = QuendalApp();
    int row = CurrentSetRow();
    if (!app || row < 0)
        return;
    if (row < 2) {
        AfxMessageBox("受信、送信の設定名は変更できません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString oldName = GetDlgItemText(IDC_DIVIDEUP_SET);
    CDlgInputName dlg("新しい設定の名前(&N)", TRUE, this);
    dlg.m_strName = oldName;
    if (dlg.DoModal() != IDOK || dlg.m_strName == oldName)
        return;
    AskToSave();
    if (!app->RenameNamedRuleSet(oldName, dlg.m_strName))
        return;
    app->LoadFilterRules();
    FillSetCombo();
    LoadSetAtRow(FindRuleSetRow(GetDlgItemHwnd(IDC_DIVIDEUP_SET), dlg.m_strName));
}

void CDlgDivideup::OnSearch()
{
    if (m_pSearch && m_pSearch->m_hWnd) {
        m_pSearch->SetForegroundWindow();
        return;
    }
    m_pSearch.reset(new CDlgDivideupSearch(m_rules, m_list, this));
    if (m_pSearch->Create(IDD_DIVIDEUP_SEARCH, this))
        m_pSearch->ShowWindow(SW_SHOW);
}

LRESULT CDlgDivideup::OnMakeRuleFromMail(WPARAM, LPARAM)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pMailHeader)
        return 0;
    CDlgDivideupItem item(this);
    item.m_pMailHeader = m_pMailHeader;
    if (item.DoModal() != IDOK)
        return 0;
    CDlgDivideupSelect select(this);
    if (select.DoModal() != IDOK)
        return 0;
    AskToSave();
    LoadSetAtRow(FindRuleSetRow(GetDlgItemHwnd(IDC_DIVIDEUP_SET), select.m_strSetName));
    int row = m_rules.Add(item.m_rule);
    SaveCurrentSet();
    LoadSetAtRow(m_nSetRow);
    m_list.SelectRow(row);
    return 0;
}

LRESULT CDlgDivideup::OnSizeMsg(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = Default();
    if (!m_bLayoutKnown || wParam == SIZE_MINIMIZED)
        return result;
    int cx = LOWORD(lParam), cy = HIWORD(lParam);
    RECT list = {};
    ::GetWindowRect(m_list.m_hWnd, &list);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    ::SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, cx - m_listMargin.cx - list.left, cy - m_listMargin.cy - list.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    for (const Anchor& a : m_anchors) {
        HWND h = GetDlgItemHwnd(a.id);
        RECT rc = {};
        ::GetWindowRect(h, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        int x = a.moveX ? cx - a.right : rc.left;
        int y = a.bottom < 0 ? -a.bottom : cy - a.bottom;
        ::SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    Invalidate();
    return result;
}

LRESULT CDlgDivideup::OnDestroyMsg(WPARAM, LPARAM)
{
    if (m_pSearch && m_pSearch->m_hWnd)
        m_pSearch->DestroyWindow();
    m_list.SaveColumnWidths();
    if (CQuendalApp* app = QuendalApp()) {
        RECT rc = {};
        GetWindowRect(&rc);
        if (!IsIconic()) {
            app->WriteProfileInt("Window", "DivideupDlgSizeX", rc.right - rc.left);
            app->WriteProfileInt("Window", "DivideupDlgSizeY", rc.bottom - rc.top);
        }
    }
    return Default();
}
