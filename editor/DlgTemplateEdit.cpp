#include "editor/DlgTemplateEdit.h"

#include "addressbook/DlgAddressNote.h"
#include "core/AccountCombo.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "editor/BoxFiles.h"
#include "editor/DlgSignatureList.h"
#include "editor/MacroHelpText.h"
#include "editor/MailEditData.h"
#include "editor/RichEditText.h"
#include "editor/TemplateFile.h"
#include "resources/attach/AttachResource.h"

#include <commdlg.h>
#include <richedit.h>
#include <shlobj.h>

namespace {

int ComboAdd(HWND hCombo, const char* psz)
{
    return static_cast<int>(::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz)));
}

CString ComboText(HWND hCombo)
{
    int n = ::GetWindowTextLengthA(hCombo);
    CString text;
    ::GetWindowTextA(hCombo, text.GetBuffer(n + 1), n + 1);
    text.ReleaseBuffer();
    return text;
}

int CALLBACK BrowseStart(HWND hWnd, UINT message, LPARAM, LPARAM lData)
{
    if (message == BFFM_INITIALIZED && lData)
        ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, lData);
    return 0;
}

} // namespace

CDlgTemplateEdit::CDlgTemplateEdit(const char* pszName, CWnd* pParent)
    : CDialog(IDD_TEMPLATE_EDIT, pParent), m_strName(pszName ? pszName : ""), m_strOpenedName(m_strName)
{
}

bool CDlgTemplateEdit::Run(CWnd* pParent, const char* pszName, CString& savedName)
{
    CDlgTemplateEdit dlg(pszName, pParent);
    if (dlg.DoModal() != IDOK)
        return false;
    savedName = dlg.m_strName;
    return true;
}

BOOL CDlgTemplateEdit::OnInitDialog()
{
    CQuendalApp* app = QuendalApp();
    if (app && app->GetProfileInt("Setting", "AllButtonNormal", 0) != 0)
        for (int id : {IDC_TE_TO_BUTTON, IDC_TE_CC_BUTTON, IDC_TE_BCC_BUTTON, IDC_TE_SIGN_EDIT})
            SetStaticEdge(GetDlgItemHwnd(id), false);
    HWND body = GetDlgItemHwnd(IDC_TE_BODY);
    if (m_font.Create(m_hWnd))
        ::SendMessageA(body, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetHandle()), FALSE);
    ::SendMessageA(body, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SetDlgItemText(IDC_TE_MACRO_HELP, GetMacroHelpText(true));
    m_attachList.SubclassDlgItem(IDC_TE_ATTACH_LIST, this);
    m_attachList.InitList();
    FillSignatureCombo();
    FillAccountAddressCombo(GetDlgItemHwnd(IDC_TE_REPLY_TO));
    FillAccountCombo();
    SetDlgItemText(IDC_TE_NAME, m_strName);
    if (!m_strOpenedName.IsEmpty())
        LoadTemplate();
    EnableHeaderFields();
    return TRUE;
}

void CDlgTemplateEdit::FillSignatureCombo()
{
    HWND combo = GetDlgItemHwnd(IDC_TE_SIGN);
    CString keep = ComboText(combo);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ComboAdd(combo, "");
    ComboAdd(combo, CMailEditData::kSignAuto);
    ComboAdd(combo, CMailEditData::kSignNone);
    CStringArray names;
    if (CQuendalApp* app = QuendalApp())
        CBoxFiles::ListNames(app->GetSignatureBoxPath(), names, true);
    int select = 0;
    for (int i = 0; i < names.GetSize(); ++i) {
        int item = ComboAdd(combo, names[i]);
        if (!keep.IsEmpty() && names[i] == keep)
            select = item;
    }
    ::SendMessageA(combo, CB_SETCURSEL, select, 0);
}

void CDlgTemplateEdit::FillAccountCombo()
{
    HWND combo = GetDlgItemHwnd(IDC_TE_ACCOUNT);
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* set = app ? app->m_pAccountDataSet : nullptr;
    for (int i = 0; set && i < set->GetRecordCount(TRUE); ++i)
        if (CAccountData* account = set->GetAccount(i))
            ComboAdd(combo, account->GetAccountName());
}

void CDlgTemplateEdit::LoadTemplate()
{
    CTemplateFile file;
    if (!file.Read(GetTemplateFilePath(m_strOpenedName)))
        return;
    SetDlgItemText(IDC_TE_BODY, file.m_strBody);
    SetDlgItemText(IDC_TE_TO, file.m_strTo);
    SetDlgItemText(IDC_TE_CC, file.m_strCc);
    SetDlgItemText(IDC_TE_BCC, file.m_strBcc);
    SetDlgItemText(IDC_TE_SUBJECT, file.m_strSubject);
    ::SetWindowTextA(GetDlgItemHwnd(IDC_TE_REPLY_TO), file.m_strReplyTo);
    SetDlgItemText(IDC_TE_ATTACH_FOLDER, file.m_strAttachFileFolder);
    CheckDlgButton(IDC_TE_SET_HEADERS, file.m_bSetHeaders ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_TE_ATTACH_FILE, file.m_bAttachFile ? BST_CHECKED : BST_UNCHECKED);
    HWND accounts = GetDlgItemHwnd(IDC_TE_ACCOUNT);
    if (!file.m_strSendAccount.IsEmpty())
        ::SendMessageA(accounts, CB_SETCURSEL,
                       ::SendMessageA(accounts, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(file.m_strSendAccount.GetString())),
                       0);
    for (int i = 0; i < file.m_attachPaths.GetSize(); ++i)
        m_attachList.AddFileSorted(file.m_attachPaths[i], CAttachListCtrl::kindFile);
    HWND sign = GetDlgItemHwnd(IDC_TE_SIGN);
    ::SendMessageA(sign, CB_SETCURSEL,
                   ::SendMessageA(sign, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(file.m_strSignName.GetString())),
                   0);
}

void CDlgTemplateEdit::EnableHeaderFields()
{
    bool on = IsDlgButtonChecked(IDC_TE_SET_HEADERS) == BST_CHECKED;
    for (int id : {IDC_TE_TO, IDC_TE_CC, IDC_TE_BCC, IDC_TE_SUBJECT})
        ::EnableWindow(GetDlgItemHwnd(id), on);
}

void CDlgTemplateEdit::PickAddresses(int nField)
{
    CAddressRecipientTargets targets;
    targets.hEdit[0] = GetDlgItemHwnd(IDC_TE_TO);
    targets.hEdit[1] = GetDlgItemHwnd(IDC_TE_CC);
    targets.hEdit[2] = GetDlgItemHwnd(IDC_TE_BCC);
    CDlgAddressNote picker(this);
    picker.SetPicking(targets.hEdit[nField], targets);
    picker.DoModal();
}

void CDlgTemplateEdit::AddAttachment()
{
    char name[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "All Files (*.*)\0*.*\0";
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof(name);
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&ofn))
        m_attachList.AddFileSorted(name, CAttachListCtrl::kindFile);
    if (CQuendalApp* app = QuendalApp()) {
        app->ReadMailBoxPath();
        SetCurrentDirectoryA(app->GetMailBoxFolder());
    }
}

void CDlgTemplateEdit::BrowseFolder()
{
    CString start = GetDlgItemText(IDC_TE_ATTACH_FOLDER);
    char chosen[MAX_PATH] = {};
    BROWSEINFOA bi = {};
    bi.hwndOwner = m_hWnd;
    bi.pszDisplayName = chosen;
    bi.lpszTitle = "フォルダの選択";
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = BrowseStart;
    bi.lParam = reinterpret_cast<LPARAM>(start.GetString());
    LPITEMIDLIST list = SHBrowseForFolderA(&bi);
    if (!list)
        return;
    if (SHGetPathFromIDListA(list, chosen))
        SetDlgItemText(IDC_TE_ATTACH_FOLDER, chosen);
    CoTaskMemFree(list);
}

BOOL CDlgTemplateEdit::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_TE_SET_HEADERS:
            EnableHeaderFields();
            return TRUE;
        case IDC_TE_TO_BUTTON:
            PickAddresses(0);
            return TRUE;
        case IDC_TE_CC_BUTTON:
            PickAddresses(1);
            return TRUE;
        case IDC_TE_BCC_BUTTON:
            PickAddresses(2);
            return TRUE;
        case IDC_TE_SIGN_EDIT: {
            CDlgSignatureList list(this);
            list.DoModal();
            FillSignatureCombo();
            return TRUE;
        }
        case IDC_TE_ATTACH:
            AddAttachment();
            return TRUE;
        case IDC_TE_BROWSE:
            BrowseFolder();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgTemplateEdit::OnOK()
{
    CTemplateFile file;
    file.m_bSetHeaders = IsDlgButtonChecked(IDC_TE_SET_HEADERS) == BST_CHECKED;
    file.m_strTo = GetDlgItemText(IDC_TE_TO);
    file.m_strCc = GetDlgItemText(IDC_TE_CC);
    file.m_strBcc = GetDlgItemText(IDC_TE_BCC);
    file.m_strSubject = GetDlgItemText(IDC_TE_SUBJECT);
    file.m_strReplyTo = ComboText(GetDlgItemHwnd(IDC_TE_REPLY_TO));
    file.m_strSignName = ComboText(GetDlgItemHwnd(IDC_TE_SIGN));
    for (int i = 0; i < m_attachList.GetCount(); ++i)
        file.m_attachPaths.Add(m_attachList.GetPath(i));
    file.m_bAttachFile = IsDlgButtonChecked(IDC_TE_ATTACH_FILE) == BST_CHECKED;
    file.m_strAttachFileFolder = GetDlgItemText(IDC_TE_ATTACH_FOLDER);
    HWND accounts = GetDlgItemHwnd(IDC_TE_ACCOUNT);
    if (::SendMessageA(accounts, CB_GETCURSEL, 0, 0) != CB_ERR)
        file.m_strSendAccount = ComboText(accounts);
    file.m_strBody = GetRichEditText(GetDlgItemHwnd(IDC_TE_BODY));

    CString name = GetDlgItemText(IDC_TE_NAME);
    UINT message = 0;
    CBoxFiles::SaveResult result = file.SaveAs(m_strOpenedName, name, false, &message);
    if (result == CBoxFiles::badName) {
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (result == CBoxFiles::needsOverwrite) {
        if (AfxMessageBox(message, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
        result = file.SaveAs(m_strOpenedName, name, true);
    }
    // A file that could not be created keeps the dialog open.
    if (result != CBoxFiles::saved)
        return;
    m_strName = name;
    EndDialog(IDOK);
}
