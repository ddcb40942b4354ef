// The folder tree as a drag source of folders and a drop target of mails,
// folders and files.
#include "mainwnd/FolderTree.h"

#include "classlib/OleDataSource.h"
#include "core/QuendalApp.h"
#include "mainwnd/DlgFolderMoveConfirm.h"
#include "store/FolderData.h"
#include "mainwnd/DlgNewFolder.h"
#include "mainwnd/FolderDrop.h"
#include "mainwnd/FolderDropTarget.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/QListView.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <commctrl.h>

namespace {

const UINT_PTR kHoverTimer = 110;
const UINT kHoverDelay = 2000;

} // namespace

void CFolderTree::RegisterDropTarget()
{
    if (m_pDropTarget || !m_tree.m_hWnd)
        return;
    m_pDropTarget = new CFolderDropTarget(this);
    if (FAILED(RegisterDragDrop(m_tree.m_hWnd, m_pDropTarget))) {
        m_pDropTarget->Release();
        m_pDropTarget = nullptr;
    }
}

void CFolderTree::RevokeDropTarget()
{
    if (!m_pDropTarget)
        return;
    RevokeDragDrop(m_tree.m_hWnd);
    m_pDropTarget->Detach();
    m_pDropTarget->Release();
    m_pDropTarget = nullptr;
}

BOOL CFolderTree::PutFolderOnDataSource(HTREEITEM hItem, COleDataSource* pSource)
{
    CMailFolderStore* store = StoreOf(hItem);
    if (!store || !pSource)
        return FALSE;
    // The system folders and their like at the top level stay where they are.
    if (!m_tree.GetParentItem(hItem) && store->GetKind() != CFolderRecord::kindNormal)
        return FALSE;
    MailObjectBlock::FolderObject object;
    object.nFolderId = store->GetFolderId();
    object.nItemFolderId = store->GetFolderId();
    HGLOBAL block = MailObjectBlock::ToGlobal(MailObjectBlock::BuildFolder(object));
    if (!block)
        return FALSE;
    pSource->CacheGlobalData(MailObjectBlock::GetFolderFormat(), block);
    return TRUE;
}

void CFolderTree::OnBeginDrag(NMHDR* pHdr, LRESULT* pResult)
{
    *pResult = 0;
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(pHdr);
    COleDataSource* source = new COleDataSource;
    if (PutFolderOnDataSource(nm->itemNew.hItem, source))
        source->DoDragDrop(DROPEFFECT_MOVE);
    source->Release();
}

DWORD CFolderTree::OnDragOverItem(IDataObject* pData, DWORD dwKeys, POINT ptScreen)
{
    CQuendalApp* app = QuendalApp();
    TVHITTESTINFO hit = {};
    hit.pt = ptScreen;
    ::ScreenToClient(m_tree.m_hWnd, &hit.pt);
    HTREEITEM item = m_tree.HitTest(&hit);
    CMailFolderStore* store = StoreOf(item);
    if (!app || !store)
        return DROPEFFECT_NONE;
    bool accepted = CFolderDrop::CanDropHere(*app, store->GetFolderId(), pData);
    DWORD effect = CFolderDrop::Effect(CFolderDrop::SourceOf(pData), dwKeys, accepted);
    if (accepted)
        m_tree.SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
    HTREEITEM first = m_tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE);
    HTREEITEM reveal = item == first ? m_tree.GetPrevVisibleItem(item) : m_tree.GetNextItem(item, TVGN_NEXTVISIBLE);
    if (reveal)
        m_tree.EnsureVisible(reveal);
    if (!m_hHoverItem)
        SetTimer(kHoverTimer, kHoverDelay);
    m_hHoverItem = item;
    return effect;
}

void CFolderTree::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kHoverTimer) {
        Default();
        return;
    }
    POINT pt;
    ::GetCursorPos(&pt);
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    ::ScreenToClient(m_tree.m_hWnd, &hit.pt);
    HTREEITEM item = m_tree.HitTest(&hit);
    if (item && item == m_hHoverItem)
        m_tree.SendMessage(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

void CFolderTree::OnDragLeaveTree()
{
    KillTimer(kHoverTimer);
    m_hHoverItem = nullptr;
    m_tree.SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, 0);
}

BOOL CFolderTree::OnDropItem(IDataObject* pData, DWORD dwEffect)
{
    KillTimer(kHoverTimer);
    m_hHoverItem = nullptr;
    HTREEITEM target = m_tree.GetNextItem(nullptr, TVGN_DROPHILITE);
    CMailFolderStore* store = StoreOf(target);
    m_tree.SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    if (!store)
        return FALSE;
    int targetId = store->GetFolderId();
    BOOL done = FALSE;
    switch (CFolderDrop::SourceOf(pData)) {
    case CFolderDrop::sourceMails:
        done = DropMails(targetId, pData, dwEffect);
        if (!done)
            AfxMessageBox("フォルダのデータファイルが開けません。\r\nフォルダが存在しない可能性があります。",
                          MB_OK | MB_ICONEXCLAMATION);
        break;
    case CFolderDrop::sourceFolder: done = DropFolder(targetId, pData); break;
    case CFolderDrop::sourceFiles: done = DropFiles(targetId, pData); break;
    default: break;
    }
    if (CMainFrame* frame = GetMainFrame())
        frame->RefreshFolderItem(targetId, TRUE);
    return done;
}

BOOL CFolderTree::DropMails(int nTargetFolderId, IDataObject* pData, DWORD dwEffect)
{
    CQuendalApp* app = QuendalApp();
    MailObjectBlock::MailObject object;
    CMailFolderStore* target = app ? app->FindFolder(nTargetFolderId) : nullptr;
    if (!target || !CFolderDrop::ReadMailObject(pData, object))
        return FALSE;
    if (!CFolderDrop::DropMails(*app, object, target, dwEffect))
        return FALSE;
    CMainFrame* frame = GetMainFrame();
    CQListView* list = frame ? frame->GetListView() : nullptr;
    if (list && list->m_hWnd) {
        // The list shows either the folder the mails left or the one they reached.
        if (list->GetFolderId() == nTargetFolderId)
            list->SetFolder(nTargetFolderId, TRUE, TRUE);
        else
            list->OnMailListChanged();
    }
    for (const MailObjectBlock::MailRef& ref : object.mails)
        if (ref.nFolderId != nTargetFolderId)
            RefreshFolderItem(ref.nFolderId);
    return TRUE;
}

BOOL CFolderTree::DropFolder(int nTargetFolderId, IDataObject* pData)
{
    CQuendalApp* app = QuendalApp();
    MailObjectBlock::FolderObject object;
    if (!app || !CFolderDrop::ReadFolderObject(pData, object))
        return FALSE;
    CMailFolderStore* folder = app->FindFolder(object.nFolderId);
    if (!folder)
        return FALSE;
    if (folder->GetKind() >= 1 && folder->GetKind() <= 8) {
        AfxMessageBox("システムフォルダは移動できません。", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    CDlgFolderMoveConfirm dlg(FormatString("フォルダ[%s]を移動してよろしいですか？", folder->GetFolderName().GetString()),
                              this);
    dlg.DoModal();
    if (dlg.m_nChoice == 0 || !CFolderDrop::MoveFolder(*app, object.nFolderId, nTargetFolderId, dlg.m_nChoice))
        return FALSE;
    BuildTree();
    if (dlg.m_nChoice == 3)
        if (HTREEITEM target = FindItem(nTargetFolderId))
            m_tree.SendMessage(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(target));
    SaveTreeState();
    BackupFolderList();
    SelectFolder(object.nFolderId);
    return TRUE;
}

BOOL CFolderTree::DropFiles(int nTargetFolderId, IDataObject* pData)
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* target = app ? app->FindFolder(nTargetFolderId) : nullptr;
    if (!target || !target->GetMailList())
        return FALSE;
    const std::vector<CString> files = CFolderDrop::ReadFiles(pData);
    CMainFrame* frame = GetMainFrame();
    if (frame)
        frame->WaitCursor(TRUE);
    // A dropped folder becomes a folder of the tree, with its own data in place.
    int created = 0;
    for (const CString& path : files) {
        const DWORD attributes = ::GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (DropDirectory(nTargetFolderId, path))
            created++;
    }
    std::vector<CString> notTaken;
    const int taken = CFolderDrop::DropFiles(target, files, &notTaken);
    if (frame)
        frame->WaitCursor(FALSE);
    CQListView* list = frame ? frame->GetListView() : nullptr;
    if (taken && list && list->m_hWnd && list->GetFolderId() == nTargetFolderId)
        list->SetFolder(nTargetFolderId, TRUE, TRUE);
    if (frame && !notTaken.empty()) {
        CString names;
        for (const CString& path : notTaken) {
            const int slash = path.ReverseFind('\\');
            if (!names.IsEmpty())
                names += ", ";
            names += slash >= 0 ? path.Mid(slash + 1) : path;
        }
        frame->GetStatusBar().SetPaneText(0, "取り込まなかったファイル: " + names);
    }
    return taken + created > 0;
}

BOOL CFolderTree::DropDirectory(int nTargetFolderId, const CString& directory)
{
    HTREEITEM targetItem = FindItem(nTargetFolderId);
    CFolderRecord settings;
    CFolderData data;
    const bool hasSettings = data.ReadFromFile(directory + "\\FolderData.Dat", &settings) != FALSE;
    CDlgNewFolder dlg(targetItem, &m_tree, GetParentFrame());
    const int slash = directory.ReverseFind('\\');
    dlg.m_strName = hasSettings && !settings.m_strName.IsEmpty() ? settings.m_strName
                    : slash >= 0                                  ? directory.Mid(slash + 1)
                                                                  : directory;
    dlg.m_strDirectory = directory;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    const int id = CreateFolder(directory, targetItem, dlg.m_strName, dlg.m_nPosition, FALSE);
    if (!id)
        return FALSE;
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* created = app ? app->FindFolder(id) : nullptr;
    if (created && hasSettings) {
        settings.m_nId = id;
        settings.m_nParentId = created->GetParentId();
        settings.m_strName = dlg.m_strName;
        settings.m_strPath = directory;
        created->ApplyFolderRecord(settings);
    }
    if (HTREEITEM item = FindItem(id)) {
        if (HTREEITEM parent = m_tree.GetParentItem(item))
            m_tree.Expand(parent, TVE_EXPAND);
    }
    return TRUE;
}
