#include "viewer/ReferenceMailTree.h"

#include "classlib/AppCore.h"
#include "core/QuendalApp.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "viewer/MailThreadBuilder.h"
#include "viewer/MailThreadLinker.h"
#include "viewer/MailView.h"

#include <commctrl.h>

#include <algorithm>

namespace {

enum { imageRead = 0, imageUnread = 2, imageLoop = 18, imageThread = 19 };
const UINT kListsChanged = 1390;

void NudgeCursor()
{
    POINT pt;
    if (::GetCursorPos(&pt)) {
        ::SetCursorPos(pt.x + 1, pt.y);
        ::SetCursorPos(pt.x, pt.y);
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CReferenceMailTree, CTreeView)
    ON_NOTIFY_REFLECT(TVN_SELCHANGEDA, OnSelChanged)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRightClick)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

BOOL CReferenceMailTree::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    return CTreeView::PreCreateWindow(cs);
}

void CReferenceMailTree::OnInitialUpdate()
{
    CTreeView::OnInitialUpdate();
    if (CQuendalApp* app = QuendalApp())
        GetTreeCtrl().SetImageList(app->m_mailListImages.m_hImageList, TVSIL_NORMAL);
}

void CReferenceMailTree::SetMail(CMailFolderStore* pStore, int nIndex, CMailView* pView)
{
    m_pStore = pStore;
    m_nCurrent = nIndex;
    m_pView = pView;
}

CString CReferenceMailTree::ItemText(int nMail) const
{
    CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(nMail) : nullptr;
    if (!r)
        return CString();
    CString text;
    if (m_bShowTitle)
        text = r->GetText(CMailIndexRecord::colSubject) + " : ";
    text += r->GetText(CMailIndexRecord::colFrom) + " (" + r->GetText(CMailIndexRecord::colReceived).Left(19) + ")";
    return text;
}

int CReferenceMailTree::ImageOf(int nMail, bool bLoop) const
{
    if (bLoop)
        return imageLoop;
    CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(nMail) : nullptr;
    return r && r->IsRead() ? imageRead : imageUnread;
}

HTREEITEM CReferenceMailTree::FindItem(HTREEITEM hFrom, LPARAM data) const
{
    CTreeCtrl& tree = GetTreeCtrl();
    for (HTREEITEM h = hFrom; h; h = tree.GetNextSiblingItem(h)) {
        if (tree.GetItemData(h) == data)
            return h;
        if (HTREEITEM found = FindItem(tree.GetChildItem(h), data))
            return found;
    }
    return nullptr;
}

void CReferenceMailTree::Build(bool bKeepRoot)
{
    CMailListData* list = m_pStore ? m_pStore->GetMailList() : nullptr;
    if (!list)
        return;
    CTreeCtrl& tree = GetTreeCtrl();
    int selected = GetSelectedMail();
    m_bFilling = true;
    SendMessage(WM_SETREDRAW, FALSE);
    tree.DeleteAllItems();
    CMailThreadBuilder builder = CMailThreadBuilder::FromList(*list);
    int keep = bKeepRoot ? m_nRoot : -1;
    bool keepLive = keep >= 0 && keep < builder.GetCount() && !builder.GetMail(keep).bDeleted;
    m_nRoot = keepLive ? keep : builder.FindRoot(m_nCurrent);
    std::vector<CMailThreadBuilder::Node> nodes = builder.BuildTree(m_nCurrent, m_nRoot);
    if (nodes.empty())
        m_nRoot = -1;
    m_loopMails.clear();
    CString topText;
    topText.LoadString(IDS_THREAD_TOP_ITEM);
    HTREEITEM top = tree.InsertItem(topText, imageThread, imageThread, TVI_ROOT, TVI_LAST, -1);
    std::vector<HTREEITEM> items;
    for (const CMailThreadBuilder::Node& n : nodes) {
        HTREEITEM parent = n.nParent < 0 ? top : items[static_cast<size_t>(n.nParent)];
        int image = ImageOf(n.nMail, n.bLoop);
        HTREEITEM h = tree.InsertItem(ItemText(n.nMail), image, image, parent, TVI_LAST, n.nMail);
        items.push_back(h);
        if (n.bLoop)
            m_loopMails.push_back(n.nMail);
    }
    for (HTREEITEM h : items)
        tree.Expand(h, TVE_EXPAND);
    tree.Expand(top, TVE_EXPAND);
    HTREEITEM select = selected >= 0 ? FindItem(top, selected) : nullptr;
    if (!select)
        select = FindItem(top, m_nCurrent);
    if (!select)
        select = top;
    m_bFilling = false;
    tree.SelectItem(select);
    tree.EnsureVisible(select);
    SendMessage(WM_SETREDRAW, TRUE);
    Invalidate();
}

int CReferenceMailTree::GetSelectedMail() const
{
    if (!m_hWnd)
        return -1;
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM h = tree.GetSelectedItem();
    return h ? static_cast<int>(static_cast<INT_PTR>(tree.GetItemData(h))) : -1;
}

void CReferenceMailTree::OnSelChanged(NMHDR* pHdr, LRESULT* pResult)
{
    *pResult = 0;
    if (m_bFilling)
        return;
    auto* nm = reinterpret_cast<NMTREEVIEWA*>(pHdr);
    int mail = static_cast<int>(static_cast<INT_PTR>(nm->itemNew.lParam));
    if (mail < 0 || !m_pView || !m_pStore)
        return;
    m_nCurrent = mail;
    m_pView->ShowMail(mail, m_pStore, FALSE);
    bool loop = std::find(m_loopMails.begin(), m_loopMails.end(), mail) != m_loopMails.end();
    int image = ImageOf(mail, loop);
    GetTreeCtrl().SetItemImage(nm->itemNew.hItem, image, image);
}

void CReferenceMailTree::SelectPrevious()
{
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM h = tree.GetSelectedItem();
    if (!h)
        return;
    HTREEITEM target = tree.GetPrevVisibleItem(h);
    if (!target)
        target = tree.GetParentItem(h);
    if (target)
        tree.SelectItem(target);
}

void CReferenceMailTree::SelectNext()
{
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM h = tree.GetSelectedItem();
    if (!h)
        return;
    HTREEITEM target = tree.GetNextVisibleItem(h);
    if (!target)
        target = tree.GetParentItem(h);
    if (target)
        tree.SelectItem(target);
}

void CReferenceMailTree::AnnounceChange() const
{
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, kListsChanged, 0, 0);
}

void CReferenceMailTree::UnlinkSelected()
{
    int mail = GetSelectedMail();
    CMailListData* list = m_pStore ? m_pStore->GetMailList() : nullptr;
    if (mail < 0 || !list)
        return;
    CString question;
    question.LoadString(IDS_THREAD_UNLINK_QUESTION);
    if (::MessageBoxA(GetParentFrame()->m_hWnd, question, "Corvane Mail", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    CMailThreadLinker::Unlink(*list, mail);
    // The unlinked mail leaves the tree; the window stays on its thread.
    if (mail == m_nCurrent)
        m_nCurrent = m_nRoot;
    if (mail == m_nRoot)
        m_nRoot = -1;
    Build(m_nRoot >= 0);
    ::SetCursor(old);
    NudgeCursor();
    AnnounceChange();
}

BOOL CReferenceMailTree::LinkMails(int nParentMail, const std::vector<int>& mails)
{
    CMailListData* list = m_pStore ? m_pStore->GetMailList() : nullptr;
    if (!list)
        return FALSE;
    CString parentId;
    if (nParentMail < 0) {
        parentId = CMailThreadLinker::TopParentId(*list, m_nRoot);
    } else if (CMailIndexRecord* r = list->GetMailRecord(nParentMail)) {
        parentId = r->GetText(CMailIndexRecord::colMessageId);
    }
    if (parentId.IsEmpty())
        return FALSE;
    // Mails already in the tree keep their place.
    CTreeCtrl& tree = GetTreeCtrl();
    std::vector<int> newcomers;
    for (int m : mails)
        if (!FindItem(tree.GetRootItem(), m))
            newcomers.push_back(m);
    BOOL ok = newcomers.empty() || CMailThreadLinker::Link(*list, newcomers, parentId);
    Build(true);
    AnnounceChange();
    return ok;
}

void CReferenceMailTree::OnRightClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 1;
    POINT pt;
    ::GetCursorPos(&pt);
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_REF_TREE_CONTEXT));
    if (!menu)
        return;
    HMENU popup = ::GetSubMenu(menu, 0);
    if (popup)
        ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, GetParentFrame()->m_hWnd, nullptr);
    ::DestroyMenu(menu);
}

void CReferenceMailTree::OnCustomDraw(NMHDR* pHdr, LRESULT* pResult)
{
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pHdr);
    *pResult = CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        *pResult = CDRF_NOTIFYPOSTPAINT;
        return;
    }
    if (cd->nmcd.dwDrawStage != CDDS_ITEMPOSTPAINT)
        return;
    // Unread mails carry a mark to the right of their text.
    int mail = static_cast<int>(static_cast<INT_PTR>(cd->nmcd.lItemlParam));
    CMailIndexRecord* r = mail >= 0 && m_pStore ? m_pStore->GetRecord(mail) : nullptr;
    if (!r || r->IsRead())
        return;
    RECT rc;
    if (!TreeView_GetItemRect(m_hWnd, reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec), &rc, TRUE))
        return;
    CString mark;
    mark.LoadString(IDS_THREAD_UNREAD_MARK);
    RECT text = {rc.right + 5, rc.top, rc.right + 55, rc.bottom};
    int oldMode = ::SetBkMode(cd->nmcd.hdc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(cd->nmcd.hdc, reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
    ::DrawTextA(cd->nmcd.hdc, mark, mark.GetLength(), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(cd->nmcd.hdc, oldFont);
    ::SetBkMode(cd->nmcd.hdc, oldMode);
}
