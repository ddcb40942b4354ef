// The mail list's commands on the selected mails: clipboard, delete, marks,
// replies, export, the partial-mail join and the walk to the next unread mail.
#include "mainwnd/QListView.h"

#include "classlib/OleDataSource.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/ColorLabelMenu.h"
#include "mainwnd/DlgSelectFolder.h"
#include "mainwnd/MailDrag.h"
#include "mainwnd/MailExport.h"
#include "mainwnd/MailMarks.h"
#include "mainwnd/MailObjectBlock.h"
#include "mainwnd/MailTransfer.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/PartialMailJoin.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/DlgExportFileName.h"
#include "store/DlgMailExport.h"
#include "store/FolderRecord.h"
#include "store/MailDataSource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

namespace {

const char kSelectFirst[] = "メールを選択してから実行してください";
const char kCannotOpenTarget[] = "コピー先のフォルダが開けません。";
const int kEditorForwardMany = 4;

// Shows the wait cursor for the life of the object.
class WaitCursorScope
{
public:
    WaitCursorScope() : m_hOld(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursorScope() { SetCursor(m_hOld); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    HCURSOR m_hOld;
};

// The cursor shape is only updated when the mouse moves.
void NudgeCursor()
{
    POINT pt;
    if (GetCursorPos(&pt)) {
        SetCursorPos(pt.x + 1, pt.y);
        SetCursorPos(pt.x, pt.y);
    }
}

bool AskSavePath(HWND hOwner, const char* pszFilter, const char* pszExt, const CString& initialName,
                 const CString& initialDir, CString& path)
{
    std::string filter = pszFilter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    char file[MAX_PATH] = "";
    lstrcpynA(file, initialName, sizeof(file));
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrDefExt = pszExt;
    ofn.lpstrInitialDir = initialDir.IsEmpty() ? nullptr : initialDir.GetString();
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&ofn))
        return false;
    path = file;
    return true;
}

} // namespace

std::vector<int> CQListView::GetSelectedMails() const
{
    std::vector<int> mails;
    const CListCtrl& list = GetListCtrl();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED)) {
        int index = GetMailIndex(row);
        if (index >= 0)
            mails.push_back(index);
    }
    return mails;
}

BOOL CQListView::HasSelection() const
{
    return m_pStore && GetListCtrl().GetSelectedCount() > 0;
}

uint32_t CQListView::GetSourceId()
{
    if (!m_nSourceId)
        m_nSourceId = MailObjectBlock::RegisterSource(this);
    return m_nSourceId;
}

HGLOBAL CQListView::BuildMailObject(int nOperation)
{
    ClearCutMarks(FALSE);
    std::vector<int> mails = GetSelectedMails();
    if (mails.empty())
        return nullptr;
    if (nOperation == MailObjectBlock::opCut) {
        m_cutMails.insert(mails.begin(), mails.end());
        Invalidate(FALSE);
    }
    return MailObjectBlock::ToGlobal(MailObjectBlock::Build(GetSourceId(), nOperation, m_nFolderId, mails));
}

void CQListView::ClearCutMarks(BOOL bKeepClipboard)
{
    if (!bKeepClipboard) {
        bool held = IsClipboardFormatAvailable(MailObjectBlock::GetMailFormat()) != FALSE;
        if (held)
            OleSetClipboard(nullptr);
        if (!held && m_cutMails.empty())
            return;
    }
    if (!m_cutMails.empty()) {
        m_cutMails.clear();
        Invalidate(FALSE);
    }
}

void CQListView::OnEditCopy()
{
    HGLOBAL block = BuildMailObject(MailObjectBlock::opCopy);
    COleDataSource* source = new COleDataSource;
    if (block)
        source->CacheGlobalData(MailObjectBlock::GetMailFormat(), block);
    OleSetClipboard(source);
    source->Release();
}

void CQListView::OnEditCut()
{
    HGLOBAL block = BuildMailObject(MailObjectBlock::opCut);
    COleDataSource* source = new COleDataSource;
    if (block)
        source->CacheGlobalData(MailObjectBlock::GetMailFormat(), block);
    OleSetClipboard(source);
    source->Release();
}

void CQListView::OnEditPaste()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !GetMainFrame())
        return;
    IDataObject* data = nullptr;
    if (FAILED(OleGetClipboard(&data)) || !data)
        return;
    FORMATETC format = {MailObjectBlock::GetMailFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        PasteMailObject(medium.hGlobal);
        ReleaseStgMedium(&medium);
    }
    data->Release();
}

BOOL CQListView::PasteMailObject(HGLOBAL hBlock)
{
    CQuendalApp* app = QuendalApp();
    MailObjectBlock::MailObject object;
    if (!app || !MailObjectBlock::ParseGlobal(hBlock, object))
        return FALSE;
    if (!CMailTransfer::CanWriteFolder(m_pStore)) {
        AfxMessageBox(kCannotOpenTarget, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    bool move = object.nOperation == MailObjectBlock::opCut;
    {
        WaitCursorScope wait;
        CMailTransfer::Result result = CMailTransfer::CopyMails(*app, object.mails, m_pStore, move);
        // The source lists drop the rows of the mails that moved away.
        for (const MailObjectBlock::MailRef& ref : result.done) {
            CMailFolderStore* source = move ? app->FindFolder(ref.nFolderId) : nullptr;
            if (source && source->IsIndexLoaded())
                source->GetMailListNoLoad()->RemoveDeletedRecords();
        }
        if (move) {
            if (CQListView* sourceView = static_cast<CQListView*>(MailObjectBlock::FindSource(object.nSourceViewId)))
                sourceView->m_cutMails.clear();
        }
        SetFolder(m_nFolderId, TRUE, TRUE);
    }
    NudgeCursor();
    return TRUE;
}

void CQListView::DeleteSelectedMails(BOOL bPermanent)
{
    CQuendalApp* app = QuendalApp();
    CMailListData* data = GetList();
    std::vector<int> mails = GetSelectedMails();
    if (!app || !data || mails.empty()) {
        AfxMessageBox(kSelectFirst, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (GetKeyState(VK_SHIFT) < 0)
        bPermanent = TRUE;
    CListCtrl& list = GetListCtrl();
    int current = m_nCurrentRow >= 0 ? m_nCurrentRow : list.GetNextItem(-1, LVNI_SELECTED);
    int rowsAbove = 0;
    {
        WaitCursorScope wait;
        std::vector<int> rows;
        for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
            rows.push_back(row);
        CMailTransfer::Result result = CMailTransfer::DeleteMails(*app, m_pStore, mails, bPermanent != FALSE);
        CMailTransfer::AddToDeleteHistory(*app, m_pStore, result);
        for (size_t i = 0; i < rows.size() && i < mails.size(); i++) {
            CMailIndexRecord* r = data->GetMailRecord(mails[i]);
            if (r && r->m_bDeleted && rows[i] <= current)
                rowsAbove++;
        }
        data->RemoveDeletedRecords();
        m_bProgramSelect = true;
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        m_bProgramSelect = false;
        OnMailListChanged();
    }
    if (CMailFolderStore* trash = app->GetDefaultFolder(CFolderRecord::kindTrash))
        if (CMainFrame* frame = GetMainFrame())
            frame->RefreshFolderItem(trash->GetFolderId(), FALSE);
    const int row = MailListFormat::RowAfterDelete(current, rowsAbove, m_nSortMode == 1 || data->IsThreadMode(),
                                                   data->GetViewCount());
    if (row >= 0) {
        m_bProgramSelect = true;
        list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_bProgramSelect = false;
        list.EnsureVisible(row, FALSE);
        m_nCurrentRow = row;
    } else {
        m_nCurrentRow = -1;
    }
    if (CMainFrame* frame = GetMainFrame())
        frame->RefreshFolderItem(m_nFolderId, FALSE);
}

BOOL CQListView::CopySelectionToFolder(CMailFolderStore* pTarget, BOOL bMove)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pStore)
        return FALSE;
    if (!CMailTransfer::CanWriteFolder(pTarget)) {
        AfxMessageBox(kCannotOpenTarget, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    std::vector<MailObjectBlock::MailRef> refs;
    std::vector<int> mails = GetSelectedMails();
    std::sort(mails.begin(), mails.end());
    for (int index : mails)
        refs.push_back({m_nFolderId, index});
    WaitCursorScope wait;
    CMailTransfer::Result result = CMailTransfer::CopyMails(*app, refs, pTarget, bMove != FALSE);
    if (bMove && GetList()) {
        GetList()->RemoveDeletedRecords();
        OnMailListChanged();
    }
    return result.failed.empty();
}

void CQListView::OnBeginDrag(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    std::vector<int> mails = GetSelectedMails();
    HGLOBAL block = BuildMailObject(MailObjectBlock::opDrag);
    if (!block)
        return;
    // A drop on a folder moves the dragged mails itself, by their ids; here
    // the rows of mails that left are only dropped from the list.
    m_bDragging = true;
    m_bShowPending = false;
    DWORD effect = MailDrag::Run(m_pStore, mails, block);
    m_bDragging = false;
    if (m_bShowPending && !(effect & DROPEFFECT_MOVE))
        ShowSelectedMail();
    m_bShowPending = false;
    if ((effect & DROPEFFECT_MOVE) && GetList()) {
        GetList()->RemoveDeletedRecords();
        if (GetList()->IsThreadMode())
            SetFolder(m_nFolderId, TRUE, TRUE);
        else
            OnMailListChanged();
    }
}

void CQListView::OnCopyToFolder(UINT nID)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pStore)
        return;
    if (!HasSelection()) {
        AfxMessageBox("メールを選択してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    bool move = nID == ID_MAIL_MOVE_TO_FOLDER;
    CDlgSelectFolder dlg(this);
    dlg.m_strTitle = move ? "メールの移動" : "メールのコピー";
    dlg.m_nPreselectId = app->GetProfileInt("Setting", "MailMoveFolderID", m_nFolderId);
    if (dlg.DoModal() != IDOK)
        return;
    app->WriteProfileInt("Setting", "MailMoveFolderID", dlg.m_nSelectedId);
    CopySelectionToFolder(app->FindFolder(dlg.m_nSelectedId), move ? TRUE : FALSE);
    if (CMainFrame* frame = GetMainFrame())
        frame->RefreshFolderItem(dlg.m_nSelectedId, FALSE);
}

void CQListView::OnMailDelete()
{
    DeleteSelectedMails(FALSE);
}

void CQListView::OnListKeyDown(NMHDR* pHdr, LRESULT* pResult)
{
    *pResult = 0;
    const NMLVKEYDOWN* key = reinterpret_cast<const NMLVKEYDOWN*>(pHdr);
    if (key->wVKey == VK_DELETE)
        DeleteSelectedMails(GetKeyState(VK_SHIFT) < 0);
}

void CQListView::OnMarkCommand(UINT nID)
{
    std::vector<int> mails = GetSelectedMails();
    if (mails.empty()) {
        AfxMessageBox("メールを選択してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    MailMarks::Mark mark;
    int label = 0;
    COLORREF color = 0;
    if (!MailMarks::FromCommand(nID, mark, label))
        return;
    if (label == 99) {
        CMailIndexRecord* focused = m_pStore ? m_pStore->GetRecord(mails[0]) : nullptr;
        if (!ColorLabelMenu::ChooseOtherColor(m_hWnd, focused ? focused->GetLabelColor() : 0, color))
            return;
    }
    MailMarks::Apply(m_pStore, mails, mark, label, color);
    Invalidate(FALSE);
    NotifyFolderCounts();
    if (CMainFrame* frame = GetMainFrame())
        frame->RefreshFolderItem(m_nFolderId, FALSE);
}

void CQListView::EditSelectedMails(int nKind, int nForwardStyle, const char* pszTemplate)
{
    CQuendalApp* app = QuendalApp();
    std::vector<int> mails = GetSelectedMails();
    if (!app)
        return;
    if (mails.empty()) {
        AfxMessageBox("メールを選択してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (nKind == 3 && mails.size() > 1 && nForwardStyle < 0) {
        // One editor receives the whole selection as a mail block.
        HGLOBAL block = MailObjectBlock::ToGlobal(MailObjectBlock::Build(GetSourceId(), MailObjectBlock::opCopy,
                                                                         m_nFolderId, mails));
        // A started editor owns the block; otherwise it is freed here.
        if (!app->OpenMailEditor(kEditorForwardMany, m_pStore, mails[0], reinterpret_cast<LPARAM>(block), "", "", "",
                                 "", "", 0, 0, FALSE, 0) &&
            block)
            GlobalFree(block);
        return;
    }
    for (int index : mails)
        app->OpenMailEditor(nKind, m_pStore, index, 0, "", "", pszTemplate ? pszTemplate : "", "", "",
                            nForwardStyle < 0 ? 0 : nForwardStyle, 0, FALSE, 0);
}

void CQListView::OnReplyCommand(UINT nID)
{
    switch (nID) {
    case ID_MAIL_REPLY: EditSelectedMails(1, -1); break;
    case ID_MAIL_REPLY_ALL: EditSelectedMails(2, -1); break;
    case ID_MAIL_FORWARD: EditSelectedMails(3, -1); break;
    case ID_MAIL_FORWARD_AS_ME: EditSelectedMails(3, 0); break;
    case ID_MAIL_FORWARD_AS_SENDER: EditSelectedMails(3, 1); break;
    case ID_MAIL_FORWARD_AS_IS: EditSelectedMails(3, 2); break;
    case ID_MAIL_FORWARD_ENCAPSULATED: EditSelectedMails(3, 3); break;
    default: break;
    }
}

void CQListView::ExportSelectedMails()
{
    CQuendalApp* app = QuendalApp();
    std::vector<int> mails = GetSelectedMails();
    if (!app || mails.empty()) {
        AfxMessageBox(kSelectFirst, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDlgMailExport dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    if (dlg.m_nType == CDlgMailExport::typeUnixFrom) {
        CString dir = app->GetProfileString("Paths", "ExportFolderPath", "");
        CString path;
        if (!AskSavePath(m_hWnd, "mbox Files (*.mbx)|*.mbx|All Files (*.*)|*.*||", "mbx", "*.mbx", dir, path))
            return;
        app->WriteProfileString("Paths", "ExportFolderPath", GetDirectoryFromPath(path));
        WaitCursorScope wait;
        if (!MailExport::WriteMbox(path, m_pStore, mails))
            AfxMessageBox(FormatString("ファイル[%s]に書き込めません。", path.GetString()), MB_OK | MB_ICONEXCLAMATION);
        NudgeCursor();
        return;
    }
    if (dlg.m_nType == CDlgMailExport::typeText || dlg.m_nType == CDlgMailExport::typeHtml) {
        ExportMailsAsText(mails, dlg.m_nType == CDlgMailExport::typeHtml);
        return;
    }
    if (dlg.m_nType != CDlgMailExport::typeEml)
        return;
    if (mails.size() > 1) {
        CDlgExportFileName names(this);
        if (names.DoModal() != IDOK)
            return;
        if (names.m_nAutoType) {
            WaitCursorScope wait;
            MailExport::WriteEmlFiles(names.m_strFolder, m_pStore, mails);
            NudgeCursor();
            return;
        }
    }
    for (int index : mails) {
        CMailIndexRecord* r = m_pStore->GetRecord(index);
        CString path;
        if (!r || !AskSavePath(m_hWnd, "E-Mail Files (*.eml)|*.eml|All Files (*.*)|*.*||", "eml",
                               MakeValidFileName(r->GetText(CMailIndexRecord::colSubject)), CString(), path))
            continue;
        MailExport::WriteEml(path, m_pStore, index);
    }
    NudgeCursor();
}

void CQListView::ExportMailsAsText(const std::vector<int>& mails, BOOL bHtml)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    // The user's own template in the mailbox folder decides the layout.
    CString templatePath = CombinePath(app->GetMailBoxFolder(), bHtml ? "exp_temp.html" : "exp_temp.txt");
    std::string templateText;
    if (!ReadWholeFile(templatePath, templateText)) {
        AfxMessageBox(FormatString("ファイル[%s]が開けません。", templatePath.GetString()), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const char* extension = bHtml ? "html" : "txt";
    const char* filter = bHtml ? "HTML Files (*.html)|*.html|All Files (*.*)|*.*||" : "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
    CString folder;
    if (mails.size() > 1) {
        CDlgExportFileName names(this);
        if (names.DoModal() != IDOK)
            return;
        if (names.m_nAutoType)
            folder = names.m_strFolder;
    }
    WaitCursorScope wait;
    for (int index : mails) {
        CMailIndexRecord* r = m_pStore->GetRecord(index);
        if (!r)
            continue;
        CString path;
        if (!folder.IsEmpty())
            path = MailExport::UniqueExportPath(folder, r->GetText(CMailIndexRecord::colSubject), extension);
        else if (!AskSavePath(m_hWnd, filter, extension, MakeValidFileName(r->GetText(CMailIndexRecord::colSubject)),
                              CString(), path))
            continue;
        // One mail that fails does not stop the others.
        if (!MailExport::WriteTextExport(*app, path, m_pStore, index, templateText, bHtml != FALSE))
            AfxMessageBox(FormatString("ファイル[%s]に書き込めません。", path.GetString()), MB_OK | MB_ICONEXCLAMATION);
    }
    NudgeCursor();
}

void CQListView::OnMailExport()
{
    ExportSelectedMails();
}

void CQListView::JoinPartialMail()
{
    CQuendalApp* app = QuendalApp();
    int index = GetMailIndex(m_nCurrentRow >= 0 ? m_nCurrentRow : GetListCtrl().GetNextItem(-1, LVNI_SELECTED));
    if (!app || !m_pStore || index < 0 || !GetMainFrame())
        return;
    CPartialMailJoin::Outcome outcome;
    {
        WaitCursorScope wait;
        outcome = CPartialMailJoin::Join(*app, m_pStore, index);
    }
    if (outcome.status != CPartialMailJoin::joined) {
        AfxMessageBox(CPartialMailJoin::Message(outcome), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (CMailListData* data = GetList())
        data->RemoveDeletedRecords();
    SetFolder(m_nFolderId, TRUE, TRUE);
    SelectMail(outcome.nNewIndex);
}

BOOL CQListView::MoveToNextUnread(BOOL bAllFolders)
{
    (void)bAllFolders;
    CMailListData* data = GetList();
    if (!data)
        return FALSE;
    CListCtrl& list = GetListCtrl();
    int count = data->GetViewCount();
    bool descending = m_nSortMode != 0 && !data->IsThreadMode();
    int start = m_nUnreadAnchor < 0 ? (descending ? count : -1) : list.GetNextItem(-1, LVNI_SELECTED);
    int target = -1;
    if (descending) {
        for (int row = start - 1; row >= 0 && target < 0; row--) {
            CMailIndexRecord* r = data->GetViewRecord(row);
            if (r && !r->m_bDeleted && !r->IsRead())
                target = row;
        }
    } else {
        for (int row = start + 1; row < data->GetViewCount() && target < 0; row++) {
            CMailIndexRecord* r = data->GetViewRecord(row);
            if (!r || r->m_bDeleted)
                continue;
            if (!r->IsRead()) {
                target = row;
            } else if (data->IsThreadMode() && data->GetViewLevel(row) == 0 && r->m_bCollapsed &&
                       r->HasUnreadInThread()) {
                data->ExpandThread(row);
                list.SetItemCount(data->GetViewCount(), LVSICF_NOSCROLL);
            }
        }
    }
    if (target < 0) {
        m_nUnreadAnchor = -1;
        return FALSE;
    }
    m_bProgramSelect = true;
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(target, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_bProgramSelect = false;
    list.EnsureVisible(target, FALSE);
    m_nCurrentRow = target;
    m_nUnreadAnchor = target;
    ShowSelectedMail();
    return TRUE;
}

void CQListView::OnNextUnread()
{
    if (!MoveToNextUnread(FALSE))
        if (CMainFrame* frame = GetMainFrame())
            frame->GoToNextFolder(TRUE);
}

void CQListView::OnNextUnreadAll()
{
    if (!MoveToNextUnread(TRUE))
        if (CMainFrame* frame = GetMainFrame())
            frame->GoToNextFolder(FALSE);
}

void CQListView::OnUpdateNeedSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasSelection());
}

LRESULT CQListView::OnCopyMessage(WPARAM, LPARAM)
{
    OnEditCopy();
    return 0;
}

LRESULT CQListView::OnCutMessage(WPARAM, LPARAM)
{
    OnEditCut();
    return 0;
}

LRESULT CQListView::OnPasteMessage(WPARAM, LPARAM)
{
    OnEditPaste();
    return 0;
}
