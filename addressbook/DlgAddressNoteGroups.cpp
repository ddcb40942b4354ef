// The address book window: the group tree, the group list file and the
// commands on groups.
#include "addressbook/DlgAddressNote.h"

#include "addressbook/AddressFileMerge.h"
#include "addressbook/DlgAddGroup.h"
#include "addressbook/DlgGroupProperty.h"
#include "addressbook/LdapGroup.h"
#include "core/AppMessages.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "message/OutgoingMailServices.h"
#include "resources/addressbook/AddressbookResource.h"

#include <algorithm>
#include <vector>

namespace {

const int kImageClosed = 1;
const int kImageOpen = 2;

class CWaitCursor
{
public:
    CWaitCursor() : m_old(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { SetCursor(m_old); }

private:
    HCURSOR m_old;
};

CString AddressBoxPath()
{
    return QuendalApp() ? QuendalApp()->GetAddressBoxPath() : CString();
}

} // namespace

void PostAddressBookChanged()
{
    CQuendalApp* app = QuendalApp();
    if (app && app->m_pAddressThread)
        app->m_pAddressThread->PostThreadMessage(WM_QD_ADDRESS_CHANGED, 0, 0);
}

CString CDlgAddressNote::GetGroupListPath()
{
    CString path = CombinePath(AddressBoxPath(), "Group.lst");
    DWORD attr = GetFileAttributesA(path);
    if ((attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) && QuendalApp())
        QuendalApp()->CreateDefaultAddressBook();
    return path;
}

CAddressGroupData* CDlgAddressNote::GroupOfItem(HTREEITEM hItem) const
{
    if (!hItem)
        return nullptr;
    int index = static_cast<int>(m_tree.GetItemData(hItem));
    if (index < 0 || index >= const_cast<CAddressGroupDataSet&>(m_groups).GetRecordCount(TRUE))
        return nullptr;
    return m_groups.GetGroup(index);
}

HTREEITEM CDlgAddressNote::FindGroupItem(int nGroupId) const
{
    for (int i = 0; i < const_cast<CAddressGroupDataSet&>(m_groups).GetRecordCount(TRUE); ++i) {
        CAddressGroupData* g = m_groups.GetGroup(i);
        if (!g->m_bDeleted && g->m_nId == nGroupId && g->m_hTreeItem)
            return static_cast<HTREEITEM>(g->m_hTreeItem);
    }
    return nullptr;
}

void CDlgAddressNote::LoadGroupTree()
{
    m_pCurGroup = nullptr;
    m_list.DeleteAllItems();
    m_tree.DeleteAllItems();
    m_addresses.RemoveAll();
    m_groups.RemoveAll();
    m_groups.SetBaseFolder(AddressBoxPath());
    m_groups.SetFilePath(GetGroupListPath());
    {
        AddressFileMerge::CWriteLock lock;
        m_groups.ReadWithRetry();
        m_strGroupsBase = AddressFileMerge::ReadBase(m_groups.GetFilePath());
    }
    m_bTreeLoaded = TRUE;

    const int count = m_groups.GetRecordCount(TRUE);
    for (int i = 0; i < count; ++i) {
        CAddressGroupData* g = m_groups.GetGroup(i);
        for (int j = 0; j < i; ++j) {
            if (m_groups.GetGroup(j)->m_nId == g->m_nId) {
                g->m_nId = m_groups.GetNextGroupId();
                break;
            }
        }
        HTREEITEM parent = TVI_ROOT;
        if (g->m_nId != 0) {
            for (int j = 0; j < i; ++j) {
                CAddressGroupData* p = m_groups.GetGroup(j);
                if (p->m_nId == g->m_nParentId && p->m_hTreeItem) {
                    parent = static_cast<HTREEITEM>(p->m_hTreeItem);
                    break;
                }
            }
        }
        g->m_hTreeItem = m_tree.InsertItem(g->m_strName, kImageClosed, kImageOpen, parent, TVI_LAST, i);
    }
    int selectId = QuendalApp() ? QuendalApp()->GetProfileInt("AddressNote", "AddressSelectGroup", 0) : 0;
    HTREEITEM select = FindGroupItem(selectId);
    if (!select)
        select = m_tree.GetRootItem();
    if (select) {
        m_tree.SelectItem(select);
        // Selecting the item that is already the caret sends no notification.
        if (GroupOfItem(select) != m_pCurGroup)
            SelectGroup(GroupOfItem(select));
    }
    for (int i = 0; i < count; ++i) {
        CAddressGroupData* g = m_groups.GetGroup(i);
        if (g->m_bExpanded && g->m_hTreeItem)
            m_tree.Expand(static_cast<HTREEITEM>(g->m_hTreeItem), TVE_EXPAND);
    }
}

void CDlgAddressNote::SaveGroupList()
{
    if (!m_bTreeLoaded)
        return;
    CString folder = AddressBoxPath();
    CAddressGroupDataSet out;
    out.SetBaseFolder(folder);
    out.SetFilePath(CombinePath(folder, "Group.lst"));
    // Pre-order: each group followed by its subtree, parents before children.
    std::vector<HTREEITEM> stack;
    for (HTREEITEM h = m_tree.GetRootItem(); h; h = m_tree.GetNextSiblingItem(h))
        stack.push_back(h);
    std::reverse(stack.begin(), stack.end());
    while (!stack.empty()) {
        HTREEITEM item = stack.back();
        stack.pop_back();
        CAddressGroupData* g = GroupOfItem(item);
        if (g) {
            CAddressGroupData* r = static_cast<CAddressGroupData*>(out.CreateNewRecord());
            r->CopyFrom(*g);
            CAddressGroupData* parent = GroupOfItem(m_tree.GetParentItem(item));
            r->m_nParentId = parent ? parent->m_nId : -1;
            r->m_bExpanded = (m_tree.GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
        }
        std::vector<HTREEITEM> children;
        for (HTREEITEM c = m_tree.GetChildItem(item); c; c = m_tree.GetNextSiblingItem(c))
            children.push_back(c);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    bool bChangedByOthers = false;
    if (WriteFileMerged(out, m_strGroupsBase, bChangedByOthers, AddressFileMerge::GroupListKey) &&
        bChangedByOthers && m_hWnd)
        PostMessage(WM_RELOAD_FROM_FILES, 1, 0);
}

bool CDlgAddressNote::WriteFileMerged(CQDDataStrgSet& set, std::string& base, bool& bChangedByOthers,
                                      std::string (*keyOf)(const std::string&))
{
    AddressFileMerge::WriteFailure failure;
    if (AddressFileMerge::WriteMerged(set, base, bChangedByOthers, keyOf, &failure))
        return true;
    AfxMessageBox(AddressFileMerge::DescribeFailure(set.GetFilePath(), failure), MB_OK | MB_ICONERROR);
    return false;
}

void CDlgAddressNote::SelectGroup(CAddressGroupData* pGroup)
{
    m_pCurGroup = pGroup;
    m_addresses.RemoveAll();
    if (!pGroup) {
        m_addresses.SetFilePath("");
        FillAddressList();
        return;
    }
    m_addresses.SetFilePath(m_groups.GetAbsolutePath(pGroup));
    if (pGroup->m_nType == CAddressGroupData::typeLdap) {
        CWaitCursor wait;
        LoadLdapGroup(pGroup, &m_addresses, TRUE);
        m_strAddressesBase = AddressFileMerge::ReadBase(m_addresses.GetFilePath());
    } else if (!m_addresses.GetFilePath().IsEmpty()) {
        ReadCurrentAddresses();
    }
    FillAddressList();
}

void CDlgAddressNote::ReadCurrentAddresses()
{
    AddressFileMerge::CWriteLock lock;
    m_addresses.RemoveAll();
    m_addresses.ReadWithRetry();
    m_strAddressesBase = AddressFileMerge::ReadBase(m_addresses.GetFilePath());
}

LRESULT CDlgAddressNote::OnReloadFromFiles(WPARAM wParam, LPARAM)
{
    if (wParam) {
        int groupId = m_pCurGroup ? m_pCurGroup->m_nId : -1;
        LoadGroupTree();
        if (HTREEITEM item = FindGroupItem(groupId)) {
            m_tree.SelectItem(item);
            if (GroupOfItem(item) != m_pCurGroup)
                SelectGroup(GroupOfItem(item));
        }
        // Ids made unique again on reading reach the file.
        SaveGroupList();
    } else if (m_pCurGroup && m_pCurGroup->m_nType != CAddressGroupData::typeLdap &&
               !m_addresses.GetFilePath().IsEmpty()) {
        ReadCurrentAddresses();
        FillAddressList();
    }
    return 0;
}

void CDlgAddressNote::FillAddressList()
{
    m_list.DeleteAllItems();
    if (!m_addresses.GetFilePath().IsEmpty() && !m_addresses.IsLoaded())
        ReadCurrentAddresses();
    for (int i = 0; i < m_addresses.GetRecordCount(TRUE); ++i)
        if (!m_addresses.GetAddress(i)->m_bDeleted)
            AddListItem(i);
    if (m_nSortMode != -1)
        SortList();
    if (m_list.GetItemCount() > 0)
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CDlgAddressNote::OnTreeSelChanged(NMHDR*, LRESULT*)
{
    SelectGroup(GroupOfItem(m_tree.GetSelectedItem()));
}

void CDlgAddressNote::OnTreeItemExpanded(NMHDR* pNMHDR, LRESULT*)
{
    const NMTREEVIEWA* tv = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    int image = (tv->action & TVE_EXPAND) ? kImageOpen : kImageClosed;
    m_tree.SetItemImage(tv->itemNew.hItem, image, image);
}

void CDlgAddressNote::OnTreeEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMTVDISPINFOA* info = reinterpret_cast<const NMTVDISPINFOA*>(pNMHDR);
    *pResult = FALSE;
    CAddressGroupData* g = GroupOfItem(info->item.hItem);
    if (!info->item.pszText || !g)
        return;
    g->m_strName = info->item.pszText;
    SaveGroupList();
    m_tree.SetItemText(info->item.hItem, g->m_strName);
    PostAddressBookChanged();
    *pResult = TRUE;
}

void CDlgAddressNote::OnTreeRightClick(NMHDR*, LRESULT*)
{
    POINT pt;
    GetCursorPos(&pt);
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    ::ScreenToClient(m_tree.m_hWnd, &hit.pt);
    if (HTREEITEM item = m_tree.HitTest(&hit))
        m_tree.SelectItem(item);
    CMenu menu;
    if (!menu.LoadMenu(IDR_ADDRESS_GROUP_MENU))
        return;
    HMENU popup = menu.GetSubMenu(0);
    const bool ldap = m_pCurGroup && m_pCurGroup->m_nType == CAddressGroupData::typeLdap;
    EnableMenuItem(popup, ID_ADDRESS_IMPORT_FILE, MF_BYCOMMAND | (ldap ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(popup, ID_LDAP_GROUP_REFRESH, MF_BYCOMMAND | (ldap ? MF_ENABLED : MF_GRAYED));
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
}

void CDlgAddressNote::OnTreeDblClick(NMHDR*, LRESULT*)
{
    HTREEITEM item = m_tree.GetSelectedItem();
    CAddressGroupData* g = GroupOfItem(item);
    if (!g)
        return;
    if (m_bGroupReference && m_hOwnerField) {
        CString reference;
        reference.Format("%s%s%s", "%GL$", g->m_strName.GetString(), "$%");
        ::SetWindowTextA(m_hOwnerField, reference);
    } else {
        CString text;
        CollectGroupAddresses(item, FALSE, text);
        if (m_hOwnerField)
            ::SetWindowTextA(m_hOwnerField, AddressNoteRules::AppendRecipients(CWnd::FromHandle(m_hOwnerField)->GetWindowText(), text));
        else
            AppendToRecipientField(0, text);
    }
    if (m_bCloseAfterPick)
        CloseWindow();
}

void CDlgAddressNote::CollectGroupAddresses(HTREEITEM hItem, BOOL bSubgroups, CString& text)
{
    CAddressGroupData* g = GroupOfItem(hItem);
    if (g) {
        CAddressDataSet set;
        set.SetFilePath(m_groups.GetAbsolutePath(g));
        if (!set.GetFilePath().IsEmpty())
            set.ReadWithRetry();
        int mode = QuendalApp() ? QuendalApp()->m_nAddressDispType : 0;
        for (int i = 0; i < set.GetRecordCount(TRUE); ++i) {
            const CAddressData* a = set.GetAddress(i);
            if (a->m_strAddress.IsEmpty())
                continue;
            text += m_bAddressOnly ? a->m_strAddress : FormatMailAddress(a->m_strName, a->m_strAddress, mode);
            text += ",";
        }
    }
    if (bSubgroups)
        for (HTREEITEM c = m_tree.GetChildItem(hItem); c; c = m_tree.GetNextSiblingItem(c))
            CollectGroupAddresses(c, TRUE, text);
}

void CDlgAddressNote::OnGroupToRecipients(UINT nId)
{
    int field = 0;
    CString text;
    if (nId >= IDC_GROUP_TO && nId <= IDC_GROUP_BCC) {
        field = static_cast<int>(nId - IDC_GROUP_TO);
    } else if (nId >= ID_GROUP_ALL_TO && nId <= ID_GROUP_ALL_BCC) {
        field = static_cast<int>(nId - ID_GROUP_ALL_TO);
    } else {
        field = static_cast<int>(nId - ID_GROUP_TREE_TO);
        CollectGroupAddresses(m_tree.GetSelectedItem(), TRUE, text);
    }
    if (nId < ID_GROUP_TREE_TO || nId > ID_GROUP_TREE_BCC) {
        // Every address of the list as it is shown.
        int mode = QuendalApp() ? QuendalApp()->m_nAddressDispType : 0;
        for (int i = 0; i < m_list.GetItemCount(); ++i) {
            const CAddressData* a = EntryOfItem(i);
            if (!a || a->m_strAddress.IsEmpty())
                continue;
            text += m_bAddressOnly ? a->m_strAddress : FormatMailAddress(a->m_strName, a->m_strAddress, mode);
            text += ",";
        }
    }
    // Whole groups go only into edit fields.
    if (!m_targets.hEdit[field]) {
        if (!m_targets.hList[field])
            AfxMessageBox(IDS_NO_RECIPIENT_TARGET, MB_OK | MB_ICONINFORMATION);
        return;
    }
    AppendToRecipientField(field, text);
}

void CDlgAddressNote::OnCreateGroup()
{
    CDlgAddGroup dlg(this);
    if (dlg.DoModal() != IDOK || dlg.m_strName.IsEmpty())
        return;
    HTREEITEM parentItem = m_tree.GetSelectedItem();
    CAddressGroupData* parent = GroupOfItem(parentItem);
    CString path = AddressNoteRules::ChooseGroupFilePath(AddressBoxPath(), dlg.m_strName);
    CAddressDataSet empty;
    empty.SetFilePath(path);
    empty.WriteToFile();
    PostAddressBookChanged();

    int id = m_groups.GetNextGroupId();
    CAddressGroupData* g = static_cast<CAddressGroupData*>(m_groups.CreateNewRecord());
    g->m_nId = id;
    g->m_nParentId = parent ? parent->m_nId : -1;
    g->m_strName = dlg.m_strName;
    g->m_nType = CAddressGroupData::typeStandard;
    g->m_nFlag = 1;
    g->m_strFilePath = path;
    HTREEITEM item = m_tree.InsertItem(g->m_strName, kImageClosed, kImageOpen, parentItem ? parentItem : TVI_ROOT,
                                       TVI_LAST, g->m_nIndex);
    g->m_hTreeItem = item;
    if (parentItem)
        m_tree.Expand(parentItem, TVE_EXPAND);
    m_tree.SelectItem(item);
    SaveGroupList();
}

void CDlgAddressNote::OnRenameGroup()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    if (item) {
        m_tree.SetFocus();
        m_tree.EditLabel(item);
    }
}

void CDlgAddressNote::OnDeleteGroup()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    CAddressGroupData* g = GroupOfItem(item);
    if (!g)
        return;
    if (!m_tree.GetParentItem(item)) {
        AfxMessageBox(IDS_ROOT_GROUP_NOT_DELETED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_tree.GetChildItem(item)) {
        AfxMessageBox(IDS_GROUP_HAS_SUBGROUPS, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString question;
    question.Format("グループ <%s> を削除します。よろしいですか？", g->m_strName.GetString());
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;

    // The path is the user's to edit: only a file of the address-book
    // folder that no other group reads goes with the group.
    CString path = m_groups.GetAbsolutePath(g);
    bool shared = false;
    for (int i = 0; i < m_groups.GetRecordCount(TRUE); ++i) {
        CAddressGroupData* other = m_groups.GetGroup(i);
        if (other != g && !other->m_bDeleted && !other->m_strFilePath.IsEmpty() &&
            IsSamePath(m_groups.GetAbsolutePath(other), path))
            shared = true;
    }
    if (!shared && AddressNoteRules::IsFileInsideFolder(path, AddressBoxPath()) && PathExists(path) &&
        !DeleteFileA(path))
        return;  // a file that stays keeps its group

    m_groups.MarkRecordDeleted(g);
    g->m_hTreeItem = nullptr;
    if (m_pCurGroup == g)
        m_pCurGroup = nullptr;
    m_tree.DeleteItem(item);
    SaveGroupList();
    // Completion must stop offering the group's addresses now, not at the
    // next reload some other change happens to cause.
    PostAddressBookChanged();
}

void CDlgAddressNote::OnGroupProperty()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    CAddressGroupData* g = GroupOfItem(item);
    if (!g)
        return;
    CDlgGroupProperty dlg(this);
    dlg.m_strName = g->m_strName;
    dlg.m_nType = g->m_nType == CAddressGroupData::typeLdap ? 1 : 0;
    dlg.m_strPath = m_groups.MakeRelativePath(g);
    dlg.m_strServer = g->m_strLdapServer;
    dlg.m_nPort = g->m_nLdapPort;
    dlg.m_strBase = g->m_strSearchBase;
    dlg.m_strAccount = g->m_strBindName;
    dlg.m_strPassword = g->m_strBindPassword;
    dlg.m_nVersion = g->m_nLdapVersion;
    dlg.m_bUtf8 = g->m_bUtf8;
    dlg.m_record.CopyFrom(*g);
    if (dlg.DoModal() != IDOK)
        return;
    const int oldType = g->m_nType;
    g->CopyFrom(dlg.m_record);
    g->m_hTreeItem = item;
    g->m_strName = dlg.m_strName;
    // Types the window does not offer stay as they were unless changed here.
    if (dlg.m_nType == 1)
        g->m_nType = CAddressGroupData::typeLdap;
    else
        g->m_nType = oldType == CAddressGroupData::typeLdap ? CAddressGroupData::typeStandard : oldType;
    g->m_strFilePath = dlg.m_strPath;
    g->m_strLdapServer = dlg.m_strServer;
    g->m_nLdapPort = dlg.m_nPort;
    g->m_strSearchBase = dlg.m_strBase;
    g->m_strBindName = dlg.m_strAccount;
    g->m_strBindPassword = dlg.m_strPassword;
    g->m_nLdapVersion = dlg.m_nVersion;
    g->m_bUtf8 = dlg.m_bUtf8;
    SaveGroupList();
    m_tree.SetItemText(item, g->m_strName);
    // Selecting the group again refreshes an LDAP group; a failed search
    // leaves the saved addresses in its file.
    SelectGroup(g);
    PostAddressBookChanged();
}

void CDlgAddressNote::OnRefreshLdapGroup()
{
    if (m_pCurGroup && m_pCurGroup->m_nType == CAddressGroupData::typeLdap) {
        SelectGroup(m_pCurGroup);
        PostAddressBookChanged();
    }
}

void CDlgAddressNote::OnImportAddressFile()
{
    CString path;
    if (!m_pCurGroup || !AskImportFilePath(path))
        return;
    ImportAddressFile(path);
}

void CDlgAddressNote::OnImportWab()
{
    if (m_pCurGroup)
        ImportWab("");
}
