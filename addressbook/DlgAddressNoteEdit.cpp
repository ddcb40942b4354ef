// The address book window: the address list, the commands on addresses,
// the recipients and the search.
#include "addressbook/DlgAddressNote.h"

#include "addressbook/AddressManagerThread.h"
#include "addressbook/AddressObjectBlock.h"
#include "addressbook/DlgAddAddressInput.h"
#include "addressbook/DlgAddressProperty.h"
#include "addressbook/DlgAddressSearch.h"
#include "addressbook/UserIconList.h"
#include "classlib/OleDataSource.h"
#include "core/QuendalApp.h"
#include "message/AddressList.h"
#include "message/OutgoingMailServices.h"
#include "resources/addressbook/AddressbookResource.h"

namespace {

int AddressDisplayMode()
{
    return QuendalApp() ? QuendalApp()->m_nAddressDispType : 0;
}

} // namespace

CAddressData* CDlgAddressNote::EntryOfItem(int nItem) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    if (!m_list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    CAddressDataSet& set = const_cast<CAddressDataSet&>(m_addresses);
    if (item.lParam < 0 || item.lParam >= set.GetRecordCount(TRUE))
        return nullptr;
    return set.GetAddress(static_cast<int>(item.lParam));
}

void CDlgAddressNote::AddListItem(int nRecord)
{
    const CAddressData* a = m_addresses.GetAddress(nRecord);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = m_list.GetItemCount();
    item.pszText = const_cast<char*>("");
    item.iImage = GetUserIconList().FindIconIndex(a->m_strIconName);
    item.lParam = nRecord;
    int row = static_cast<int>(m_list.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    UpdateListItem(row);
}

void CDlgAddressNote::UpdateListItem(int nItem)
{
    const CAddressData* a = EntryOfItem(nItem);
    if (!a)
        return;
    // Icon views label an item with its first column.
    m_list.SetItemText(nItem, 0, m_nDisplayMode == 0 ? "" : a->m_strName.GetString());
    m_list.SetItemText(nItem, 1, a->m_strName);
    m_list.SetItemText(nItem, 2, a->m_strAddress);
    m_list.SetItemText(nItem, 3, a->m_strMemo);
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    item.iImage = GetUserIconList().FindIconIndex(a->m_strIconName);
    m_list.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void CDlgAddressNote::WriteCurrentGroup()
{
    bool bChangedByOthers = false;
    WriteFileMerged(m_addresses, m_strAddressesBase, bChangedByOthers);
    // The caller still works with the records it changed; the list shows
    // the others' changes once it is done.
    if (bChangedByOthers && m_hWnd)
        PostMessage(WM_RELOAD_FROM_FILES, 0, 0);
    PostAddressBookChanged();
}

namespace {

struct SortContext
{
    CAddressDataSet* set;
    int mode;
    BOOL flag;
};

int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM context)
{
    const SortContext* c = reinterpret_cast<const SortContext*>(context);
    return AddressNoteRules::CompareAddressItems(*c->set->GetAddress(static_cast<int>(a)),
                                                 *c->set->GetAddress(static_cast<int>(b)), c->mode, c->flag);
}

} // namespace

void CDlgAddressNote::SortList()
{
    if (m_nSortMode < 0)
        return;
    SortContext context = { &m_addresses, m_nSortMode, m_bSortFlag };
    m_list.SendMessage(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(CompareItems));
    // The flag means ascending for the text columns and descending for the
    // registration order; the header mark shows the order itself.
    m_bHeaderDescending = m_nSortMode == 0 ? m_bSortFlag : !m_bSortFlag;
    m_list.SetSortColumn(m_nSortMode > 0 ? m_nSortMode : -1, &m_bHeaderDescending);
    m_list.Invalidate();
}

void CDlgAddressNote::OnListColumnClick(NMHDR* pNMHDR, LRESULT*)
{
    const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    int column = lv->iSubItem;
    int mode = column;  // column 0 (the icon) sorts by registration order
    if (mode == m_nSortMode)
        m_bSortFlag = !m_bSortFlag;
    m_nSortMode = mode;
    SortList();
    if (QuendalApp()) {
        QuendalApp()->WriteProfileInt("AddressNote", "AddressSortMode", m_nSortMode);
        QuendalApp()->WriteProfileInt("AddressNote", "AddressSortDir", m_bSortFlag ? 1 : 0);
    }
}

BOOL CDlgAddressNote::ConfirmAddAddress(CString& address)
{
    if (address.Find('@') >= 0)
        return TRUE;
    return AfxMessageBox(IDS_ADDRESS_NO_AT_SIGN, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void CDlgAddressNote::OnAddAddress()
{
    if (!m_pCurGroup || m_addresses.GetFilePath().IsEmpty()) {
        AfxMessageBox("グループを選択してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_pCurGroup->m_nType == CAddressGroupData::typeLdap) {
        AfxMessageBox("LDAPフォルダにはアドレスは追加できません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDlgAddAddressInput dlg(this);
    dlg.m_strName = GetDlgItemText(IDC_ENTRY_NAME);
    dlg.m_strAddress = GetDlgItemText(IDC_ENTRY_ADDRESS);
    dlg.m_strMemo = GetDlgItemText(IDC_ENTRY_MEMO);
    if (dlg.DoModal() != IDOK)
        return;
    if (!ConfirmAddAddress(dlg.m_strAddress))
        return;
    CAddressData* a = static_cast<CAddressData*>(m_addresses.CreateNewRecord());
    a->m_strAddress = dlg.m_strAddress;
    a->m_strName = dlg.m_strName;
    a->m_strMemo = dlg.m_strMemo;
    a->m_strIconName = "IconDefault";
    WriteCurrentGroup();
    AddListItem(a->m_nIndex);
    if (m_bPicking) {
        if (QuendalApp())
            QuendalApp()->WriteProfileInt("AddressNote", "AddressSelectGroup", m_pCurGroup->m_nId);
        for (int i = 0; i < m_list.GetItemCount(); ++i)
            m_list.SetItemState(i, EntryOfItem(i) == a ? LVIS_SELECTED : 0, LVIS_SELECTED);
        CloseWindow();
        return;
    }
    SortList();
}

void CDlgAddressNote::OnChangeAddress()
{
    if (!m_pCurGroup)
        return;
    if (m_pCurGroup->m_nType == CAddressGroupData::typeLdap) {
        AfxMessageBox("LDAPフォルダのアドレスは編集できません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    int item = m_list.GetNextItem(-1, LVNI_SELECTED);
    CAddressData* a = item >= 0 ? EntryOfItem(item) : nullptr;
    if (!a)
        return;
    CDlgAddAddressInput dlg(this);
    dlg.m_strName = a->m_strName;
    dlg.m_strAddress = a->m_strAddress;
    dlg.m_strMemo = a->m_strMemo;
    if (dlg.DoModal() != IDOK)
        return;
    a->m_strName = dlg.m_strName;
    a->m_strAddress = dlg.m_strAddress;
    a->m_strMemo = dlg.m_strMemo;
    WriteCurrentGroup();
    UpdateListItem(item);
}

void CDlgAddressNote::OnDeleteAddresses()
{
    if (!m_pCurGroup)
        return;
    if (m_pCurGroup->m_nType == CAddressGroupData::typeLdap) {
        AfxMessageBox("LDAPフォルダのアドレスは削除できません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    UINT count = m_list.GetSelectedCount();
    if (count == 0)
        return;
    CString question;
    if (count == 1) {
        const CAddressData* a = EntryOfItem(m_list.GetNextItem(-1, LVNI_SELECTED));
        question.Format("%s を削除します。よろしいですか？",
                        FormatMailAddress(a->m_strName, a->m_strAddress, AddressDisplayMode()).GetString());
    } else {
        question = "選択されているアドレスを削除します。\r\nよろしいですか？";
    }
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    for (int i = m_list.GetItemCount() - 1; i >= 0; --i) {
        if (!(m_list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED))
            continue;
        if (CAddressData* a = EntryOfItem(i))
            m_addresses.MarkRecordDeleted(a);
        m_list.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(i));
    }
    WriteCurrentGroup();
}

void CDlgAddressNote::OnAddressProperty()
{
    int item = m_list.GetNextItem(-1, LVNI_SELECTED);
    CAddressData* a = item >= 0 ? EntryOfItem(item) : nullptr;
    if (!a)
        return;
    CUserIconList& icons = GetUserIconList();
    CDlgAddressProperty dlg(*a, this);
    dlg.m_strName = a->m_strName;
    dlg.m_strAddress = a->m_strAddress;
    dlg.m_strMemo = a->m_strMemo;
    dlg.m_nIconIndex = icons.FindIconIndex(a->m_strIconName);
    if (dlg.DoModal() != IDOK)
        return;
    a->m_strName = dlg.m_strName;
    a->m_strAddress = dlg.m_strAddress;
    a->m_strMemo = dlg.m_strMemo;
    a->m_strIconName = icons.GetIconName(dlg.m_nIconIndex);
    UpdateListItem(item);
    WriteCurrentGroup();
}

void CDlgAddressNote::OnWriteMail()
{
    CString text = GetSelectedAddressText();
    if (QuendalApp())
        QuendalApp()->OpenMailEditor(-1, nullptr, -1, 0, text, "", "", "", "", 0, 0, FALSE, 0);
}

CString CDlgAddressNote::GetSelectedAddressText()
{
    CString text;
    const int mode = AddressDisplayMode();
    for (int i = m_list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = m_list.GetNextItem(i, LVNI_SELECTED)) {
        const CAddressData* a = EntryOfItem(i);
        if (!a)
            continue;
        text += m_bAddressOnly ? a->m_strAddress : FormatMailAddress(a->m_strName, a->m_strAddress, mode);
        text += ",";
    }
    if (m_list.GetSelectedCount() == 0) {
        CString name = GetDlgItemText(IDC_ENTRY_NAME), address = GetDlgItemText(IDC_ENTRY_ADDRESS);
        if (!address.IsEmpty())
            text = m_bAddressOnly ? address : FormatMailAddress(name, address, mode);
    }
    return text;
}

void CDlgAddressNote::AppendToRecipientField(int nField, const char* pszText)
{
    if (HWND edit = m_targets.hEdit[nField]) {
        CString old = CWnd::FromHandle(edit)->GetWindowText();
        ::SetWindowTextA(edit, AddressNoteRules::AppendRecipients(old, pszText));
        if (m_targets.onChanged)
            m_targets.onChanged(nField);
        return;
    }
    if (HWND list = m_targets.hList[nField]) {
        CStringArray parts;
        ParseAddressList(pszText, &parts);
        for (int i = 0; i < parts.GetSize(); ++i) {
            if (parts[i].IsEmpty())
                continue;
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
            item.pszText = const_cast<char*>(parts[i].GetString());
            ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        if (m_targets.onChanged)
            m_targets.onChanged(nField);
        return;
    }
    AfxMessageBox(IDS_NO_RECIPIENT_TARGET, MB_OK | MB_ICONINFORMATION);
}

void CDlgAddressNote::OnAddToRecipients(UINT nId)
{
    AppendToRecipientField(static_cast<int>(nId - ID_ADDRESS_TO), GetSelectedAddressText());
}

void CDlgAddressNote::DefaultAction()
{
    CString text = GetSelectedAddressText();
    int ownerTarget = -1;
    for (int i = 0; i < 3; ++i)
        if (m_hOwnerField && m_hOwnerField == m_targets.hEdit[i])
            ownerTarget = i;
    if (ownerTarget >= 0) {
        // An editor's own field: the editor learns of the change.
        AppendToRecipientField(ownerTarget, text);
    } else if (m_hOwnerField) {
        CString old = CWnd::FromHandle(m_hOwnerField)->GetWindowText();
        ::SetWindowTextA(m_hOwnerField, AddressNoteRules::AppendRecipients(old, text));
    } else if (m_targets.hOwnerEditor && m_targets.hEdit[0]) {
        AppendToRecipientField(0, text);
    } else if (m_targets.hList[0]) {
        AppendToRecipientField(0, text);
    } else if (m_list.GetSelectedCount() > 0) {
        OnWriteMail();
    }
    if (m_bCloseAfterPick)
        CloseWindow();
}

void CDlgAddressNote::OnListItemChanged(NMHDR* pNMHDR, LRESULT*)
{
    const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (!(lv->uChanged & LVIF_STATE))
        return;
    int first = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (first < 0)
        return;
    if (const CAddressData* a = EntryOfItem(first))
        SetEntryText(a->m_strName, a->m_strAddress, a->m_strMemo);
}

void CDlgAddressNote::OnListDblClick(NMHDR*, LRESULT*)
{
    DefaultAction();
}

void CDlgAddressNote::OnListKeyDown(NMHDR* pNMHDR, LRESULT*)
{
    const NMLVKEYDOWN* key = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    if (key->wVKey == VK_DELETE)
        OnDeleteAddresses();
}

void CDlgAddressNote::OnListSetFocus(NMHDR*, LRESULT*)
{
    if (m_list.GetSelectedCount() == 0 && m_list.GetItemCount() > 0)
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CDlgAddressNote::OnListRightClick(NMHDR*, LRESULT*)
{
    POINT pt;
    GetCursorPos(&pt);
    CMenu menu;
    if (menu.LoadMenu(IDR_ADDRESS_LIST_MENU))
        ::TrackPopupMenu(menu.GetSubMenu(0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
}

void CDlgAddressNote::OnSearch()
{
    if (m_pSearch && m_pSearch->m_hWnd) {
        RunNextSearch();
        return;
    }
    m_pSearch = std::make_unique<CDlgAddressSearch>(this);
    if (m_pSearch->Create(IDD_ADDRESS_SEARCH, this))
        m_pSearch->ShowWindow(SW_SHOW);
}

void CDlgAddressNote::RunNextSearch()
{
    CQuendalApp* app = QuendalApp();
    CAddressManagerThread* thread = app ? dynamic_cast<CAddressManagerThread*>(app->m_pAddressThread) : nullptr;
    if (!thread || !m_pSearch || !m_pSearch->m_hWnd)
        return;
    m_pSearch->UpdateData(TRUE);
    int groupId = 0;
    CString address;
    if (!AddressNoteRules::FindNextAddress(*thread, m_pSearch->m_strName, m_pSearch->m_strAddress,
                                           m_pSearch->m_strMemo, m_search, groupId, address))
        return;
    HTREEITEM item = FindGroupItem(groupId);
    if (!item)
        return;
    if (m_tree.GetSelectedItem() != item)
        m_tree.SelectItem(item);
    for (int i = 0; i < m_list.GetItemCount(); ++i)
        m_list.SetItemState(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        const CAddressData* a = EntryOfItem(i);
        if (a && a->m_strAddress.CompareNoCase(address) == 0) {
            m_list.SetItemState(i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_list.EnsureVisible(i, FALSE);
            break;
        }
    }
}

COleDataSource* CDlgAddressNote::CreateAddressDataObject()
{
    CAddressData entry;
    entry.m_strAddress = GetDlgItemText(IDC_ENTRY_ADDRESS);
    entry.m_strName = GetDlgItemText(IDC_ENTRY_NAME);
    entry.m_strMemo = GetDlgItemText(IDC_ENTRY_MEMO);
    HGLOBAL block = AddressObjectBlock::Create(entry);
    if (!block)
        return nullptr;
    COleDataSource* source = new COleDataSource;
    source->CacheGlobalData(static_cast<CLIPFORMAT>(AddressObjectBlock::GetFormat()), block);
    return source;
}
