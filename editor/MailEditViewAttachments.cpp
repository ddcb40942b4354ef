// The attachment area of the editor view: the list, its size label, adding
// files (by dialog and by the other parts of the editor) and the compress
// command.
#include "editor/MailEditView.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "editor/Archiver.h"
#include "editor/AttachmentCopy.h"
#include "editor/DlgCompressSetting.h"
#include "resources/attach/AttachResource.h"
#include "resources/editor/EditorWindowResource.h"

#include <commdlg.h>

void CMailEditView::AddAttachmentFile(const char* pszPath, bool bTemporary)
{
    if (!pszPath || !*pszPath)
        return;
    int kind = 0;
    CString path = PrepareAttachment(pszPath, m_attachList.GetCount(), bTemporary, kind);
    if (!path.IsEmpty())
        m_attachList.AddFileSorted(path, kind);
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
    // A template's own attachment folder comes before the last one used.
    CString start = m_strAttachDialogFolder;
    if ((start.IsEmpty() || !DirectoryExists(start)) && QuendalApp())
        start = QuendalApp()->GetProfileString("Paths", "AttachFolderOpen", "");
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
