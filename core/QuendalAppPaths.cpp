// Mailbox layout: where the mailbox folder is, the names of every data file
// and box folder in it, and the logs.
#include "core/QuendalApp.h"
#include "core/MiscUtil.h"

#include <shlobj.h>

namespace {


CString Join(const CString& folder, const char* name)
{
    if (!folder.IsEmpty() && folder.Right(1) == "\\" && !Mbcs::IsTrailByteAt(folder, folder.GetLength(), folder.GetLength() - 1))
        return folder + name;
    return folder + "\\" + name;
}

// Creates a folder with every missing parent.
CString EnsureFolder(const CString& path)
{
    if (!path.IsEmpty() && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        SHCreateDirectoryExA(nullptr, path, nullptr);
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

CString CQuendalApp::GetMailBoxFolder()
{
    ReadMailBoxPath();
    return Join(m_strMailBoxPathOverride, m_strMailBoxNameOverride);
}

CString CQuendalApp::GetKeywordListPath() { return Join(GetMailBoxFolder(), "KeywordList.dat"); }
CString CQuendalApp::GetTaskListPath() { return Join(GetMailBoxFolder(), "TaskList.dat"); }
CString CQuendalApp::GetNotifyPath() { return Join(GetMailBoxFolder(), "Notify.dat"); }
CString CQuendalApp::GetShortCutTemplatePath() { return Join(GetMailBoxFolder(), "ShortCutTemplate.dat"); }
CString CQuendalApp::GetAutoSignPath() { return Join(GetMailBoxFolder(), "AutoSign.dat"); }
CString CQuendalApp::GetFolderDataPath() { return Join(GetMailBoxFolder(), "Folder.dat"); }
CString CQuendalApp::GetDownloadLogPath() { return Join(GetMailBoxFolder(), "$$Download.Log"); }
CString CQuendalApp::GetReceiveLogPath() { return Join(GetMailBoxFolder(), "$$Receive.Log"); }

CString CQuendalApp::GetFilterRulePath(BOOL bSend)
{
    return Join(GetMailBoxFolder(), bSend ? "DivideupS.dat" : "Divideup.dat");
}

CString CQuendalApp::GetKeyFilePath(int nWindowKind)
{
    static const char* const names[] = {"MainWnd.key", "Viewer.key", "Editor.key"};
    return Join(GetMailBoxFolder(), names[nWindowKind >= 0 && nWindowKind <= 2 ? nWindowKind : 0]);
}

CString CQuendalApp::GetAccountFilePath()
{
    return m_strAccountFileOverride.IsEmpty() ? Join(GetMailBoxFolder(), "Account.dat") : m_strAccountFileOverride;
}

CString CQuendalApp::GetRouteFilePath()
{
    return m_strRouteFileOverride.IsEmpty() ? Join(GetMailBoxFolder(), "RouteSet.dat") : m_strRouteFileOverride;
}

CString CQuendalApp::GetTemplateBoxPath() { return EnsureFolder(Join(GetMailBoxFolder(), "Template.Box")); }
CString CQuendalApp::GetProfileBoxPath() { return EnsureFolder(Join(GetMailBoxFolder(), "Profile.Box")); }
CString CQuendalApp::GetSignatureBoxPath() { return EnsureFolder(Join(GetMailBoxFolder(), "Signature.Box")); }
CString CQuendalApp::GetDivideupBoxPath() { return EnsureFolder(Join(GetMailBoxFolder(), "Divideup.Box")); }
CString CQuendalApp::GetFoldersPath() { return EnsureFolder(Join(GetMailBoxFolder(), "Folders")); }

CString CQuendalApp::GetTemplateFilePath(const char* pszFileName)
{
    return Join(GetTemplateBoxPath(), pszFileName);
}

CString CQuendalApp::GetAddressBoxPath()
{
    if (!m_strAddressBoxOverride.IsEmpty())
        return EnsureFolder(m_strAddressBoxOverride);
    return EnsureFolder(Join(GetMailBoxFolder(), "Address.Box"));
}

CString CQuendalApp::GetLogFilePath()
{
    CString path = GetProfileString("Paths", "LogFilePath", "");
    return path.IsEmpty() ? Join(GetMailBoxFolder(), "$$CVM.Log") : path;
}

CString CQuendalApp::GetHelpFilePath()
{
    CString program = ProgramFilePath();
    int cut = program.ReverseFind('\\');
    return Join(cut >= 0 ? program.Left(cut) : CString("."), "CVMailHelp.chm");
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
