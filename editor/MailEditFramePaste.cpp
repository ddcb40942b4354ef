// The editor frame's paste and drop: clipboard text into the body (plain or
// quoted), a clipboard picture attached as a file, dropped or pasted files
// and mails of the mail list attached.
#include "editor/MailEditFrame.h"

#include "core/QuendalApp.h"
#include "editor/DlgAttachPicture.h"
#include "editor/DlgPasteFormat.h"
#include "editor/MailEditComposer.h"
#include "editor/MailEditView.h"
#include "html/ClipboardPicture.h"
#include "mainwnd/MailObjectBlock.h"
#include "resources/editor/EditorControlsResource.h"

#include <shellapi.h>

#include <string>

namespace {

CString ClipboardText(HWND hOwner)
{
    CString text;
    if (!::OpenClipboard(hOwner))
        return text;
    if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
        SIZE_T size = ::GlobalSize(h);
        if (const char* p = static_cast<const char*>(::GlobalLock(h))) {
            // The block need not end in a NUL within its size.
            size_t n = 0;
            while (n < size && p[n])
                ++n;
            text = CString(p, static_cast<int>(n));
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return text;
}

BOOL Available(UINT nFormat)
{
    return ::IsClipboardFormatAvailable(nFormat);
}

} // namespace

CString CMailEditFrame::QuoteLines(const char* pszText, const char* pszMark)
{
    // Every line, the first too, begins with the mark; line ends become CR LF.
    std::string out = pszMark ? pszMark : "";
    for (const char* p = pszText ? pszText : ""; *p; ++p) {
        if (*p == '\r' || *p == '\n') {
            if (*p == '\r' && p[1] == '\n')
                ++p;
            out += "\r\n";
            if (p[1])
                out += pszMark ? pszMark : "";
        } else {
            out += *p;
        }
    }
    return CString(out);
}

bool CMailEditFrame::AttachDroppedFiles(HDROP hDrop)
{
    if (!m_pView || !hDrop)
        return false;
    UINT count = ::DragQueryFileA(hDrop, 0xFFFFFFFF, nullptr, 0);
    bool folder = false;
    for (UINT i = 0; i < count; ++i) {
        UINT n = ::DragQueryFileA(hDrop, i, nullptr, 0);
        CString path;
        ::DragQueryFileA(hDrop, i, path.GetBuffer(static_cast<int>(n) + 1), n + 1);
        path.ReleaseBuffer();
        DWORD attributes = ::GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            folder = true;
        else if (attributes != INVALID_FILE_ATTRIBUTES)
            m_pView->AddAttachmentFile(path, false);
    }
    if (folder)
        Box(IDS_NO_FOLDER_ATTACH, MB_OK | MB_ICONEXCLAMATION);
    return true;
}

LRESULT CMailEditFrame::OnDropFilesMessage(WPARAM wParam, LPARAM)
{
    HDROP hDrop = reinterpret_cast<HDROP>(wParam);
    AttachDroppedFiles(hDrop);
    ::DragFinish(hDrop);
    return 0;
}

void CMailEditFrame::PasteAs(UINT nFormat, bool bQuoted)
{
    HWND focus = ::GetFocus();
    if (!m_pView)
        return;
    HWND body = m_pView->GetBodyCtrl().m_hWnd;
    if (nFormat == 0) {
        std::vector<UINT> offered = CDlgPasteFormat::OfferedFormats(&Available);
        nFormat = offered.empty() ? 0 : offered.front();
    }
    if (nFormat == CF_TEXT || bQuoted) {
        if (focus != body) {
            ::SendMessageA(focus, WM_PASTE, 0, 0);
            return;
        }
        CString text = ClipboardText(m_hWnd);
        if (bQuoted) {
            CQuendalApp* app = QuendalApp();
            text = QuoteLines(text, app ? app->GetProfileString("EditWindow", "RefMarkText", ">") : CString(">"));
        }
        m_pView->GetBodyCtrl().InsertText(text);
        return;
    }
    if (nFormat == CF_BITMAP || nFormat == CF_DIB) {
        CDlgAttachPicture dlg(this);
        if (dlg.DoModal() != IDOK)
            return;
        // A folder of its own ("$" and a unique number) keeps the user's
        // name for the attachment without meeting another file.
        char temp[MAX_PATH + 1] = "";
        char unique[MAX_PATH + 1] = "";
        DWORD n = ::GetTempPathA(sizeof(temp), temp);
        if (n == 0 || n >= sizeof(temp) || !::GetTempFileNameA(temp, "$", 0, unique) || !::DeleteFileA(unique) ||
            !::CreateDirectoryA(unique, nullptr)) {
            Box(IDS_CLIPBOARD_PICTURE_FAILED, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        CString name = dlg.m_strFileName;
        int slash = name.ReverseFind('\\');
        if (slash >= 0)
            name = name.Mid(slash + 1);
        const char* ext = dlg.m_nFormat == CDlgAttachPicture::formatJpeg ? ".jpg" : ".bmp";
        int dot = name.ReverseFind('.');
        if (dot > 0)
            name = name.Left(dot);
        CString file = CString(unique) + "\\" + name + ext;
        if (!SaveClipboardPicture(m_hWnd, file,
                                  dlg.m_nFormat == CDlgAttachPicture::formatJpeg ? kClipboardPictureJpeg
                                                                                  : kClipboardPictureBmp,
                                  dlg.m_nQuality)) {
            Box(IDS_CLIPBOARD_PICTURE_FAILED, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        m_pView->AddAttachmentFile(file, true);
        return;
    }
    if (nFormat == CF_HDROP) {
        if (::OpenClipboard(m_hWnd)) {
            AttachDroppedFiles(static_cast<HDROP>(::GetClipboardData(CF_HDROP)));
            ::CloseClipboard();
        }
        return;
    }
    if (nFormat == MailObjectBlock::GetMailFormat()) {
        if (::OpenClipboard(m_hWnd)) {
            m_pView->AttachMailObject(::GetClipboardData(nFormat));
            ::CloseClipboard();
        }
        return;
    }
    ::SendMessageA(focus, WM_PASTE, 0, 0);
}

void CMailEditFrame::OnPasteFormat()
{
    CDlgPasteFormat dlg(this);
    if (dlg.DoModal() != IDOK || dlg.m_nFormat == 0)
        return;
    m_bBusy = true;
    PasteAs(dlg.m_nFormat, false);
    EndBusy();
}
