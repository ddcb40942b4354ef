#include "transfer/DlgDivideupItem.h"

#include "addressbook/DlgAddressNote.h"
#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"
#include "mainwnd/DlgInputFolderName.h"
#include "mainwnd/FolderImages.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MailListFormat.h"
#include "mainwnd/MainFrame.h"
#include "message/MailMessage.h"
#include "resources/rules/RulesResource.h"
#include "store/FolderData.h"
#include "store/FolderRecord.h"
#include "transfer/ConditionItems.h"

#include <commdlg.h>

#include <map>

namespace {

const char kSendAccountItem[] = "送信したアカウント";
const int kColorRowCount = DivideupItemValues::kCustomColorRow + 1;

CString ColorRowName(int nRow)
{
    if (nRow == 0)
        return "自動";
    if (nRow == DivideupItemValues::kCustomColorRow)
        return "その他の色...";
    return MailListFormat::LabelName(nRow);
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgDivideupItem, CDialog)
    ON_CONTROL(CBN_SELCHANGE, IDC_RULE_HEADER1, OnHeader1Changed)
    ON_CONTROL(CBN_SELCHANGE, IDC_RULE_HEADER2, OnHeader2Changed)
    ON_BN_CLICKED(IDC_RULE_LEAVE, OnLeaveClicked)
    ON_BN_CLICKED(IDC_RULE_DELETE, OnDeleteClicked)
    ON_BN_CLICKED(IDC_RULE_USE_COLOR, UpdateEnabling)
    ON_BN_CLICKED(IDC_RULE_NO_FOLDER_MOVE, UpdateEnabling)
    ON_CONTROL(CBN_SELCHANGE, IDC_RULE_COLOR, OnColorChanged)
    ON_BN_CLICKED(IDC_RULE_CREATE_FOLDER, OnCreateFolder)
    ON_BN_CLICKED(IDC_RULE_ADDRESS_BOOK, OnAddressBook)
    ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
    ON_MESSAGE(WM_MEASUREITEM, OnMeasureItem)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
END_MESSAGE_MAP()

CDlgDivideupItem::CDlgDivideupItem(CWnd* pParent) : CDialog(IDD_DIVIDEUP_ITEM, pParent)
{
}

BOOL CDlgDivideupItem::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int id : { IDC_RULE_HEADER1, IDC_RULE_HEADER2 }) {
        HWND combo = GetDlgItemHwnd(id);
        for (int i = 0; i < GetConditionItemCount(); ++i) {
            int row = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0,
                                                      reinterpret_cast<LPARAM>(GetConditionItem(i).pszDisplayName)));
            ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(row), i);
        }
    }
    m_tree.SubclassDlgItem(IDC_RULE_FOLDER_TREE, this);
    FillFolderTree();
    m_color.SubclassDlgItem(IDC_RULE_COLOR, this);
    FillColorCombo();

    DivideupItemValues v = DivideupItemValues::FromRule(m_rule);
    if (m_pMailHeader && GetConditionItemCount() > 0) {
        ::SendMessageA(GetDlgItemHwnd(IDC_RULE_HEADER1), CB_SETCURSEL, 0, 0);
        OnHeaderChanged(1);
        v.strHeader1Name = GetDlgItemText(IDC_RULE_HEADER1);
        v.strString1 = GetDlgItemText(IDC_RULE_STRING1);
    }
    SetDlgItemText(IDC_RULE_HEADER1, v.strHeader1Name);
    SetDlgItemText(IDC_RULE_HEADER2, v.strHeader2Name);
    SetDlgItemText(IDC_RULE_STRING1, v.strString1);
    SetDlgItemText(IDC_RULE_STRING2, v.strString2);
    CheckDlgButton(IDC_RULE_NEGATE1, v.bNegate1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RULE_NEGATE2, v.bNegate2 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(v.bOrMode ? IDC_RULE_OR : IDC_RULE_AND, BST_CHECKED);
    CheckDlgButton(IDC_RULE_LEAVE, v.bLeaveOnServer ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RULE_DELETE, v.bDeleteOnServer ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RULE_NOT_RECEIVE, v.bNotReceive ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RULE_USE_COLOR, v.bUseColorLabel ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RULE_NO_FOLDER_MOVE, v.bNoFolderMove ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RULE_MARK_READ, v.bMarkRead ? BST_CHECKED : BST_UNCHECKED);
    m_color.SetCurSel(v.nColorRow < kColorRowCount ? v.nColorRow : 0);
    UpdateEnabling();
    return TRUE;
}

void CDlgDivideupItem::FillFolderTree()
{
    if (CreateFolderImageList(m_images))
        m_tree.SetImageList(m_images.m_hImageList, TVSIL_NORMAL);
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    CFolderData data;
    app->LoadFolderList(data);
    std::map<int, HTREEITEM> items;
    HTREEITEM hSelect = nullptr, hInbox = nullptr;
    for (int i = 0; i < data.GetRecordCount(TRUE); ++i) {
        CFolderRecord* r = data.GetFolder(i);
        auto parent = items.find(r->m_nParentId);
        HTREEITEM hParent = r->m_nParentId && parent != items.end() ? parent->second : TVI_ROOT;
        HTREEITEM hItem = m_tree.InsertItem(r->m_strName, r->m_nIcon, r->m_nIcon, hParent, TVI_LAST, r->m_nId);
        items[r->m_nId] = hItem;
        if (r->m_nKind == CFolderRecord::kindInbox && !hInbox)
            hInbox = hItem;
        if (m_rule.m_nFolderId != 0 && r->m_nId == m_rule.m_nFolderId)
            hSelect = hItem;
    }
    if (m_rule.m_nFolderId == 0 || !hSelect)
        hSelect = hInbox;
    if (hSelect) {
        m_tree.SelectItem(hSelect);
        m_tree.EnsureVisible(hSelect);
    }
}

void CDlgDivideupItem::FillColorCombo()
{
    m_color.SetItemHeight(-1, 14);
    m_color.SetItemHeight(0, 14);
    for (int row = 0; row < kColorRowCount; ++row) {
        int index = m_color.AddString(ColorRowName(row));
        COLORREF color = 0;
        if (row >= 1 && row <= 15)
            color = CDivideupData::GetFixedLabelColor(row, 0);
        else if (row == DivideupItemValues::kCustomColorRow)
            color = m_rule.m_crCustomColor;
        m_color.SetItemData(index, color);
    }
}

void CDlgDivideupItem::OnHeaderChanged(int nCondition)
{
    int headerId = nCondition == 1 ? IDC_RULE_HEADER1 : IDC_RULE_HEADER2;
    int textId = nCondition == 1 ? IDC_RULE_STRING1 : IDC_RULE_STRING2;
    HWND combo = GetDlgItemHwnd(headerId);
    int row = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (row < 0)
        return;
    int item = static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(row), 0));
    if (item < 0 || item >= GetConditionItemCount())
        return;
    const ConditionItem& chosen = GetConditionItem(item);
    SetDlgItemText(headerId, chosen.pszDisplayName);
    HWND text = GetDlgItemHwnd(textId);
    if (strcmp(chosen.pszDisplayName, kSendAccountItem) == 0) {
        ::SendMessageA(text, CB_RESETCONTENT, 0, 0);
        CQuendalApp* app = QuendalApp();
        CAccountDataSet* accounts = app ? app->m_pAccountDataSet : nullptr;
        if (accounts) {
            accounts->SetFilePath(app->GetAccountFilePath());
            accounts->ReadFromFile(TRUE);
            for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i)
                if (CAccountData* a = accounts->GetAccount(i))
                    ::SendMessageA(text, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(a->GetAccountName().GetString()));
        }
    }
    if (m_pMailHeader)
        SetDlgItemText(textId, m_pMailHeader->GetHeader(chosen.pszKey));
}

void CDlgDivideupItem::OnLeaveClicked()
{
    if (IsDlgButtonChecked(IDC_RULE_LEAVE))
        CheckDlgButton(IDC_RULE_DELETE, BST_UNCHECKED);
}

void CDlgDivideupItem::OnDeleteClicked()
{
    if (IsDlgButtonChecked(IDC_RULE_DELETE))
        CheckDlgButton(IDC_RULE_LEAVE, BST_UNCHECKED);
}

void CDlgDivideupItem::UpdateEnabling()
{
    ::EnableWindow(GetDlgItemHwnd(IDC_RULE_COLOR), IsDlgButtonChecked(IDC_RULE_USE_COLOR) != 0);
    BOOL moves = !IsDlgButtonChecked(IDC_RULE_NO_FOLDER_MOVE);
    for (int id : { IDC_RULE_DELETE, IDC_RULE_LEAVE, IDC_RULE_NOT_RECEIVE, IDC_RULE_SERVER_OPTION })
        ::EnableWindow(GetDlgItemHwnd(id), moves);
}

void CDlgDivideupItem::OnColorChanged()
{
    int row = m_color.GetCurSel();
    if (row != DivideupItemValues::kCustomColorRow)
        return;
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = m_hWnd;
    cc.rgbResult = static_cast<COLORREF>(m_color.GetItemData(row));
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (::ChooseColorA(&cc)) {
        m_color.SetItemData(row, cc.rgbResult);
        m_color.Invalidate();
    }
}

HTREEITEM CDlgDivideupItem::FindTreeItem(HTREEITEM hFrom, int nFolderId) const
{
    for (HTREEITEM h = hFrom; h; h = m_tree.GetNextSiblingItem(h)) {
        if (static_cast<int>(m_tree.GetItemData(h)) == nFolderId)
            return h;
        if (HTREEITEM found = FindTreeItem(m_tree.GetChildItem(h), nFolderId))
            return found;
    }
    return nullptr;
}

void CDlgDivideupItem::OnCreateFolder()
{
    HTREEITEM hSelected = m_tree.GetSelectedItem();
    CQuendalApp* app = QuendalApp();
    CMainFrame* frame = app ? app->m_pMainFrame : nullptr;
    CFolderTree* folders = frame ? frame->GetFolderTree() : nullptr;
    if (!hSelected || !folders)
        return;
    CDlgInputFolderName dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    HTREEITEM hMain = folders->FindItem(static_cast<int>(m_tree.GetItemData(hSelected)));
    if (!hMain)
        return;
    int id = folders->CreateFolder(nullptr, hMain, dlg.m_strName, 2, TRUE);
    if (id <= 0)
        return;
    HTREEITEM hNew = m_tree.InsertItem(dlg.m_strName, 0, 0, hSelected, TVI_LAST, id);
    m_tree.Expand(hSelected, TVE_EXPAND);
    m_tree.SelectItem(hNew);
    m_tree.EnsureVisible(hNew);
}

void CDlgDivideupItem::OnAddressBook()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    CAddressRecipientTargets targets;
    // The edit part of condition 1's text box; condition 2's when 1 has none.
    HWND edit = ::FindWindowExA(GetDlgItemHwnd(IDC_RULE_STRING1), nullptr, "Edit", nullptr);
    if (!edit)
        edit = ::FindWindowExA(GetDlgItemHwnd(IDC_RULE_STRING2), nullptr, "Edit", nullptr);
    targets.hEdit[0] = edit;
    m_pAddressNote = app->OpenAddressBook(this, 4, &targets);
}

LRESULT CDlgDivideupItem::OnDestroyMsg(WPARAM, LPARAM)
{
    // The address window writes into this dialog's boxes: it goes with them.
    if (m_pAddressNote && ::IsWindow(m_pAddressNote->m_hWnd))
        m_pAddressNote->DestroyWindow();
    m_pAddressNote = nullptr;
    return Default();
}

LRESULT CDlgDivideupItem::OnMeasureItem(WPARAM, LPARAM lParam)
{
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (mis && mis->CtlID == IDC_RULE_COLOR) {
        mis->itemHeight = 14;
        return TRUE;
    }
    return Default();
}

LRESULT CDlgDivideupItem::OnDrawItem(WPARAM, LPARAM lParam)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (!dis || dis->CtlID != IDC_RULE_COLOR)
        return Default();
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &rc, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(dis->itemID) < 0)
        return TRUE;
    int row = static_cast<int>(dis->itemID);
    RECT swatch = { rc.left + 2, rc.top + 2, rc.left + 22, rc.bottom - 2 };
    if (row >= 1) {
        HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(dis->itemData));
        ::FillRect(dc, &swatch, brush);
        ::DeleteObject(brush);
        ::FrameRect(dc, &swatch, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    RECT text = rc;
    text.left = swatch.right + 4;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    CString name = ColorRowName(row);
    ::DrawTextA(dc, name, name.GetLength(), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    return TRUE;
}

void CDlgDivideupItem::OnOK()
{
    DivideupItemValues v;
    v.strHeader1Name = GetDlgItemText(IDC_RULE_HEADER1);
    v.strString1 = GetDlgItemText(IDC_RULE_STRING1);
    v.strHeader2Name = GetDlgItemText(IDC_RULE_HEADER2);
    v.strString2 = GetDlgItemText(IDC_RULE_STRING2);
    v.bNegate1 = IsDlgButtonChecked(IDC_RULE_NEGATE1) != 0;
    v.bNegate2 = IsDlgButtonChecked(IDC_RULE_NEGATE2) != 0;
    v.bOrMode = IsDlgButtonChecked(IDC_RULE_OR) != 0;
    HTREEITEM hFolder = m_tree.GetSelectedItem();
    v.nFolderId = hFolder ? static_cast<int>(m_tree.GetItemData(hFolder)) : 0;
    m_strFolderName = hFolder ? m_tree.GetItemText(hFolder) : CString();
    v.bLeaveOnServer = IsDlgButtonChecked(IDC_RULE_LEAVE) != 0;
    v.bDeleteOnServer = IsDlgButtonChecked(IDC_RULE_DELETE) != 0;
    v.bNotReceive = IsDlgButtonChecked(IDC_RULE_NOT_RECEIVE) != 0;
    v.bUseColorLabel = IsDlgButtonChecked(IDC_RULE_USE_COLOR) != 0;
    v.nColorRow = m_color.GetCurSel() < 0 ? 0 : m_color.GetCurSel();
    v.crRowColor = static_cast<COLORREF>(m_color.GetItemData(v.nColorRow));
    v.bNoFolderMove = IsDlgButtonChecked(IDC_RULE_NO_FOLDER_MOVE) != 0;
    v.bMarkRead = IsDlgButtonChecked(IDC_RULE_MARK_READ) != 0;
    v.StoreInto(m_rule);
    EndDialog(IDOK);
}
