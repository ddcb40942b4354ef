// The copies of received mails: each receive session writes the mail as it
// came from the server into the backup folder under its mail file name; the
// copies are deleted after the set number of days, and a mail can be read
// again from its copy with another encoding.
#include "core/QuendalApp.h"

#include "core/FileUtil.h"
#include "viewer/DlgMailReReading.h"

namespace {

const ULONGLONG kTicksPerDay = 10000000ULL * 60 * 60 * 24;

ULONGLONG Ticks(const FILETIME& t)
{
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Where the copies are, whether or not new ones are made.
CString BackupFolder(CQuendalApp& app)
{
    CString path = app.GetProfileString("Setting", "ReceiveMailBackupPath", "");
    return path.IsEmpty() ? CombinePath(app.GetMailBoxFolder(), "Backup") : path;
}

} // namespace

CString CQuendalApp::GetReceiveMailBackupPath()
{
    return GetProfileInt("Setting", "ReceiveMailBackup", 1) ? BackupFolder(*this) : CString();
}

void CQuendalApp::DeleteOldReceiveMailBackup()
{
    const int days = GetProfileInt("Setting", "ReceiveMailBackupDate", 3);
    const CString folder = BackupFolder(*this);
    if (days < 0 || !DirectoryExists(folder))
        return;
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG limit = static_cast<ULONGLONG>(days) * kTicksPerDay;
    WIN32_FIND_DATAA found = {};
    HANDLE hFind = ::FindFirstFileA(CombinePath(folder, "*.*"), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const ULONGLONG written = Ticks(found.ftLastWriteTime);
        if (written < Ticks(now) && Ticks(now) - written > limit)
            ForceDeleteFile(CombinePath(folder, found.cFileName));
    } while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
}

void CQuendalApp::OpenReceiveMailBackup(const char* pszMailFileName, CWnd* pParent)
{
    const CString path =
        pszMailFileName && *pszMailFileName ? CombinePath(BackupFolder(*this), pszMailFileName) : CString();
    if (path.IsEmpty() || !FileExists(path)) {
        AfxMessageBox("メールのデータファイルが見つかりませんでした。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDlgMailReReading dlg(path, pParent);
    dlg.DoModal();
}
