// The attachment area of the editor view: the list, its size label, adding
// files (by dialog and by the other parts of the editor) and the compress
// command.
#include "editor/MailEditView.h"

#include "classlib/RegKey.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "editor/Archiver.h"
#include "editor/DlgCompressSetting.h"
#include "resources/attach/AttachResource.h"
#include "resources/editor/EditorWindowResource.h"

#include <commdlg.h>

namespace {

// The copy tool of an earlier maker empties its folder of copied files: a
// file attached from there gets a private copy.
CString CopyToolFolder()
{
    CString folder;
    HKEY key = HKEY_CURRENT_USER;
    const char* const path[] = {"software", "Ostrevin", "Trevasso", "Setting"};
    HKEY opened[4] = {};
    int depth = 0;
    for (const char* name : path) {
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &opened[depth]) != ERROR_SUCCESS)
            break;
        key = opened[depth++];
    }
    if (depth == 4) {
        char value[MAX_PATH] = {};
        DWORD size = sizeof(value) - 1, type = 0;
        if (RegQueryValueExA(key, "TempDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ && value[0])
            folder = CombinePath(value, "Trevasso-CopyFiles");
    }
    while (depth > 0)
        RegCloseKey(opened[--depth]);
    return folder;
}

// A private copy in a fresh temporary folder; empty when none could be made.
CString MakePrivateCopy(const char* pszPath, int nNumber)
{
    char temp[MAX_PATH], name[MAX_PATH];
    DWORD n = GetTempPathA(sizeof(temp), temp);
    if (n == 0 || n >= sizeof(temp) || !GetTempFileNameA(temp, FormatString("$%d", nNumber), 0, name))
        return CString();
    DeleteFileA(name);
    if (!CreateDirectoryA(name, nullptr))
        return CString();
    CString copy = CombinePath(name, GetFileNameFromPath(pszPath));
    if (!CopyFileA(pszPath, copy, FALSE)) {
        RemoveDirectoryA(name);
        return CString();
    }
    return copy;
}

} // namespace

void CMailEditView::AddAttachmentFile(const char* pszPath, bool bTemporary)
{
    if (!pszPath || !*pszPath)
        return;
    CString tool = CopyToolFolder();
    CString path = CString(pszPath).Left(MAX_PATH);
    if (!tool.IsEmpty() && path.GetLength() >= tool.GetLength() &&
        path.Left(tool.GetLength()).CompareNoCase(tool) == 0) {
        CString copy = MakePrivateCopy(pszPath, m_attachList.GetCount());
        if (!copy.IsEmpty())
            m_attachList.AddFileSorted(copy, CAttachListCtrl::kindTempFolder);
    } else {
        m_attachList.AddFileSorted(pszPath, bTemporary ? CAttachListCtrl::kindTempFile : CAttachListCtrl::kindFile);
    }
    m_bChanged = true;
    OnAttachListChanged(0, 0);
}

void CMailEditView::GetAttachments(CStringArray& files) const
{
    files.RemoveAll();
    for (int i = 0; i < m_attachList.GetCount(); ++i)
        files.Add(m_attachList.GetPath(i));
}

LRESULT CMailEditView::OnAttachListChanged(WPARAM, LPARAM)
{
    if (m_attachList.GetCount() > 0)
        SetFieldText(IDC_ME_SIZE, FormatAttachmentSize(m_attachList.GetTotalSize()));
    RecalcLayout();
    return 0;
}

void CMailEditView::AttachByDialog()
{
    CString buffer;
    const int size = 7800;
    char* names = buffer.GetBuffer(size);
    memset(names, 0, size);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetParent() ? GetParent()->m_hWnd : m_hWnd;
    ofn.lpstrFilter = "すべてのファイル (*.*)\0*.*\0";
    ofn.lpstrFile = names;
    ofn.nMaxFile = size;
    ofn.lpstrTitle = "添付ファイルの選択";
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    CString start;
    if (CQuendalApp* app = QuendalApp())
        start = app->GetProfileString("Paths", "AttachFolderOpen", "");
    if (!start.IsEmpty() && DirectoryExists(start))
        ofn.lpstrInitialDir = start;
    if (!GetOpenFileNameA(&ofn)) {
        buffer.ReleaseBuffer(0);
        return;
    }
    // One path, or the folder followed by the names, each NUL-terminated.
    CString folder = names;
    const char* p = names + folder.GetLength() + 1;
    if (!*p) {
        AddAttachmentFile(folder, false);
        int slash = folder.ReverseFind('\\');
        folder = slash > 0 ? folder.Left(slash) : folder;
    } else {
        for (; *p; p += strlen(p) + 1)
            AddAttachmentFile(CombinePath(folder, p), false);
    }
    if (CQuendalApp* app = QuendalApp())
        app->WriteProfileString("Paths", "AttachFolderOpen", folder);
    buffer.ReleaseBuffer(0);
}

void CMailEditView::CompressAttachments()
{
    CArchiver archiver = CArchiver::FromApp();
    CDlgCompressSetting dlg(archiver, this);
    if (dlg.DoModal() != IDOK)
        return;
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof(temp), temp);
    CString folder = n > 0 && n < sizeof(temp) ? CString(temp) : CString(".");
    CAttachmentCompressor compressor(archiver, m_attachList, m_createdArchives);
    CStringArray failed;
    CAttachmentCompressor::Result result = compressor.Compress(dlg.m_settings, m_hWnd, folder, failed);
    if (result == CAttachmentCompressor::noLibrary) {
        CString format;
        format.LoadString(IDS_COMPRESS_NO_LIBRARY);
        AfxMessageBox(FormatString(format, dlg.m_settings.nType == 1 ? "UNLHA32.DLL" : "ZIP32J.DLL"),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (result == CAttachmentCompressor::duplicateName) {
        AfxMessageBox(IDS_SAME_ARCHIVE_NAME, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (failed.GetSize() > 0) {
        CString names;
        for (int i = 0; i < failed.GetSize(); ++i)
            names += GetFileNameFromPath(failed[i]) + "\r\n";
        CString format;
        format.LoadString(IDS_ARCHIVE_FAILED_KEEP);
        if (AfxMessageBox(FormatString(format, names.GetString()), MB_YESNO | MB_ICONQUESTION) != IDYES)
            compressor.Detach(failed);
    }
    m_bCompressDone = true;
    m_bChanged = true;
    OnAttachListChanged(0, 0);
}

void CMailEditView::DeleteCreatedArchives()
{
    for (auto it = m_createdArchives.rbegin(); it != m_createdArchives.rend(); ++it)
        if (it->bDeleteAfterSending)
            DeleteFileA(it->strPath);
    m_createdArchives.clear();
}
