#include "core/DlgMailBoxSetting.h"

#include "core/FileUtil.h"
#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "core/ShellUtil.h"
#include "resources/utils/UtilsResource.h"

#include <shlobj.h>

namespace {

// "*:" stands for the drive the program runs from.
CString ResolveProgramDrive(const CString& path)
{
    if (path.GetLength() >= 2 && path[0] == '*' && path[1] == ':') {
        CString program = GetProgramFilePath("");
        if (program.GetLength() >= 2 && program[1] == ':')
            return program.Left(2) + path.Mid(2);
    }
    return path;
}

CString DocumentsFolder()
{
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE))
        return CString();
    return CString(path);
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgMailBoxSetting, CDialog)
    ON_BN_CLICKED(IDC_MAILBOX_BROWSE, OnBrowse)
    ON_EN_CHANGE(IDC_MAILBOX_PATH, OnEditChange)
    ON_EN_CHANGE(IDC_MAILBOX_NAME, OnEditChange)
END_MESSAGE_MAP()

CDlgMailBoxSetting::CDlgMailBoxSetting(CWnd* pParent) : CDialog(IDD_MAILBOX_SETTING, pParent)
{
}

BOOL CDlgMailBoxSetting::OnInitDialog()
{
    CQuendalApp* app = QuendalApp();
    if (app)
        app->ReadMailBoxPath();
    m_strName = app ? app->m_strMailBoxNameOverride : CString();
    if (m_strName.IsEmpty())
        m_strName.LoadString(IDS_DEFAULT_MAILBOX_NAME);
    m_strPath = app ? app->m_strMailBoxPathOverride : CString();
    if (m_strPath.IsEmpty())
        m_strPath = DocumentsFolder();
    SetDlgItemText(IDC_MAILBOX_PATH, m_strPath);
    SetDlgItemText(IDC_MAILBOX_NAME, m_strName);
    UpdateOkButton();
    return TRUE;
}

void CDlgMailBoxSetting::UpdateOkButton()
{
    bool ready = !GetDlgItemText(IDC_MAILBOX_PATH).IsEmpty() && !GetDlgItemText(IDC_MAILBOX_NAME).IsEmpty();
    ::EnableWindow(GetDlgItemHwnd(IDOK), ready);
}

void CDlgMailBoxSetting::OnEditChange()
{
    UpdateOkButton();
}

void CDlgMailBoxSetting::OnBrowse()
{
    CString path = BrowseForFolder(m_hWnd, "ユーザフォルダの選択", GetDlgItemText(IDC_MAILBOX_PATH));
    SetDlgItemText(IDC_MAILBOX_PATH, path);
    UpdateOkButton();
}

void CDlgMailBoxSetting::OnOK()
{
    CString typedPath = GetDlgItemText(IDC_MAILBOX_PATH);
    CString name = GetDlgItemText(IDC_MAILBOX_NAME);
    CString path = ResolveProgramDrive(typedPath);
    if (path.IsEmpty()) {
        AfxMessageBox("パスが入力されていません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (name.IsEmpty()) {
        AfxMessageBox("メールボックス名が入力されていません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The name is one folder inside the chosen folder: "." and ".." or a
    // separator would put the mailbox somewhere else.
    if (name == "." || name == "..") {
        AfxMessageBox(IDS_DOT_NAMES, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (MakeValidFileName(name) != name) {
        AfxMessageBox(IDS_INVALID_NAME_CHARS, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (path[0] == '.') {
        AfxMessageBox("メールボックスのパスはフルパスで指定してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (path.Left(2) == "\\\\") {
        AfxMessageBox("メールボックスのパスにUNCは指定できません。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!DirectoryExists(path)) {
        CreateDirectoryPath(path);
        if (!DirectoryExists(path)) {
            AfxMessageBox("フォルダの作成に失敗しました。", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileString("Paths", "MailBoxName", name);
        app->WriteProfileString("Paths", "MailBoxPath", typedPath);
    }
    m_strPath = typedPath;
    m_strName = name;
    EndDialog(IDOK);
}

void CDlgMailBoxSetting::OnCancel()
{
    CQuendalApp* app = QuendalApp();
    if (app) {
        app->ReadMailBoxPath();
        if (app->m_strMailBoxNameOverride.IsEmpty() || app->m_strMailBoxPathOverride.IsEmpty()) {
            if (AfxMessageBox("ユーザフォルダが設定されていない状態でCorvane Mailを使用できません。\r\n"
                              "いったん終了してもよろしいですか？",
                              MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
                return;
            ::PostQuitMessage(0);
        }
    }
    EndDialog(IDCANCEL);
}

int RunMailBoxSettingDialog()
{
    CDlgMailBoxSetting dlg;
    return static_cast<int>(dlg.DoModal());
}
