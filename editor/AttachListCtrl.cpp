#include "editor/AttachListCtrl.h"

#include "classlib/Menu.h"
#include "classlib/OleDataSource.h"
#include "classlib/SingleLock.h"
#include "core/AppMessages.h"
#include "core/FileUtil.h"
#include "core/HeldFile.h"
#include "core/QuendalApp.h"
#include "editor/AttachmentFolder.h"
#include "core/ShellExecuteRequest.h"
#include "html/HtmlUtil.h"
#include "mainwnd/MailFileImport.h"
#include "message/MailMessage.h"
#include "plugin/MapiRequestFile.h"
#include "resources/attach/AttachResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/MailViewerOpen.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {

const UINT kRisky = IDS_RISKY_ATTACHMENT;

CString ProfileString(const char* pszSection, const char* pszKey, const char* pszDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileString(pszSection, pszKey, pszDefault) : CString(pszDefault);
}

int ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

CString ShortPathOf(const char* pszPath)
{
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(pszPath, buffer, sizeof(buffer));
    return n > 0 && n < sizeof(buffer) ? CString(buffer) : CString(pszPath);
}

// A clipboard format that tells the drop target to copy, not move.
void AddPreferredCopyEffect(COleDataSource* source)
{
    HGLOBAL effect = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    if (!effect)
        return;
    *static_cast<DWORD*>(GlobalLock(effect)) = DROPEFFECT_COPY;
    GlobalUnlock(effect);
    source->CacheGlobalData(static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Preferred DropEffect")), effect);
}

} // namespace

HGLOBAL MakeFileDropList(const CStringArray& paths)
{
    std::vector<wchar_t> names;
    for (int i = 0; i < paths.GetSize(); ++i) {
        int n = MultiByteToWideChar(CP_ACP, 0, paths[i], -1, nullptr, 0);
        if (n <= 0)
            continue;
        size_t at = names.size();
        names.resize(at + n);
        MultiByteToWideChar(CP_ACP, 0, paths[i], -1, &names[at], n);
    }
    names.push_back(L'\0');
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    if (!h)
        return nullptr;
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(h));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(h);
    return h;
}

CString FormatAttachmentSize(int64_t nBytes)
{
    CString text;
    if (nBytes < 1024)
        text.Format("%ld Byte", static_cast<long>(nBytes));
    else if (nBytes < 1048576)
        text.Format("%.1f KB", static_cast<double>(nBytes * 10 / 1024) / 10.0);
    else
        text.Format("%.1f MB", static_cast<double>(nBytes * 10 / 1048576) / 10.0);
    return text;
}

BEGIN_MESSAGE_MAP(CAttachListCtrl, CListCtrl)
    ON_WM_KEYDOWN()
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClick)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRightClick)
    ON_NOTIFY_REFLECT(LVN_BEGINDRAG, OnBeginDrag)
    ON_MESSAGE(CDirChangeWatcher::WM_QD_DIR_CHANGED, OnDirChanged)
    ON_MESSAGE(WM_COPY, OnCopyMessage)
END_MESSAGE_MAP()

CAttachListCtrl::CAttachListCtrl() = default;

CAttachListCtrl::~CAttachListCtrl()
{
    if (m_pWatcher)
        m_pWatcher->Stop();
    DeleteTempFiles();
}

bool CAttachListCtrl::CreateInPlaceOf(CWnd* pParent, int nId)
{
    HWND old = pParent ? pParent->GetDlgItemHwnd(nId) : nullptr;
    if (!old)
        return false;
    RECT rc = {};
    ::GetWindowRect(old, &rc);
    ::MapWindowPoints(nullptr, pParent->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    bool visible = (::GetWindowLongA(old, GWL_STYLE) & WS_VISIBLE) != 0;
    HWND after = ::GetWindow(old, GW_HWNDPREV);
    ::DestroyWindow(old);
    DWORD style = WS_CHILD | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS |
                  LVS_SHAREIMAGELISTS | (visible ? WS_VISIBLE : 0);
    if (!CreateEx(0, WC_LISTVIEWA, "", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                  pParent->m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId))))
        return false;
    // Keeps the tab order of the control it replaces.
    ::SetWindowPos(m_hWnd, after ? after : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessage(WM_SETFONT, static_cast<WPARAM>(pParent->SendMessage(WM_GETFONT)), FALSE);
    InitList();
    return true;
}

void CAttachListCtrl::InitList()
{
    ModifyStyle(0, LVS_SHAREIMAGELISTS);
    SHFILEINFOA info = {};
    HIMAGELIST large = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    HIMAGELIST small = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (large)
        SetImageList(large, LVSIL_NORMAL);
    if (small)
        SetImageList(small, LVSIL_SMALL);
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    if (GetColumnWidth(0) <= 0)
        InsertColumn(0, "", LVCFMT_LEFT, 64);
}

void CAttachListCtrl::SetIdentity(WPARAM wFirst, LPARAM lSecond)
{
    m_wIdentity = wFirst;
    m_lIdentity = lSecond;
}

int CAttachListCtrl::SetFolder(bool bHtmlMode, const char* pszFolder, CAttachListOwner* pOwner, bool bPlainListing)
{
    m_bHtmlMode = bHtmlMode;
    m_pOwner = pOwner;
    m_bPlainListing = bPlainListing;
    if (pOwner) {
        if (m_pWatcher)
            m_pWatcher->Stop();
        m_pWatcher.reset();
        if (pszFolder && *pszFolder) {
            m_pWatcher.reset(new CDirChangeWatcher);
            if (!m_pWatcher->Start(pszFolder, m_hWnd))
                m_pWatcher.reset();
        }
    }
    if (!pszFolder || !*pszFolder) {
        m_strFolder.Empty();
        return 0;
    }
    m_strFolder = CString(pszFolder).Left(MAX_PATH);
    CSingleLock hold(&m_refreshLock, TRUE);
    ListFolder(bPlainListing);
    return GetCount();
}

void CAttachListCtrl::ListFolder(bool bPlainListing)
{
    for (const auto& item : m_items)
        if (item->kind != kindFile)
            DeleteItemFile(*item);
    m_items.clear();
    AttachmentFolderListing listing;
    ListAttachmentFolder(m_strFolder, m_bHtmlMode, listing);
    bool htmlShown = false;
    if (!listing.htmlFile.IsEmpty() && m_pOwner) {
        // Shown once: a refresh of the same folder does not load it again.
        if (listing.htmlFile.CompareNoCase(m_strShownHtml) != 0)
            m_pOwner->ShowHtmlFile(listing.htmlFile);
        m_strShownHtml = listing.htmlFile;
        htmlShown = true;
    }
    // Without an owner (the editor) the HTML part is the body the HTML view
    // shows, never one of the attachments.
    for (int i = 0; i < listing.files.GetSize(); ++i)
        m_items.emplace_back(new Item{listing.files[i], kindFile});
    bool inlineAsFiles = bPlainListing || ProfileInt("ViewOption", "ShowInlineText", 0) == 0 || htmlShown ||
                         !m_pOwner;
    for (int i = 0; i < listing.inlineFiles.GetSize(); ++i) {
        if (inlineAsFiles) {
            m_items.emplace_back(new Item{listing.inlineFiles[i], kindFile});
            continue;
        }
        std::string text;
        if (ReadWholeFile(listing.inlineFiles[i], text) && !text.empty())
            m_pOwner->ShowInlineText(text.c_str());
    }
    Sort();
}

void CAttachListCtrl::Sort()
{
    std::stable_sort(m_items.begin(), m_items.end(), [](const std::unique_ptr<Item>& a, const std::unique_ptr<Item>& b) {
        return strcmp(a->path.GetString(), b->path.GetString()) > 0;
    });
    RebuildRows();
}

void CAttachListCtrl::RebuildRows()
{
    if (!m_hWnd)
        return;
    SendMessage(WM_SETREDRAW, FALSE);
    SendMessage(LVM_DELETEALLITEMS);
    for (int i = 0; i < GetCount(); ++i)
        InsertRow(i);
    SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CAttachListCtrl::InsertRow(int n)
{
    SHFILEINFOA info = {};
    SHGetFileInfoA(m_items[n]->path, 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = n;
    CString name = GetFileNameFromPath(m_items[n]->path);
    item.pszText = const_cast<char*>(name.GetString());
    item.iImage = info.iIcon;
    item.lParam = n;
    SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void CAttachListCtrl::NotifyChanged()
{
    if (m_hWnd && ::GetParent(m_hWnd))
        ::PostMessageA(::GetParent(m_hWnd), WM_QD_ATTACH_LIST_CHANGED, m_wIdentity, m_lIdentity);
}

void CAttachListCtrl::AddFile(const char* pszPath, int nKind)
{
    if (!m_hWnd || !pszPath || !*pszPath || HasPath(pszPath))
        return;
    m_items.emplace_back(new Item{pszPath, nKind, nKind == kindFile ? CString() : GetResolvedPath(pszPath)});
    InsertRow(GetCount() - 1);
    NotifyChanged();
}

void CAttachListCtrl::AddFileSorted(const char* pszPath, int nKind)
{
    AddFile(pszPath, nKind);
    Sort();
}

bool CAttachListCtrl::HasPath(const char* pszPath) const
{
    // The same file may come once by its long and once by its short name.
    CString wanted = ShortPathOf(pszPath).Left(MAX_PATH);
    for (const auto& item : m_items)
        if (ShortPathOf(item->path).Left(MAX_PATH).CompareNoCase(wanted) == 0)
            return true;
    return false;
}

CString CAttachListCtrl::GetPath(int n) const
{
    return n >= 0 && n < GetCount() ? m_items[n]->path : CString();
}

int CAttachListCtrl::GetKind(int n) const
{
    return n >= 0 && n < GetCount() ? m_items[n]->kind : -1;
}

void CAttachListCtrl::SetPath(int n, const char* pszPath)
{
    if (n < 0 || n >= GetCount())
        return;
    m_items[n]->path = pszPath;
    m_items[n]->kind = kindFile;
    // In place, so that the rows keep their selection.
    if (m_hWnd) {
        UINT state = GetItemState(n, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(n));
        InsertRow(n);
        SetItemState(n, state, LVIS_SELECTED | LVIS_FOCUSED);
    }
    NotifyChanged();
}

bool CAttachListCtrl::IsSelected(int n) const
{
    return m_hWnd && n >= 0 && n < GetCount() && (GetItemState(n, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void CAttachListCtrl::DeleteItemFile(const Item& item) const
{
    // A file of a mail's own folder, which the user chose to delete.
    if (item.kind == kindFile) {
        DeleteFileA(item.path);
        return;
    }
    // A temporary copy goes through the handle whose place was checked; a
    // name that now leads elsewhere leaves whatever it leads to alone.
    if (item.resolvedPath.IsEmpty())
        return;
    CHeldFile file;
    bool same = file.Open(item.path) && file.GetFinalPath() == item.resolvedPath;
    if (same)
        file.Delete();
    file.Close();
    // A copy another program handed over by Simple MAPI lives in a folder
    // of its own, which goes with it.
    if (item.kind == kindTempFile && same)
        RemoveEmptyCopyFolder(item.resolvedPath.Str());
    if (item.kind == kindTempFolder) {
        CString folder = GetDirectoryFromPath(item.resolvedPath);
        CString resolved = GetResolvedPath(folder);
        if (!folder.IsEmpty() && !resolved.IsEmpty() && CombinePath(resolved, "") == folder)
            DeleteDirectoryTree(folder, true);
    }
}

void CAttachListCtrl::RemoveItem(int n)
{
    if (n < 0 || n >= GetCount())
        return;
    if (m_items[n]->kind != kindFile)
        DeleteItemFile(*m_items[n]);
    m_items.erase(m_items.begin() + n);
    // Row n alone goes, so that the other rows keep their selection.
    if (m_hWnd)
        SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(n));
    NotifyChanged();
}

int64_t CAttachListCtrl::GetTotalSize() const
{
    int64_t total = 0;
    for (const auto& item : m_items) {
        WIN32_FILE_ATTRIBUTE_DATA fa = {};
        if (GetFileAttributesExA(item->path, GetFileExInfoStandard, &fa))
            total += (static_cast<int64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    }
    return total;
}

void CAttachListCtrl::DeleteTempFiles()
{
    if (m_pWatcher)
        m_pWatcher->Stop();
    for (const auto& item : m_items)
        if (item->kind != kindFile)
            DeleteItemFile(*item);
    m_items.clear();
    if (m_hWnd)
        SendMessage(LVM_DELETEALLITEMS);
}

bool CAttachListCtrl::RenameFolder(const char* pszNewPath)
{
    // The watched folder is let go while it moves, and watched again where
    // it then lies.
    bool watched = m_pWatcher != nullptr;
    if (watched)
        m_pWatcher->Stop();
    bool moved = MoveFolder(pszNewPath);
    if (watched && !m_pWatcher->Start(m_strFolder, m_hWnd))
        m_pWatcher.reset();
    return moved;
}

bool CAttachListCtrl::MoveFolder(const char* pszNewPath)
{
    if (!MoveFileExA(m_strFolder, pszNewPath, MOVEFILE_WRITE_THROUGH)) {
        DWORD error = GetLastError();
        char* text = nullptr;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
        AfxMessageBox(FormatString("MoveFile Error[%s]", text ? text : ""), MB_OK | MB_ICONEXCLAMATION);
        if (text)
            LocalFree(text);
        return false;
    }
    for (auto& item : m_items) {
        if (item->path.GetLength() >= m_strFolder.GetLength() &&
            item->path.Left(m_strFolder.GetLength()).CompareNoCase(m_strFolder) == 0)
            item->path = CString(pszNewPath) + item->path.Mid(m_strFolder.GetLength());
    }
    m_strFolder = pszNewPath;
    return true;
}

void CAttachListCtrl::Refresh()
{
    {
        CSingleLock hold(&m_refreshLock, TRUE);
        if (!m_pOwner) {
            m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                                         [](const std::unique_ptr<Item>& item) { return !FileExists(item->path); }),
                          m_items.end());
            RebuildRows();
        } else if (!m_strFolder.IsEmpty()) {
            ListFolder(m_bPlainListing);
        }
    }
    NotifyChanged();
}

LRESULT CAttachListCtrl::OnDirChanged(WPARAM, LPARAM)
{
    Refresh();
    return 0;
}

void CAttachListCtrl::OnDestroy()
{
    // The watcher's messages need this window: it goes first.
    if (m_pWatcher)
        m_pWatcher->Stop();
    Default();
}

void CAttachListCtrl::CollectFiles(bool bAllWhenNoneSelected, CStringArray& files) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (IsSelected(i))
            files.Add(m_items[i]->path);
    if (files.GetSize() == 0 && bAllWhenNoneSelected)
        for (int i = 0; i < GetCount(); ++i)
            files.Add(m_items[i]->path);
}

namespace {

bool IsMailFileName(const CString& path)
{
    CString ext = GetFileExtension(path);
    return ext.CompareNoCase(".eml") == 0 || ext.CompareNoCase(".emf") == 0;
}

// The index of the live mail of that Message-ID in the folder; -1 for none.
int FindMailById(CMailFolderStore& folder, const CString& messageId)
{
    CMailListData* list = messageId.IsEmpty() ? nullptr : folder.GetMailList();
    for (int i = 0; list && i < list->GetAllRecordCount(); ++i) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (r && !r->m_bDeleted && r->GetText(CMailIndexRecord::colMessageId) == messageId)
            return i;
    }
    return -1;
}

// An attached mail is read as a mail: filed into the current folder (once:
// a mail of the same Message-ID already there is the one shown) and shown
// in a viewer window.
void FileAndShowMail(const CString& path)
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = app ? app->FindFolder(app->GetCurrentFolderId()) : nullptr;
    if (!folder)
        return;
    CMailMessage header;
    header.ParseFile(path);
    int index = FindMailById(*folder, header.m_strMessageId);
    if (index < 0) {
        if (!MailFileImport::AddMailFile(*folder, path, FALSE, &index) || index < 0)
            return;
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_FOLDER_MAIL_FILED, 0, static_cast<LPARAM>(folder->GetFolderId()));
    }
    OpenMailViewer(folder, index);
}

} // namespace

void CAttachListCtrl::OpenItem(int n)
{
    if (n < 0 || n >= GetCount())
        return;
    CString path = m_items[n]->path;
    if (IsMailFileName(path)) {
        FileAndShowMail(path);
        return;
    }
    if (m_pOwner && IsRiskyFileExtension(path)) {
        CString question;
        question.LoadString(kRisky);
        if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
            return;
    }
    ShellOpenFile("open", path, nullptr);
}

void CAttachListCtrl::RemoveSelected()
{
    bool any = false;
    for (int i = 0; i < GetCount() && !any; ++i)
        any = IsSelected(i);
    if (!any)
        return;
    const char* question = m_bDeleteMode ? "選択されたファイルを削除します。\r\nよろしいですか？"
                                         : "選択されたファイルの添付を解除します。\r\nよろしいですか？";
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    std::vector<std::unique_ptr<Item>> kept;
    for (int i = 0; i < GetCount(); ++i) {
        if (!IsSelected(i)) {
            kept.push_back(std::move(m_items[i]));
            continue;
        }
        if (m_bDeleteMode || m_items[i]->kind != kindFile)
            DeleteItemFile(*m_items[i]);
    }
    m_items.swap(kept);
    RebuildRows();
    Refresh();
}

void CAttachListCtrl::CopySelected()
{
    CStringArray files;
    CollectFiles(true, files);
    if (files.GetSize() == 0 || !::OpenClipboard(m_hWnd))
        return;
    ::EmptyClipboard();
    if (HGLOBAL drop = MakeFileDropList(files))
        ::SetClipboardData(CF_HDROP, drop);
    if (HGLOBAL effect = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD))) {
        *static_cast<DWORD*>(GlobalLock(effect)) = DROPEFFECT_COPY;
        GlobalUnlock(effect);
        ::SetClipboardData(RegisterClipboardFormatA("Preferred DropEffect"), effect);
    }
    ::CloseClipboard();
}

void CAttachListCtrl::SaveSelectedAs()
{
    CStringArray files;
    CollectFiles(false, files);
    for (int i = 0; i < files.GetSize(); ++i) {
        char name[MAX_PATH] = {};
        CString fileName = GetFileNameFromPath(files[i]).Left(MAX_PATH - 1);
        strcpy(name, fileName);
        CString start = ProfileString("Paths", "AttachFolderSave", "");
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = m_hWnd;
        ofn.lpstrFilter = "All Files (*.*)\0*.*\0";
        ofn.lpstrFile = name;
        ofn.nMaxFile = sizeof(name);
        ofn.lpstrInitialDir = start.IsEmpty() ? nullptr : start.GetString();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (!GetSaveFileNameA(&ofn))
            return;
        if (CQuendalApp* app = QuendalApp())
            app->WriteProfileString("Paths", "AttachFolderSave", GetDirectoryFromPath(name));
        CopyFileA(files[i], name, FALSE);
    }
}

void CAttachListCtrl::OpenWithApplication(int nSlot)
{
    CString program = ProfileString("Setting", FormatString("OpenAppPath%d", nSlot), "");
    CStringArray files;
    CollectFiles(false, files);
    if (program.IsEmpty() || files.GetSize() == 0)
        return;
    char expanded[MAX_PATH] = {};
    DWORD n = ExpandEnvironmentStringsA(program, expanded, sizeof(expanded));
    if (n == 0 || n > sizeof(expanded))
        return;
    ShellOpenFile("open", expanded, files[0]);
}

void CAttachListCtrl::ShowContextMenu(POINT ptScreen)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_ATTACH_LIST_MENU))
        return;
    HMENU popup = menu.GetSubMenu(0);
    bool selected = false;
    for (int i = 0; i < GetCount() && !selected; ++i)
        selected = IsSelected(i);
    UINT ifSelected = selected ? MF_ENABLED : MF_GRAYED;
    ::EnableMenuItem(popup, ID_ATTACH_COPY, MF_BYCOMMAND | ifSelected);
    ::EnableMenuItem(popup, ID_ATTACH_DELETE, MF_BYCOMMAND | ifSelected);
    ::EnableMenuItem(popup, ID_ATTACH_SAVE_AS, MF_BYCOMMAND | ifSelected);
    ::EnableMenuItem(popup, ID_ATTACH_EXPLORE, MF_BYCOMMAND | (m_strFolder.IsEmpty() ? MF_GRAYED : MF_ENABLED));
    const UINT appIds[] = {ID_ATTACH_OPEN_APP1, ID_ATTACH_OPEN_APP2, ID_ATTACH_OPEN_APP3};
    for (int slot = 1; slot <= 3; ++slot) {
        UINT id = appIds[slot - 1];
        bool set = !ProfileString("Setting", FormatString("OpenAppPath%d", slot), "").IsEmpty();
        ::EnableMenuItem(popup, id, MF_BYCOMMAND | (set ? MF_ENABLED : MF_GRAYED));
        CString name = ProfileString("Setting", FormatString("OpenAppName%d", slot), "");
        if (!name.IsEmpty())
            ::ModifyMenuA(popup, id, MF_BYCOMMAND | MF_STRING | (set ? MF_ENABLED : MF_GRAYED), id,
                          FormatString("%s(&%d)", name.GetString(), slot));
    }
    UINT command = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, m_hWnd, nullptr));
    switch (command) {
    case ID_ATTACH_COPY:
        CopySelected();
        break;
    case ID_ATTACH_DELETE:
        RemoveSelected();
        break;
    case ID_ATTACH_SELECT_ALL:
        SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        break;
    case ID_ATTACH_SAVE_AS:
        SaveSelectedAs();
        break;
    case ID_ATTACH_EXPLORE:
        ShellOpenFile("explore", m_strFolder, nullptr);
        break;
    case ID_ATTACH_OPEN_APP1:
        OpenWithApplication(1);
        break;
    case ID_ATTACH_OPEN_APP2:
        OpenWithApplication(2);
        break;
    case ID_ATTACH_OPEN_APP3:
        OpenWithApplication(3);
        break;
    default:
        break;
    }
}

void CAttachListCtrl::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (nChar == VK_DELETE && GetCount() > 0) {
        RemoveSelected();
        return;
    }
    if (nChar == 'C' && (GetKeyState(VK_CONTROL) & 0x8000)) {
        CopySelected();
        return;
    }
    Default();
}

LRESULT CAttachListCtrl::OnCopyMessage(WPARAM, LPARAM)
{
    CopySelected();
    return 0;
}

void CAttachListCtrl::OnDblClick(NMHDR* pNotify, LRESULT* pResult)
{
    const NMITEMACTIVATE* activate = reinterpret_cast<const NMITEMACTIVATE*>(pNotify);
    LVHITTESTINFO hit = {};
    hit.pt = activate->ptAction;
    int row = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0)
        OpenItem(row);
    *pResult = 0;
}

void CAttachListCtrl::OnRightClick(NMHDR*, LRESULT* pResult)
{
    POINT pt = {};
    GetCursorPos(&pt);
    ShowContextMenu(pt);
    *pResult = 0;
}

void CAttachListCtrl::OnBeginDrag(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    CStringArray files;
    CollectFiles(false, files);
    if (files.GetSize() == 0)
        return;
    // The list may live on a thread that has not initialised OLE (an
    // editor's); the drag needs it.
    HRESULT ole = OleInitialize(nullptr);
    COleDataSource* source = new COleDataSource;
    if (HGLOBAL drop = MakeFileDropList(files))
        source->CacheGlobalData(CF_HDROP, drop);
    AddPreferredCopyEffect(source);
    source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    source->Release();
    if (SUCCEEDED(ole))
        OleUninitialize();
    Refresh();
}
