// Mailbox layout: where the mailbox folder is, the names of every data file
// and box folder in it, and the logs.
#include "core/QuendalApp.h"

#include "core/FileUtil.h"
#include "core/MiscUtil.h"

namespace {

// Creates a folder with every missing parent.
CString EnsureFolder(const CString& path)
{
    if (!path.IsEmpty() && !DirectoryExists(path))
        CreateDirectoryPath(path);
    return path;
}

} // namespace

void CQuendalApp::ReadMailBoxPath()
{
    if (m_strMailBoxNameOverride.IsEmpty())
        m_strMailBoxNameOverride = GetProfileString("Paths", "MailBoxName", "");
    if (m_strMailBoxPathOverride.IsEmpty()) {
        CString path = GetProfileString("Paths", "MailBoxPath", "");
        // "*:" stands for the drive the program runs from (a mailbox on a USB stick).
        if (path.GetLength() >= 2 && path[0] == '*' && path[1] == ':') {
            CString program = ProgramFilePath();
            if (program.GetLength() >= 2 && program[1] == ':')
                path = program.Left(2) + path.Mid(2);
        }
        m_strMailBoxPathOverride = path;
    }
}

void CQuendalApp::SetProfilePaths(const char* pszAccountFile, const char* pszRouteFile, const char* pszAddressFolder)
{
    CSingleLock hold(&m_pathLock, TRUE);
    m_strAccountFileOverride = pszAccountFile ? pszAccountFile : "";
    m_strRouteFileOverride = pszRouteFile ? pszRouteFile : "";
    m_strAddressBoxOverride = pszAddressFolder ? pszAddressFolder : "";
}

CString CQuendalApp::GetMailBoxFolder()
{
    CSingleLock hold(&m_pathLock, TRUE);
    ReadMailBoxPath();
    return CombinePath(m_strMailBoxPathOverride, m_strMailBoxNameOverride);
}

CString CQuendalApp::GetKeywordListPath() { return CombinePath(GetMailBoxFolder(), "KeywordList.dat"); }
CString CQuendalApp::GetTaskListPath() { return CombinePath(GetMailBoxFolder(), "TaskList.dat"); }
CString CQuendalApp::GetNotifyPath() { return CombinePath(GetMailBoxFolder(), "Notify.dat"); }
CString CQuendalApp::GetShortCutTemplatePath() { return CombinePath(GetMailBoxFolder(), "ShortCutTemplate.dat"); }
CString CQuendalApp::GetAutoSignPath() { return CombinePath(GetMailBoxFolder(), "AutoSign.dat"); }
CString CQuendalApp::GetFolderDataPath() { return CombinePath(GetMailBoxFolder(), "Folder.dat"); }
CString CQuendalApp::GetDownloadLogPath() { return CombinePath(GetMailBoxFolder(), "$$Download.Log"); }
CString CQuendalApp::GetReceiveLogPath() { return CombinePath(GetMailBoxFolder(), "$$Receive.Log"); }

CString CQuendalApp::GetFilterRulePath(BOOL bSend)
{
    return CombinePath(GetMailBoxFolder(), bSend ? "DivideupS.dat" : "Divideup.dat");
}

CString CQuendalApp::GetKeyFilePath(int nWindowKind)
{
    static const char* const names[] = {"MainWnd.key", "Viewer.key", "Editor.key"};
    return CombinePath(GetMailBoxFolder(), names[nWindowKind >= 0 && nWindowKind <= 2 ? nWindowKind : 0]);
}

CString CQuendalApp::GetAccountFilePath()
{
    CSingleLock hold(&m_pathLock, TRUE);
    return m_strAccountFileOverride.IsEmpty() ? CombinePath(GetMailBoxFolder(), "Account.dat") : m_strAccountFileOverride;
}

CString CQuendalApp::GetRouteFilePath()
{
    CSingleLock hold(&m_pathLock, TRUE);
    return m_strRouteFileOverride.IsEmpty() ? CombinePath(GetMailBoxFolder(), "RouteSet.dat") : m_strRouteFileOverride;
}

CString CQuendalApp::GetTemplateBoxPath() { return EnsureFolder(CombinePath(GetMailBoxFolder(), "Template.Box")); }
CString CQuendalApp::GetProfileBoxPath() { return EnsureFolder(CombinePath(GetMailBoxFolder(), "Profile.Box")); }
CString CQuendalApp::GetSignatureBoxPath() { return EnsureFolder(CombinePath(GetMailBoxFolder(), "Signature.Box")); }
CString CQuendalApp::GetDivideupBoxPath() { return EnsureFolder(CombinePath(GetMailBoxFolder(), "Divideup.Box")); }
CString CQuendalApp::GetFoldersPath() { return EnsureFolder(CombinePath(GetMailBoxFolder(), "Folders")); }

CString CQuendalApp::GetTemplateFilePath(const char* pszFileName)
{
    return CombinePath(GetTemplateBoxPath(), pszFileName);
}

CString CQuendalApp::GetAddressBoxPath()
{
    CString path;
    {
        CSingleLock hold(&m_pathLock, TRUE);
        path = m_strAddressBoxOverride.IsEmpty() ? CombinePath(GetMailBoxFolder(), "Address.Box")
                                                 : m_strAddressBoxOverride;
    }
    return EnsureFolder(path);
}

CString CQuendalApp::GetLogFilePath()
{
    CString path = GetProfileString("Paths", "LogFilePath", "");
    return path.IsEmpty() ? CombinePath(GetMailBoxFolder(), "$$CVM.Log") : path;
}

CString CQuendalApp::GetHelpFilePath()
{
    return GetProgramFilePath("CVMailHelp.chm");
}

void CQuendalApp::OpenHelp()
{
    const CString path = GetHelpFilePath();
    if (!path.IsEmpty() && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        ShellOpenFile("open", path, "");
}

BOOL CQuendalApp::DeleteDownloadLog()
{
    return DeleteFileA(GetDownloadLogPath());
}

BOOL CQuendalApp::AppendDownloadLog(const char* pszText)
{
    CFile file;
    if (!file.Open(GetDownloadLogPath(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite))
        return FALSE;
    try {
        file.SeekToEnd();
        file.Write(pszText, static_cast<UINT>(lstrlenA(pszText)));
        file.Close();
    } catch (const CFileException&) {
        return FALSE;
    }
    return TRUE;
}
