#include "settings/DlgProfileSetting.h"

#include "core/AccountDataSet.h"
#include "core/DlgInputName.h"
#include "core/QuendalApp.h"
#include "core/ShellUtil.h"
#include "resources/settings/SettingsResource.h"
#include "settings/FileChooser.h"
#include "transfer/DlgRouteSetting.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

namespace {

// Posted after a click on the folder tree, once the check box has changed.
const UINT kFolderClicked = 1579;

bool IsTreeChecked(HWND tree, HTREEITEM item)
{
    return ((TreeView_GetItemState(tree, item, TVIS_STATEIMAGEMASK) >> 12) - 1) == 1;
}

void SetTreeChecked(HWND tree, HTREEITEM item, bool check)
{
    TreeView_SetItemState(tree, item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), TVIS_STATEIMAGEMASK);
}

// Every item depth first, parents before children.
void CollectItems(HWND tree, HTREEITEM item, std::vector<HTREEITEM>& out)
{
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        out.push_back(item);
        CollectItems(tree, TreeView_GetChild(tree, item), out);
    }
}

LPARAM ItemData(HWND tree, HTREEITEM item)
{
    TVITEMA tvi = {};
    tvi.mask = TVIF_PARAM | TVIF_HANDLE;
    tvi.hItem = item;
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
    return tvi.lParam;
}

} // namespace

CDlgProfileSetting::CDlgProfileSetting(const CString& profileName, const CString& profileBox,
                                       const CString& mailboxAccountFile, const std::vector<FolderItem>& folders,
                                       CWnd* pParent)
    : CDialog(IDD_PROFILE_SETTING, pParent), m_strProfileName(profileName), m_strProfileBox(profileBox),
      m_strMailboxAccountFile(mailboxAccountFile), m_folders(folders)
{
}

BOOL CDlgProfileSetting::OnInitDialog()
{
    m_hAccounts = GetDlgItemHwnd(IDC_PF_ACCOUNTS);
    m_hTree = GetDlgItemHwnd(IDC_PF_FOLDERS);
    // Check boxes given in the template may be set up after the first items
    // are checked, which clears those checks; added here they come first.
    ::SetWindowLongPtrA(m_hTree, GWL_STYLE, ::GetWindowLongPtrA(m_hTree, GWL_STYLE) | TVS_CHECKBOXES);
    ListView_SetExtendedListViewStyle(m_hAccounts, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT rc;
    ::GetClientRect(m_hAccounts, &rc);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.pszText = const_cast<char*>("アカウント");
    column.cx = rc.right - 20;
    ::SendMessageA(m_hAccounts, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    FillNames(m_strProfileName);
    LoadSelected();
    return TRUE;
}

CString CDlgProfileSetting::SelectedName() const
{
    HWND combo = GetDlgItemHwnd(IDC_PF_NAME);
    int sel = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    char name[MAX_PATH] = "";
    if (sel >= 0 && ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0) < MAX_PATH)
        ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(name));
    return CString(name);
}

void CDlgProfileSetting::FillNames(const char* pszSelect)
{
    HWND combo = GetDlgItemHwnd(IDC_PF_NAME);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const CString& name : ListProfileNames(m_strProfileBox))
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetString()));
    if (!pszSelect || ::SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(pszSelect)) == CB_ERR)
        ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void CDlgProfileSetting::FillAccounts(const std::vector<CString>& checked)
{
    ListView_DeleteAllItems(m_hAccounts);
    CString file = GetDlgItemText(IDC_PF_ACCOUNT_FILE);
    CAccountDataSet accounts;
    accounts.SetFilePath(file.IsEmpty() ? m_strMailboxAccountFile : file);
    accounts.ReadFromFile(TRUE);
    for (int i = 0; i < accounts.GetRecordCount(TRUE); ++i) {
        CString name = accounts.GetAccount(i)->GetAccountName();
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(name.GetString());
        int row = static_cast<int>(::SendMessageA(m_hAccounts, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        bool on = std::find(checked.begin(), checked.end(), name) != checked.end();
        ListView_SetCheckState(m_hAccounts, row, on);
    }
}

void CDlgProfileSetting::BuildTree()
{
    TreeView_DeleteAllItems(m_hTree);
    std::map<int, HTREEITEM> items;
    for (const FolderItem& f : m_folders) {
        TVINSERTSTRUCTA tvi = {};
        auto parent = items.find(f.nParentId);
        tvi.hParent = f.nParentId && parent != items.end() ? parent->second : TVI_ROOT;
        tvi.hInsertAfter = TVI_LAST;
        tvi.item.mask = TVIF_TEXT | TVIF_PARAM;
        tvi.item.pszText = const_cast<char*>(f.strName.GetString());
        tvi.item.lParam = f.nId;
        HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageA(m_hTree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tvi)));
        items[f.nId] = item;
        if (tvi.hParent != TVI_ROOT)
            TreeView_Expand(m_hTree, tvi.hParent, TVE_EXPAND);
    }
}

void CDlgProfileSetting::RememberTexts()
{
    m_strTexts[0] = GetDlgItemText(IDC_PF_ROUTE);
    m_strTexts[1] = GetDlgItemText(IDC_PF_ADDRESS);
    m_strTexts[2] = GetDlgItemText(IDC_PF_ACCOUNT_FILE);
}

bool CDlgProfileSetting::IsChanged() const
{
    return m_bModified || GetDlgItemText(IDC_PF_ROUTE) != m_strTexts[0] ||
           GetDlgItemText(IDC_PF_ADDRESS) != m_strTexts[1] || GetDlgItemText(IDC_PF_ACCOUNT_FILE) != m_strTexts[2];
}

bool CDlgProfileSetting::AskSave()
{
    if (!IsChanged())
        return true;
    if (AfxMessageBox("内容が変更されています。\r\n保存しますか？", MB_YESNO | MB_ICONQUESTION) == IDYES)
        return Save();
    return true;
}

void CDlgProfileSetting::LoadSelected()
{
    CString name = SelectedName();
    Profile p = name.IsEmpty() ? Profile() : ReadProfile(ProfilePath(name));
    m_strLoadedName = name;
    BuildTree();
    std::vector<HTREEITEM> items;
    CollectItems(m_hTree, TreeView_GetRoot(m_hTree), items);
    m_checkedFolders.clear();
    for (int id : p.folderIds) {
        // A folder listed twice is checked once: the first match only.
        for (HTREEITEM item : items) {
            if (static_cast<int>(ItemData(m_hTree, item)) == id) {
                SetFolderChecked(item, true);
                break;
            }
        }
    }
    SetDlgItemText(IDC_PF_ROUTE, p.strRouteFile);
    SetDlgItemText(IDC_PF_ADDRESS, p.strAddressFolder);
    SetDlgItemText(IDC_PF_ACCOUNT_FILE, p.strAccountFile);
    FillAccounts(p.accounts);
    RememberTexts();
    m_bModified = false;
}

Profile CDlgProfileSetting::TakeFields()
{
    Profile p;
    for (int row = 0; row < ListView_GetItemCount(m_hAccounts); ++row) {
        if (ListView_GetCheckState(m_hAccounts, row)) {
            char name[256] = "";
            ListView_GetItemText(m_hAccounts, row, 0, name, sizeof(name));
            p.accounts.push_back(name);
        }
    }
    // In tree order, parents before children.
    std::vector<HTREEITEM> items;
    CollectItems(m_hTree, TreeView_GetRoot(m_hTree), items);
    for (HTREEITEM item : items) {
        int id = static_cast<int>(ItemData(m_hTree, item));
        if (std::find(m_checkedFolders.begin(), m_checkedFolders.end(), id) != m_checkedFolders.end())
            p.folderIds.push_back(id);
    }
    p.strRouteFile = GetDlgItemText(IDC_PF_ROUTE);
    p.strAddressFolder = GetDlgItemText(IDC_PF_ADDRESS);
    p.strAccountFile = GetDlgItemText(IDC_PF_ACCOUNT_FILE);
    return p;
}

bool CDlgProfileSetting::Save()
{
    if (m_strLoadedName.IsEmpty()) {
        AfxMessageBox("プロファイル名を入力してください。", MB_ICONEXCLAMATION);
        return false;
    }
    if (!WriteProfile(ProfilePath(m_strLoadedName), TakeFields()))
        return false;
    m_bModified = false;
    RememberTexts();
    return true;
}

void CDlgProfileSetting::OnAdd()
{
    CDlgInputName dlg("追加するプロファイルの名前(&N)", TRUE, this);
    if (dlg.DoModal() != IDOK)
        return;
    CString problem = CheckNewProfileName(m_strProfileBox, dlg.m_strName);
    if (!problem.IsEmpty()) {
        AfxMessageBox(problem, MB_ICONEXCLAMATION);
        return;
    }
    // The contents shown become the new profile's.
    Profile p = TakeFields();
    ::CreateDirectoryA(m_strProfileBox, nullptr);
    WriteProfile(ProfilePath(dlg.m_strName), p);
    FillNames(dlg.m_strName);
    m_strLoadedName = dlg.m_strName;
    m_bModified = false;
    RememberTexts();
}

void CDlgProfileSetting::OnDelete()
{
    CString name = SelectedName();
    if (name.IsEmpty())
        return;
    CString text;
    text.Format("プロファイル[%s]を削除します。\r\nよろしいですか？", name.GetString());
    if (AfxMessageBox(text, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
        return;
    ::DeleteFileA(ProfilePath(name));
    FillNames(nullptr);
    LoadSelected();
}

void CDlgProfileSetting::OnRename()
{
    CString name = SelectedName();
    if (name.IsEmpty())
        return;
    CDlgInputName dlg("新しいプロファイルの名前(&N)", TRUE, this);
    dlg.m_strName = name;
    if (dlg.DoModal() != IDOK)
        return;
    CString problem = CheckNewProfileName(m_strProfileBox, dlg.m_strName);
    if (!problem.IsEmpty()) {
        AfxMessageBox(problem, MB_ICONEXCLAMATION);
        return;
    }
    ::MoveFileA(ProfilePath(name), ProfilePath(dlg.m_strName));
    FillNames(dlg.m_strName);
    m_strLoadedName = dlg.m_strName;
}

void CDlgProfileSetting::SetFolderChecked(HTREEITEM hItem, bool bCheck)
{
    SetTreeChecked(m_hTree, hItem, bCheck);
    int id = static_cast<int>(ItemData(m_hTree, hItem));
    auto at = std::find(m_checkedFolders.begin(), m_checkedFolders.end(), id);
    if (bCheck && at == m_checkedFolders.end())
        m_checkedFolders.push_back(id);
    else if (!bCheck && at != m_checkedFolders.end())
        m_checkedFolders.erase(at);
}

void CDlgProfileSetting::CheckSubFolders(HTREEITEM hItem, bool bCheck)
{
    for (HTREEITEM child = TreeView_GetChild(m_hTree, hItem); child; child = TreeView_GetNextSibling(m_hTree, child)) {
        SetFolderChecked(child, bCheck);
        CheckSubFolders(child, bCheck);
    }
}

void CDlgProfileSetting::OnCancel()
{
    AskSave();
    EndDialog(IDCANCEL);
}

BOOL CDlgProfileSetting::OnCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (id == IDC_PF_NAME && code == CBN_SELCHANGE) {
        // The edits of the profile left are offered for saving under its name.
        CString chosen = SelectedName();
        FillNames(m_strLoadedName);
        AskSave();
        FillNames(chosen);
        LoadSelected();
        return TRUE;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_PF_ADD: OnAdd(); return TRUE;
        case IDC_PF_DELETE: OnDelete(); return TRUE;
        case IDC_PF_RENAME: OnRename(); return TRUE;
        case IDC_PF_SAVE: Save(); return TRUE;
        case IDC_PF_REFRESH: {
            Profile p = TakeFields();
            FillAccounts(p.accounts);
            return TRUE;
        }
        case IDC_PF_ROUTE_SETTING: {
            CQuendalApp* app = QuendalApp();
            CDlgRouteSetting dlg(app ? app->GetRouteInterval() : 10, GetDlgItemText(IDC_PF_ROUTE),
                                 GetDlgItemText(IDC_PF_ACCOUNT_FILE), 1, this);
            if (dlg.DoModal() == IDOK)
                SetDlgItemText(IDC_PF_ROUTE, dlg.GetRouteSetting());
            return TRUE;
        }
        case IDC_PF_ROUTE_BROWSE:
        case IDC_PF_ACCOUNT_BROWSE: {
            bool route = id == IDC_PF_ROUTE_BROWSE;
            int edit = route ? IDC_PF_ROUTE : IDC_PF_ACCOUNT_FILE;
            CString current = GetDlgItemText(edit);
            if (current.IsEmpty()) {
                // An empty field starts in the mailbox folder kept for such files.
                CString folder = m_strProfileBox;
                int cut = folder.ReverseFind('\\');
                folder = (cut >= 0 ? folder.Left(cut) : folder) + (route ? "\\RouteSetting.Box" : "\\AccountSetting.Box");
                ::CreateDirectoryA(folder, nullptr);
                current = folder + "\\";
            }
            CString chosen;
            if (ChooseFileToOpen(m_hWnd, route ? "巡回設定ファイルの選択" : "アカウント設定ファイルの選択", "DAT (*.dat)",
                                 ".dat", current, chosen)) {
                SetDlgItemText(edit, chosen);
                if (!route) {
                    m_bModified = true;
                    Profile p = TakeFields();
                    FillAccounts(p.accounts);
                }
            }
            return TRUE;
        }
        case IDC_PF_ADDRESS_BROWSE: {
            CString chosen = BrowseForFolder(m_hWnd, "アドレス帳フォルダの選択", GetDlgItemText(IDC_PF_ADDRESS));
            SetDlgItemText(IDC_PF_ADDRESS, chosen);
            return TRUE;
        }
        default: break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CDlgProfileSetting::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->hwndFrom == m_hAccounts && hdr->code == LVN_ITEMCHANGED) {
        auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_STATEIMAGEMASK))
            m_bModified = true;
        *pResult = 0;
        return TRUE;
    }
    if (hdr && hdr->hwndFrom == m_hTree && hdr->code == NM_CLICK) {
        // The check box changes after this notification; the state is read
        // once it has.
        DWORD pos = ::GetMessagePos();
        TVHITTESTINFO hit = {};
        hit.pt = { static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)) };
        ::ScreenToClient(m_hTree, &hit.pt);
        HTREEITEM item = TreeView_HitTest(m_hTree, &hit);
        if (item && (hit.flags & (TVHT_ONITEMSTATEICON | TVHT_ONITEMLABEL))) {
            TreeView_SelectItem(m_hTree, item);
            m_bCtrlOnClick = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
            PostMessage(kFolderClicked, 0, reinterpret_cast<LPARAM>(item));
        }
        *pResult = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CDlgProfileSetting::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == kFolderClicked) {
        auto item = reinterpret_cast<HTREEITEM>(lParam);
        bool checked = IsTreeChecked(m_hTree, item);
        SetFolderChecked(item, checked);
        if (!m_bCtrlOnClick)
            CheckSubFolders(item, checked);
        m_bModified = true;
        *pResult = 0;
        return TRUE;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}
