// Work folders of the special mail folders. With "Paths"/TempFolderPath set
// (the settings dialog's temporary folder) they live under that folder, for
// a mailbox on slow or shared storage; otherwise they are the default
// folders' own directories.
#include "core/QuendalApp.h"

#include "core/FileUtil.h"

namespace {

CString WorkPath(CQuendalApp* app, const char* boxName, int kind)
{
    CString temp = app->GetProfileString("Paths", "TempFolderPath", "");
    if (temp.IsEmpty())
        return app->GetDefaultFolderPath(kind);
    CString path = temp + "\\" + boxName;
    if (!DirectoryExists(path))
        CreateDirectoryPath(path);
    return path;
}

} // namespace

CString CQuendalApp::GetInboxWorkPath() { return WorkPath(this, "In.Box", 1); }
CString CQuendalApp::GetOutboxWorkPath() { return WorkPath(this, "Out.Box", 2); }
CString CQuendalApp::GetDraftsWorkPath() { return WorkPath(this, "Writing.Box", 3); }
CString CQuendalApp::GetSentWorkPath() { return WorkPath(this, "Send.Box", 5); }

CString CQuendalApp::GetSendTempPath()
{
    CString path = GetDefaultFolderPath(2) + "\\Temp";
    if (!DirectoryExists(path))
        CreateDirectoryPath(path);
    return path;
}

CString CQuendalApp::GetDownloadDataPath()
{
    CString base = GetProfileString("Paths", "DownloadDataPath", "");
    CString path = (base.IsEmpty() ? GetMailBoxFolder() : base) + "\\DownloadData";
    if (!DirectoryExists(path))
        CreateDirectoryPath(path);
    return path;
}
