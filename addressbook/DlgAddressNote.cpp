// The address book window: creation, placement, layout and closing.
#include "addressbook/DlgAddressNote.h"

#include "addressbook/DlgAddressSearch.h"
#include "addressbook/UserIconList.h"
#include "core/QuendalApp.h"
#include "resources/addressbook/AddressbookResource.h"

namespace {

const char kSection[] = "AddressNote";

const int kEntryControls[] = { IDC_ENTRY_NAME_LABEL,  IDC_ENTRY_NAME,         IDC_ENTRY_ADDRESS_LABEL,
                               IDC_ENTRY_ADDRESS,     IDC_ENTRY_MEMO_LABEL,   IDC_ENTRY_MEMO,
                               IDC_HIDE_ENTRY };

const int kButtons[] = { ID_ADDRESS_TO,  ID_ADDRESS_CC,     ID_ADDRESS_BCC,    IDC_GROUP_TO,     IDC_GROUP_CC,
                         IDC_GROUP_BCC,  ID_ADDRESS_ADD,    ID_ADDRESS_DELETE, ID_ADDRESS_CHANGE, ID_GROUP_ADD,
                         ID_GROUP_DELETE, ID_GROUP_RENAME, IDC_ADDRESS_SEARCH, IDCANCEL };

RECT ChildRect(HWND hDlg, int id)
{
    RECT rc = {};
    HWND h = GetDlgItem(hDlg, id);
    if (h) {
        GetWindowRect(h, &rc);
        MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc;
}

CQuendalApp* App()
{
    return QuendalApp();
}

int ReadInt(const char* key, int def)
{
    return App() ? App()->GetProfileInt(kSection, key, def) : def;
}

void WriteInt(const char* key, int value)
{
    if (App())
        App()->WriteProfileInt(kSection, key, value);
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgAddressNote, CDialog)
    ON_WM_SIZE()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(CImageButton::kSplitterMoved, OnSplitterMoved)
    ON_MESSAGE(WM_ADD_PRESET_ADDRESS, OnAddPresetAddress)
    ON_MESSAGE(WM_RELOAD_FROM_FILES, OnReloadFromFiles)
    ON_COMMAND_RANGE(ID_ADDRESS_TO, ID_ADDRESS_BCC, OnAddToRecipients)
    ON_COMMAND_RANGE(IDC_GROUP_TO, IDC_GROUP_BCC, OnGroupToRecipients)
    ON_COMMAND_RANGE(ID_GROUP_ALL_TO, ID_GROUP_TREE_BCC, OnGroupToRecipients)
    ON_COMMAND(ID_ADDRESS_ADD, OnAddAddress)
    ON_COMMAND(ID_ADDRESS_CHANGE, OnChangeAddress)
    ON_COMMAND(ID_ADDRESS_DELETE, OnDeleteAddresses)
    ON_COMMAND(ID_ADDRESS_DELETE_MENU, OnDeleteAddresses)
    ON_COMMAND(ID_ADDRESS_PROPERTY, OnAddressProperty)
    ON_COMMAND(ID_ADDRESS_WRITE_MAIL, OnWriteMail)
    ON_COMMAND(ID_GROUP_ADD, OnCreateGroup)
    ON_COMMAND(ID_GROUP_ADD_MENU, OnCreateGroup)
    ON_COMMAND(ID_GROUP_RENAME, OnRenameGroup)
    ON_COMMAND(ID_GROUP_DELETE, OnDeleteGroup)
    ON_COMMAND(ID_GROUP_DELETE_MENU, OnDeleteGroup)
    ON_COMMAND(ID_GROUP_PROPERTY, OnGroupProperty)
    ON_COMMAND(ID_LDAP_GROUP_REFRESH, OnRefreshLdapGroup)
    ON_COMMAND(ID_ADDRESS_IMPORT_FILE, OnImportAddressFile)
    ON_COMMAND(ID_ADDRESS_IMPORT_WAB, OnImportWab)
    ON_COMMAND(IDC_ADDRESS_SEARCH, OnSearch)
    ON_COMMAND(IDC_HIDE_ENTRY, OnHideEntry)
    ON_CONTROL(CBN_SELCHANGE, IDC_DISPLAY_MODE, OnDisplayModeChanged)
    ON_NOTIFY(TVN_SELCHANGEDA, IDC_GROUP_TREE, OnTreeSelChanged)
    ON_NOTIFY(TVN_ITEMEXPANDEDA, IDC_GROUP_TREE, OnTreeItemExpanded)
    ON_NOTIFY(TVN_ENDLABELEDITA, IDC_GROUP_TREE, OnTreeEndLabelEdit)
    ON_NOTIFY(TVN_BEGINDRAGA, IDC_GROUP_TREE, OnTreeBeginDrag)
    ON_NOTIFY(NM_RCLICK, IDC_GROUP_TREE, OnTreeRightClick)
    ON_NOTIFY(NM_DBLCLK, IDC_GROUP_TREE, OnTreeDblClick)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_ADDRESS_LIST, OnListItemChanged)
    ON_NOTIFY(NM_DBLCLK, IDC_ADDRESS_LIST, OnListDblClick)
    ON_NOTIFY(LVN_KEYDOWN, IDC_ADDRESS_LIST, OnListKeyDown)
    ON_NOTIFY(NM_SETFOCUS, IDC_ADDRESS_LIST, OnListSetFocus)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_ADDRESS_LIST, OnListColumnClick)
    ON_NOTIFY(NM_RCLICK, IDC_ADDRESS_LIST, OnListRightClick)
    ON_NOTIFY(LVN_BEGINDRAG, IDC_ADDRESS_LIST, OnListBeginDrag)
END_MESSAGE_MAP()

// The window is a dialog of the platform's dialog manager under a class
// name of its own, so that the main window can find and close it.
void RegisterAddressNoteClass()
{
    static bool s_registered = false;
    if (s_registered)
        return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(nullptr, MAKEINTATOM(0x8002), &wc))
        return;
    wc.lpszClassName = CDlgAddressNote::kWindowClass;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.style |= CS_GLOBALCLASS;
    s_registered = RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

CDlgAddressNote::CDlgAddressNote(CWnd* pParent) : CDialog(IDD_ADDRESS_NOTE, pParent)
{
    RegisterAddressNoteClass();
}

CDlgAddressNote::~CDlgAddressNote()
{
    if (m_pSearch && m_pSearch->m_hWnd)
        m_pSearch->DestroyWindow();
    if (m_hDragImage)
        ImageList_Destroy(m_hDragImage);
}

BOOL CDlgAddressNote::CreateModeless(CWnd* pParent, RECT* pKeepRect, const CAddressRecipientTargets& targets)
{
    m_bModelessWindow = TRUE;
    m_pKeepRect = pKeepRect;
    m_targets = targets;
    return Create(IDD_ADDRESS_NOTE, pParent);
}

void CDlgAddressNote::SetPicking(HWND hOwnerField, const CAddressRecipientTargets& targets)
{
    m_bPicking = TRUE;
    m_hOwnerField = hOwnerField;
    m_targets = targets;
}

void CDlgAddressNote::SetEntryText(const char* pszName, const char* pszAddress, const char* pszMemo)
{
    SetDlgItemText(IDC_ENTRY_NAME, pszName ? pszName : "");
    SetDlgItemText(IDC_ENTRY_ADDRESS, pszAddress ? pszAddress : "");
    SetDlgItemText(IDC_ENTRY_MEMO, pszMemo ? pszMemo : "");
}

void CDlgAddressNote::SetPresetAddress(const char* pszName, const char* pszAddress, const char* pszMemo)
{
    m_strPresetName = pszName ? pszName : "";
    m_strPresetAddress = pszAddress ? pszAddress : "";
    m_strPresetMemo = pszMemo ? pszMemo : "";
}

BOOL CDlgAddressNote::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_ADDRESS_LIST, this);
    m_tree.SubclassDlgItem(IDC_GROUP_TREE, this);
    m_splitter.SubclassDlgItem(IDC_SPLITTER, this);
    m_splitter.SetFaceBitmap(IDB_SPLITTER_FACE);
    m_displayMode.SubclassDlgItem(IDC_DISPLAY_MODE, this);

    HICON icon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_ADDRESS_NOTE), IMAGE_ICON,
                                               0, 0, LR_DEFAULTSIZE | LR_SHARED));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    m_treeImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1);
    for (UINT id : { IDI_ADDRESS_NOTE, IDI_GROUP_CLOSED, IDI_GROUP_OPEN }) {
        HICON h = static_cast<HICON>(
            LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        m_treeImages.Add(h);
        if (h)
            DestroyIcon(h);
    }
    m_tree.SetImageList(m_treeImages, TVSIL_NORMAL);

    for (const char* mode : { "一覧", "アイコン", "スモール" })
        m_displayMode.AddString(mode);

    if (App() && App()->GetProfileInt("Setting", "AllButtonNormal", 0) != 0) {
        for (int id : kButtons) {
            HWND h = GetDlgItemHwnd(id);
            RECT rc = ChildRect(m_hWnd, id);
            ::SetWindowLongPtrA(h, GWL_EXSTYLE, ::GetWindowLongPtrA(h, GWL_EXSTYLE) | WS_EX_STATICEDGE);
            ::SetWindowPos(h, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top + 2,
                           SWP_NOZORDER | SWP_FRAMECHANGED);
        }
    }

    GetClientRect(&m_rcTemplateClient);
    m_rcTreeInit = ChildRect(m_hWnd, IDC_GROUP_TREE);
    m_rcListInit = ChildRect(m_hWnd, IDC_ADDRESS_LIST);
    for (int id : kEntryControls)
        m_initialRects.emplace_back(id, ChildRect(m_hWnd, id));
    for (int id : kButtons)
        m_initialRects.emplace_back(id, ChildRect(m_hWnd, id));
    m_initialRects.emplace_back(IDC_DISPLAY_MODE, ChildRect(m_hWnd, IDC_DISPLAY_MODE));
    RECT entry = ChildRect(m_hWnd, IDC_ENTRY_NAME), button = ChildRect(m_hWnd, ID_ADDRESS_TO);
    m_nEntryRowHeight = button.top - entry.top;

    m_nSortMode = ReadInt("AddressSortMode", -1);
    m_bSortFlag = ReadInt("AddressSortDir", 0) != 0;
    m_nDisplayMode = ReadInt("AddressDispMode", 0);
    if (m_nDisplayMode < 0 || m_nDisplayMode > 2)
        m_nDisplayMode = 0;
    m_nSplitPos = ReadInt("AddressSplitPos", 0);
    if (m_nSplitPos <= 0)
        m_nSplitPos = ChildRect(m_hWnd, IDC_GROUP_TREE).right + 2;
    SetupList();
    m_displayMode.SetCurSel(m_nDisplayMode);

    // Placement: right edge and top at the kept rectangle's, else centred.
    if (!m_bPicking) {
        if (m_pKeepRect && m_pKeepRect->left && m_pKeepRect->top && m_pKeepRect->right && m_pKeepRect->bottom) {
            RECT rc;
            GetWindowRect(&rc);
            SetWindowPos(nullptr, m_pKeepRect->right - (rc.right - rc.left), m_pKeepRect->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            CenterWindow();
        }
    }
    LayoutControls();
    if (!m_bModelessWindow) {
        LoadGroupTree();
        if (m_bPicking)
            CenterWindow();
    }
    return TRUE;
}

void CDlgAddressNote::SetupList()
{
    CUserIconList& icons = GetUserIconList();
    m_list.SetImageList(icons.GetLargeImages(), LVSIL_NORMAL);
    m_list.SetImageList(icons.GetSmallImages(), LVSIL_SMALL);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_bHeaderDescending = m_nSortMode == 0 ? m_bSortFlag : !m_bSortFlag;
    m_list.SetSortColumn(m_nSortMode > 0 ? m_nSortMode : -1, &m_bHeaderDescending);
    RECT rc;
    m_list.GetClientRect(&rc);
    int width = rc.right;
    int name = ReadInt("AddressColumnName", 0);
    int address = ReadInt("AddressColumnAddress", 0);
    int memo = ReadInt("AddressColumnMemo", 0);
    if (name == 0)
        name = width / 4;
    if (address == 0)
        address = width / 2;
    if (memo == 0)
        memo = width - name - address - GetSystemMetrics(SM_CYHSCROLL) - 4;
    m_list.InsertColumn(0, "", LVCFMT_LEFT, 20);
    m_list.InsertColumn(1, "名前", LVCFMT_LEFT, name);
    m_list.InsertColumn(2, "アドレス", LVCFMT_LEFT, address);
    m_list.InsertColumn(3, "メモ", LVCFMT_LEFT, memo > 0 ? memo : 40);
    SetDisplayMode(m_nDisplayMode);
}

void CDlgAddressNote::SetDisplayMode(int nMode)
{
    static const DWORD styles[] = { LVS_REPORT, LVS_ICON, LVS_SMALLICON };
    m_nDisplayMode = nMode;
    m_list.ModifyStyle(LVS_TYPEMASK, styles[nMode]);
    if (nMode != 0)
        m_list.Arrange(LVA_DEFAULT);
}

void CDlgAddressNote::SaveColumnWidths()
{
    if (m_nDisplayMode != 0)
        return;
    WriteInt("AddressColumnName", m_list.GetColumnWidth(1));
    WriteInt("AddressColumnAddress", m_list.GetColumnWidth(2));
    WriteInt("AddressColumnMemo", m_list.GetColumnWidth(3));
}

void CDlgAddressNote::OnDisplayModeChanged()
{
    int mode = m_displayMode.GetCurSel();
    if (mode < 0 || mode > 2)
        return;
    SaveColumnWidths();
    WriteInt("AddressDispMode", mode);
    SetDisplayMode(mode);
}

void CDlgAddressNote::OnSize(UINT, int, int)
{
    Default();
    LayoutControls();
}

LRESULT CDlgAddressNote::OnSplitterMoved(WPARAM wParam, LPARAM)
{
    m_nSplitPos = static_cast<int>(wParam);
    LayoutControls();
    return 0;
}

void CDlgAddressNote::LayoutControls()
{
    if (!m_tree.m_hWnd || m_initialRects.empty())
        return;
    RECT client;
    GetClientRect(&client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    const int dy = client.bottom - m_rcTemplateClient.bottom;
    const int grow = m_bEntryHidden ? m_nEntryRowHeight : 0;
    const int top = m_rcTreeInit.top;
    const int bottom = m_rcTreeInit.bottom + dy + grow;
    const int listRight = client.right - (m_rcTemplateClient.right - m_rcListInit.right);
    HDWP hdwp = BeginDeferWindowPos(static_cast<int>(m_initialRects.size()) + 3);
    auto move = [&](int id, int x, int y, int cx, int cy) {
        HWND h = GetDlgItemHwnd(id);
        if (h && hdwp)
            hdwp = DeferWindowPos(hdwp, h, nullptr, x, y, cx > 0 ? cx : 1, cy > 0 ? cy : 1,
                                  SWP_NOZORDER | SWP_NOACTIVATE);
    };
    move(IDC_GROUP_TREE, m_rcTreeInit.left, top, m_nSplitPos - 2 - m_rcTreeInit.left, bottom - top);
    move(IDC_SPLITTER, m_nSplitPos - 2, top, 4, bottom - top);
    move(IDC_ADDRESS_LIST, m_nSplitPos + 2, top, listRight - m_nSplitPos - 2, bottom - top);
    // The rows under the panes keep their distance from the bottom edge.
    for (const auto& child : m_initialRects) {
        const RECT& rc = child.second;
        // A combo box is sized with its drop-down part.
        int cy = child.first == IDC_DISPLAY_MODE ? 120 : rc.bottom - rc.top;
        move(child.first, rc.left, rc.top + dy, rc.right - rc.left, cy);
    }
    if (hdwp)
        EndDeferWindowPos(hdwp);
}

void CDlgAddressNote::OnHideEntry()
{
    m_bEntryHidden = TRUE;
    for (int id : kEntryControls)
        ::ShowWindow(GetDlgItemHwnd(id), SW_HIDE);
    LayoutControls();
}

LRESULT CDlgAddressNote::OnAddPresetAddress(WPARAM, LPARAM)
{
    SetEntryText(m_strPresetName, m_strPresetAddress, m_strPresetMemo);
    OnAddAddress();
    return 0;
}

void CDlgAddressNote::ShowFirstTime()
{
    if (IsWindowVisible())
        return;
    LoadGroupTree();
    SetEntryText(nullptr, nullptr, nullptr);
    OnHideEntry();
    int left = ReadInt("AddressLeft", -1), top = ReadInt("AddressTop", -1);
    int width = ReadInt("AddressWidth", -1), height = ReadInt("AddressHeight", -1);
    if (width > 0 && height > 0)
        SetWindowPos(nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    else if (!m_targets.hOwnerEditor)
        CenterWindow();
    ShowWindow(SW_SHOW);
}

BOOL CDlgAddressNote::PreTranslateMessage(MSG* pMsg)
{
    // Enter and Escape end the editing of a group name instead of the dialog.
    HWND edit = m_tree.m_hWnd ? m_tree.GetEditControl() : nullptr;
    if (edit && pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) {
        ::TranslateMessage(pMsg);
        ::DispatchMessageW(pMsg);
        return TRUE;
    }
    // Enter in the list runs its default action.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && pMsg->hwnd == m_list.m_hWnd) {
        DefaultAction();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDlgAddressNote::OnOK()
{
    // Enter outside the list is not a way to close the window.
}

void CDlgAddressNote::OnCancel()
{
    CloseWindow();
}

void CDlgAddressNote::CloseWindow()
{
    RECT rc;
    GetWindowRect(&rc);
    if (m_pKeepRect)
        *m_pKeepRect = rc;
    WriteInt("AddressSplitPos", ChildRect(m_hWnd, IDC_GROUP_TREE).right + 2);
    SaveColumnWidths();
    WriteInt("AddressSelectGroup", m_pCurGroup ? m_pCurGroup->m_nId : 0);
    if (m_pSearch && m_pSearch->m_hWnd)
        m_pSearch->DestroyWindow();
    if (m_bPicking) {
        m_strPicked = GetSelectedAddressText();
        EndDialog(IDOK);
        return;
    }
    if (!m_bModelessWindow) {
        SaveGroupList();
        EndDialog(IDCANCEL);
        return;
    }
    ShowWindow(SW_HIDE);
    if (!IsIconic()) {
        WriteInt("AddressWidth", rc.right - rc.left);
        WriteInt("AddressHeight", rc.bottom - rc.top);
        WriteInt("AddressLeft", rc.left);
        WriteInt("AddressTop", rc.top);
    }
    HWND front = m_targets.hOwnerEditor;
    if (!front && AfxGetMainWnd())
        front = AfxGetMainWnd()->m_hWnd;
    if (front && ::IsWindow(front))
        ::SetForegroundWindow(front);
    SaveGroupList();
    DestroyWindow();
}

void CDlgAddressNote::PostNcDestroy()
{
    CDialog::PostNcDestroy();
    if (m_bModelessWindow && m_bDeleteOnDestroy)
        delete this;
}
