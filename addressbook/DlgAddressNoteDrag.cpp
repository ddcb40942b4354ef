// The address book window: reading address files and the Windows Address
// Book into a group, and dragging addresses and groups.
#include "addressbook/DlgAddressNote.h"

#include "addressbook/AddressFileMerge.h"
#include "core/FileUtil.h"
#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "mainwnd/DlgFolderMoveConfirm.h"
#include "resources/addressbook/AddressbookResource.h"

#include <commdlg.h>

#include <memory>
#include <string>

namespace {

void RestoreProgramFolder()
{
    if (QuendalApp())
        SetCurrentDirectoryA(QuendalApp()->GetProgramFolder());
}

} // namespace

int CDlgAddressNote::AskGroupMove(const char* pszGroupName)
{
    CString text;
    text.Format("フォルダ[%s]を移動してよろしいですか？", pszGroupName);
    CDlgFolderMoveConfirm dlg(text, this);
    dlg.DoModal();
    return dlg.m_nChoice;
}

bool CDlgAddressNote::AskImportFilePath(CString& path)
{
    char file[MAX_PATH * 2] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrFilter = "Address Files (*.dat)\0*.dat\0Address Files (*.adr)\0*.adr\0"
                      "アドレス帳ファイル (*.wab)\0*.wab\0All Files (*.*)\0*.*\0\0";
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    BOOL chosen = GetOpenFileNameA(&ofn);
    RestoreProgramFolder();
    if (chosen)
        path = file;
    return chosen != FALSE;
}

void CDlgAddressNote::ImportAddressFile(const char* pszPath)
{
    if (!m_pCurGroup || m_addresses.GetFilePath().IsEmpty())
        return;
    if (GetFileExtension(pszPath).CompareNoCase(".wab") == 0) {
        ImportWab(pszPath);
        return;
    }
    // The file's entries take the place of the group's: ask first when
    // there is something to lose.
    int entries = 0;
    for (int i = 0; i < m_addresses.GetRecordCount(TRUE); ++i)
        if (!m_addresses.GetAddress(i)->m_bDeleted)
            ++entries;
    if (entries > 0) {
        CString question;
        question.Format("グループ[%s]のアドレスを、読み込むファイルの内容で置き換えます。\r\nよろしいですか？",
                        m_pCurGroup->m_strName.GetString());
        if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return;
    }
    {
        // The file written is the base of the window's next merged write:
        // merged against the old one, every imported entry would come twice.
        AddressFileMerge::CWriteLock lock;
        if (AddressNoteRules::ReplaceWithAddressFile(m_addresses, pszPath))
            m_strAddressesBase = AddressFileMerge::ReadBase(m_addresses.GetFilePath());
    }
    PostAddressBookChanged();
    FillAddressList();
    RestoreProgramFolder();
}

void CDlgAddressNote::ImportWab(const char* pszPath)
{
    if (!m_pCurGroup || m_addresses.GetFilePath().IsEmpty())
        return;
    if (AddressNoteRules::AppendWabAddresses(m_addresses, pszPath) <= 0)
        return;
    WriteCurrentGroup();
    FillAddressList();
}

HTREEITEM CDlgAddressNote::TreeItemAt(POINT screen) const
{
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ::ScreenToClient(m_tree.m_hWnd, &hit.pt);
    RECT rc;
    m_tree.GetClientRect(&rc);
    if (!PtInRect(&rc, hit.pt))
        return nullptr;
    HTREEITEM item = m_tree.HitTest(&hit);
    return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT)) ? item : nullptr;
}

bool CDlgAddressNote::IsSameOrBelow(HTREEITEM hItem, HTREEITEM hAncestor) const
{
    for (HTREEITEM h = hItem; h; h = m_tree.GetParentItem(h))
        if (h == hAncestor)
            return true;
    return false;
}

void CDlgAddressNote::OnListBeginDrag(NMHDR*, LRESULT*)
{
    if (m_list.GetSelectedCount() == 0)
        return;
    POINT topLeft = {};
    m_hDragImage = m_list.CreateSelectionDragImage(&topLeft);
    POINT cursor;
    GetCursorPos(&cursor);
    if (m_hDragImage) {
        ::ScreenToClient(m_list.m_hWnd, &cursor);
        ImageList_BeginDrag(m_hDragImage, 0, cursor.x - topLeft.x, cursor.y - topLeft.y);
        GetCursorPos(&cursor);
        ImageList_DragEnter(nullptr, cursor.x, cursor.y);
    }
    m_bDragging = TRUE;
    m_bDragFromTree = FALSE;
    m_hDropItem = nullptr;
    SetCapture(m_hWnd);
}

void CDlgAddressNote::OnTreeBeginDrag(NMHDR* pNMHDR, LRESULT*)
{
    const NMTREEVIEWA* tv = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    m_hDragItem = tv->itemNew.hItem;
    if (!m_hDragItem)
        return;
    m_hDragImage = reinterpret_cast<HIMAGELIST>(
        m_tree.SendMessage(TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(m_hDragItem)));
    if (m_hDragImage) {
        ImageList_BeginDrag(m_hDragImage, 0, 0, 0);
        POINT cursor;
        GetCursorPos(&cursor);
        ImageList_DragEnter(nullptr, cursor.x, cursor.y);
    }
    m_bDragging = TRUE;
    m_bDragFromTree = TRUE;
    m_hDropItem = nullptr;
    SetCapture(m_hWnd);
}

void CDlgAddressNote::OnMouseMove(UINT nFlags, POINT point)
{
    if (!m_bDragging) {
        Default();
        return;
    }
    POINT screen = point;
    ::ClientToScreen(m_hWnd, &screen);
    if (m_hDragImage)
        ImageList_DragMove(screen.x, screen.y);
    HTREEITEM target = TreeItemAt(screen);
    if (target != m_hDropItem) {
        if (m_hDragImage)
            ImageList_DragShowNolock(FALSE);
        m_tree.SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(target));
        if (m_hDragImage)
            ImageList_DragShowNolock(TRUE);
        m_hDropItem = target;
    }
    if (m_bDragFromTree && target && IsSameOrBelow(target, m_hDragItem))
        SetCursor(LoadCursor(nullptr, IDC_NO));
    else if (!m_bDragFromTree && target)
        SetCursor(LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA((nFlags & MK_SHIFT) ? IDC_DRAG_MOVE
                                                                                          : IDC_DRAG_COPY)));
    else
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void CDlgAddressNote::EndDrag()
{
    m_bDragging = FALSE;
    if (m_hDragImage) {
        ImageList_DragLeave(nullptr);
        ImageList_EndDrag();
        ImageList_Destroy(m_hDragImage);
        m_hDragImage = nullptr;
    }
    m_tree.SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
}

void CDlgAddressNote::OnLButtonUp(UINT nFlags, POINT point)
{
    if (!m_bDragging) {
        Default();
        return;
    }
    POINT screen = point;
    ::ClientToScreen(m_hWnd, &screen);
    HTREEITEM target = TreeItemAt(screen);
    const BOOL fromTree = m_bDragFromTree;
    HTREEITEM dragged = m_hDragItem;
    EndDrag();
    if (fromTree) {
        if (!target || IsSameOrBelow(target, dragged))
            return;
        CAddressGroupData* g = GroupOfItem(dragged);
        int place = g ? AskGroupMove(g->m_strName) : 0;
        if (place >= 1 && place <= 3)
            MoveGroup(dragged, target, place);
        return;
    }
    if (target) {
        DropAddressesOnGroup(target, (nFlags & MK_SHIFT) != 0);
        return;
    }
    if (DropAddressesOnTarget(screen))
        return;
    LVHITTESTINFO hit = {};
    hit.pt = screen;
    ::ScreenToClient(m_list.m_hWnd, &hit.pt);
    RECT rc;
    m_list.GetClientRect(&rc);
    if (PtInRect(&rc, hit.pt)) {
        int index = m_list.HitTest(&hit);
        DropAddressesOnList(index >= 0 ? index : m_list.GetItemCount());
    }
}

void CDlgAddressNote::DropAddressesOnGroup(HTREEITEM hTarget, BOOL bMove)
{
    CAddressGroupData* target = GroupOfItem(hTarget);
    // Dropped on the group they come from, the addresses would be doubled
    // (or, moved, lost): such a drop does nothing.
    if (!target || target == m_pCurGroup || m_list.GetSelectedCount() == 0)
        return;
    CAddressDataSet targetSet;
    targetSet.SetFilePath(m_groups.GetAbsolutePath(target));
    if (targetSet.GetFilePath().IsEmpty())
        return;
    for (int i = m_list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = m_list.GetNextItem(i, LVNI_SELECTED))
        if (const CAddressData* a = EntryOfItem(i))
            targetSet.AppendRecordToFile(const_cast<CAddressData*>(a));
    if (!bMove || !m_pCurGroup || m_pCurGroup->m_nType == CAddressGroupData::typeLdap) {
        PostAddressBookChanged();
        return;
    }
    for (int i = m_list.GetItemCount() - 1; i >= 0; --i) {
        if (!(m_list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED))
            continue;
        if (CAddressData* a = EntryOfItem(i))
            m_addresses.MarkRecordDeleted(a);
        m_list.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(i));
    }
    WriteCurrentGroup();
}

bool CDlgAddressNote::DropAddressesOnTarget(POINT screen)
{
    RECT own;
    GetWindowRect(&own);
    if (PtInRect(&own, screen) || m_list.GetSelectedCount() == 0)
        return false;
    for (int i = 0; i < 3; ++i) {
        for (HWND field : { m_targets.hEdit[i], m_targets.hList[i] }) {
            RECT rc;
            if (field && ::IsWindowVisible(field) && ::GetWindowRect(field, &rc) && PtInRect(&rc, screen)) {
                AppendToRecipientField(i, GetSelectedAddressText());
                return true;
            }
        }
    }
    // Another editor's field: the text is handed over in this process's
    // posted-object table, so only windows of this process are asked.
    HWND under = ::WindowFromPoint(screen);
    DWORD process = 0;
    if (!under || !::GetWindowThreadProcessId(under, &process) || process != ::GetCurrentProcessId())
        return false;
    CString text = GetSelectedAddressText();
    DWORD_PTR taken = 0;
    return CPostedObjectTable::Instance().SendWithTimeout(under, AddressDropMessage(), 0,
                                                          std::make_shared<std::string>(text.GetString()),
                                                          SMTO_ABORTIFHUNG, 5000, &taken) &&
           taken == 1;
}

UINT CDlgAddressNote::AddressDropMessage()
{
    static const UINT message = ::RegisterWindowMessageA("CVMailAddressDrop");
    return message;
}

void CDlgAddressNote::DropAddressesOnList(int nDropIndex)
{
    // Only a list shown in registration order has an order to change.
    if (m_nDisplayMode != 0 || m_nSortMode != 0 || !m_pCurGroup ||
        m_pCurGroup->m_nType == CAddressGroupData::typeLdap)
        return;
    std::vector<CAddressData*> moved, rest;
    int insertAt = -1;
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        CAddressData* a = EntryOfItem(i);
        if (!a)
            continue;
        if (i == nDropIndex)
            insertAt = static_cast<int>(rest.size());
        if (m_list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED)
            moved.push_back(a);
        else
            rest.push_back(a);
    }
    if (moved.empty())
        return;
    if (insertAt < 0)
        insertAt = static_cast<int>(rest.size());
    rest.insert(rest.begin() + insertAt, moved.begin(), moved.end());
    // The list shows descending registration order when the flag is set.
    if (m_bSortFlag)
        std::reverse(rest.begin(), rest.end());
    CAddressDataSet ordered;
    ordered.SetFilePath(m_addresses.GetFilePath());
    for (CAddressData* a : rest)
        static_cast<CAddressData*>(ordered.CreateNewRecord())->CopyFrom(*a);
    bool bChangedByOthers = false;
    WriteFileMerged(ordered, m_strAddressesBase, bChangedByOthers);
    PostAddressBookChanged();
    ReadCurrentAddresses();
    FillAddressList();
}

HTREEITEM CDlgAddressNote::CopyTreeBranch(HTREEITEM hItem, HTREEITEM hParent, HTREEITEM hAfter)
{
    int image = 1, selected = 2;
    m_tree.GetItemImage(hItem, image, selected);
    LPARAM data = m_tree.GetItemData(hItem);
    HTREEITEM copy = m_tree.InsertItem(m_tree.GetItemText(hItem), image, selected, hParent, hAfter, data);
    if (CAddressGroupData* g = GroupOfItem(copy))
        g->m_hTreeItem = copy;
    for (HTREEITEM c = m_tree.GetChildItem(hItem); c; c = m_tree.GetNextSiblingItem(c))
        CopyTreeBranch(c, copy, TVI_LAST);
    if (m_tree.GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED)
        m_tree.Expand(copy, TVE_EXPAND);
    return copy;
}

BOOL CDlgAddressNote::MoveGroup(HTREEITEM hItem, HTREEITEM hTarget, int nPlace)
{
    if (!hItem || !hTarget || IsSameOrBelow(hTarget, hItem))
        return FALSE;
    HTREEITEM parent, after;
    if (nPlace == 3) {
        parent = hTarget;
        after = TVI_LAST;
    } else {
        parent = m_tree.GetParentItem(hTarget);
        if (!parent)
            parent = TVI_ROOT;
        if (nPlace == 2) {
            after = hTarget;
        } else {
            HTREEITEM prev = m_tree.GetPrevSiblingItem(hTarget);
            after = prev ? prev : TVI_FIRST;
        }
    }
    // The group keeps its record, and with it its id, type and LDAP
    // settings; only its place in the tree changes.
    const bool wasSelected = m_tree.GetSelectedItem() == hItem;
    HTREEITEM moved = CopyTreeBranch(hItem, parent, after);
    CAddressGroupData* keep = m_pCurGroup;
    m_tree.DeleteItem(hItem);
    if (nPlace == 3)
        m_tree.Expand(parent, TVE_EXPAND);
    if (wasSelected) {
        m_tree.SelectItem(moved);
    } else if (keep && keep->m_hTreeItem) {
        m_tree.SelectItem(static_cast<HTREEITEM>(keep->m_hTreeItem));
    }
    SaveGroupList();
    // The group menus nest as the tree does.
    PostAddressBookChanged();
    return TRUE;
}
