// What the mail view does with the mail it shows: the print header, saving
// it as text, moving its uuencoded blocks into attachment files, the header
// window and the properties dialog.
#include "viewer/MailView.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/MailTransfer.h"
#include "message/MailMessage.h"
#include "resources/resource.h"
#include "resources/shownmail/ShownMailResource.h"
#include "resources/viewer/ViewerResource.h"
#include "classlib/CmdUI.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "viewer/ColorTextView.h"
#include "tasklist/DlgTaskInfoInput.h"
#include "tasklist/TaskListData.h"
#include "settings/SettingsCommands.h"
#include "viewer/CharSetDataSet.h"
#include "viewer/DlgMailProperty.h"
#include "viewer/MailFontSets.h"
#include "viewer/DlgPrintSetting.h"
#include "viewer/HeaderFieldStatic.h"
#include "viewer/HeaderViewThread.h"
#include "viewer/PrintHeaderText.h"
#include "viewer/TextPrinter.h"
#include "viewer/UuencodedParts.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerProfile.h"

#include <commdlg.h>

#include <vector>

namespace {

// Thread messages to the main thread about a folder's mails.
const UINT kFolderMailsChanged = 1386;  // wParam folder id
const UINT kRefreshList = 1346;         // lParam folder id
const UINT kSelectMail = 1353;          // wParam folder id, lParam mail index

const char kDefaultPrintHeader[] =
    " 件名： %SUBJECT%\r\n 送信者： %FROM%\r\n 宛先： %TO%\r\n 送信日時：%SENDDATETIME%  受信日時：%RECDATETIME%\r\n";

bool WriteWholeFile(const CString& path, const std::string& data)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
              written == data.size();
    CloseHandle(h);
    return ok;
}

} // namespace

void CMailView::BuildPrintHeader(int nCount, const char* pszSeparator)
{
    if (!m_pRecord || !m_pBody || !m_pFolder)
        return;
    std::vector<std::string> names;
    if (m_pRecord->m_bAttach) {
        CStringArray files;
        m_pFolder->GetAttachFileList(m_nIndex, files);
        for (int i = 0; i < files.GetSize(); ++i)
            names.push_back(GetFileNameFromPath(files[i]).GetString());
    }
    CString tmpl = ViewerProfile::GetString("PrintSetting", "PrintHeaderTemplate", kDefaultPrintHeader);
    CString expanded = tmpl;
    if (CQuendalApp* app = QuendalApp()) {
        CMailMessage message;
        message.ParseHeaderText(m_strHeaderText);
        expanded = app->ReplaceTemplateMacros(tmpl, m_pRecord, m_pBody->GetText().c_str(), nullptr, 0, &message);
    }
    m_pBody->SetPrintHeader(CPrintHeaderText::Compose(CPrintHeaderText::SeparatorLine(nCount, pszSeparator ? pszSeparator : "="),
                                                      expanded.GetString(), CPrintHeaderText::AttachmentLine(names)));
}

BOOL CMailView::SaveAsText(const char* pszPath)
{
    if (!m_pRecord || !m_pBody)
        return FALSE;
    CString path = pszPath ? pszPath : "";
    if (path.IsEmpty()) {
        char file[MAX_PATH] = {};
        std::string initial = CPrintHeaderText::FileNameOfSubject(m_strSubject.GetString());
        lstrcpynA(file, initial.c_str(), sizeof(file));
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = m_hWnd;
        ofn.lpstrFilter = "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof(file);
        ofn.lpstrDefExt = "txt";
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        if (!GetSaveFileNameA(&ofn))
            return FALSE;
        path = file;
    }
    // A relative name is taken from the mailbox folder.
    if (CQuendalApp* app = QuendalApp())
        SetCurrentDirectoryA(app->GetMailBoxFolder());
    BuildPrintHeader(0, "=");
    std::string text = m_pBody->GetPrintHeader() + "\r\n" + m_pBody->GetText() + "\r\n";
    m_pBody->SetPrintHeader(std::string());
    if (!WriteWholeFile(path, text)) {
        // The user must not believe the mail was saved.
        CString format;
        format.LoadString(IDS_SAVE_TEXT_FAILED);
        AfxMessageBox(FormatString(format, path.GetString()), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

int CMailView::DecodeUuencodedParts()
{
    if (!m_pRecord || !m_pList || !m_pFolder)
        return -1;
    CString stored;
    if (!m_pFolder->ReadMailText(m_pRecord, stored))
        return -1;
    std::string mail = stored.Str();
    // The stored entry ends with its end line ".\r\n".
    if (mail.size() >= 3)
        mail.resize(mail.size() - 3);
    CString fileName = m_pRecord->GetText(CMailIndexRecord::colFileName);
    CUuencodedParts parts;
    if (!parts.Convert(mail, fileName.GetString()))
        return -1;

    // The new mail gets an attachment folder of its own, made in a staging
    // folder of the program's from the old mail's files and the decoded
    // ones; the old mail's folder goes to the trash with it untouched.
    CString attachName = m_pRecord->GetText(CMailIndexRecord::colAttachDir);
    if (attachName.IsEmpty())
        attachName = fileName;
    CString attachRoot = CombinePath(m_pFolder->GetFolderPath(), "Attach");
    CString newName;
    for (int n = 1; n < 10000; ++n) {
        newName = FormatString("%s_%d", fileName.GetString(), n);
        if (!DirectoryExists(CombinePath(attachRoot, newName)))
            break;
    }
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    CString staging = CombinePath(temp, FormatString("CVMUU%lu_%lu", GetCurrentProcessId(), GetTickCount()));
    CString stagedAttach = CombinePath(CombinePath(staging, "Attach"), newName);
    CreateDirectoryPath(stagedAttach);
    CString oldAttach = m_pFolder->GetAttachFolder(m_pRecord);
    if (!oldAttach.IsEmpty() && DirectoryExists(oldAttach))
        CopyFolderTree(oldAttach, stagedAttach);
    bool written = true;
    for (const CUuencodedParts::Part& part : parts.Parts())
        written = written && WriteWholeFile(CombinePath(stagedAttach, part.name.c_str()), part.data);
    if (!written) {
        DeleteDirectoryTree(staging, true);
        return -1;
    }
    CMailIndexRecord source;
    source.CopyValuesFrom(*m_pRecord);
    source.SetText(CMailIndexRecord::colAttachDir, newName);
    // The stored entry ends with the end line; a text that already ends a
    // line gets no empty line before it.
    std::string output = parts.Output();
    output += output.size() >= 2 && output.compare(output.size() - 2, 2, "\r\n") == 0 ? ".\r\n" : "\r\n.\r\n";
    const int folderId = m_pFolder->GetFolderId();
    const int oldIndex = m_nIndex;
    int newIndex = m_pFolder->AddCopyOfMail(source, staging, output.c_str(), static_cast<int>(output.size()), TRUE,
                                            nullptr);
    DeleteDirectoryTree(staging, true);
    if (newIndex < 0)
        return -1;
    // The converted mail goes to the trash as any deleted mail does.
    if (CQuendalApp* app = QuendalApp())
        CMailTransfer::DeleteMails(*app, m_pFolder, {oldIndex}, false);
    PostToMainThread(kFolderMailsChanged, static_cast<WPARAM>(folderId), 0);
    PostToMainThread(kRefreshList, 0, static_cast<LPARAM>(folderId));
    PostToMainThread(kSelectMail, static_cast<WPARAM>(folderId), newIndex);
    return newIndex;
}

void CMailView::OpenHeaderWindow()
{
    if (!m_pRecord)
        return;
    auto* thread = new CHeaderViewThread;
    thread->SetHeaderData(m_strSubject, m_strHeaderText);
    if (!thread->CreateThread())
        delete thread;
}

BOOL CMailView::ShowProperties()
{
    if (!m_pRecord || !m_pFolder || !m_pList)
        return FALSE;
    CDlgMailProperty dlg(m_pRecord, m_pFolder, m_pList, this);
    dlg.DoModal();
    if (!dlg.IsChanged())
        return FALSE;
    UpdateHeaderFields();
    PostToMainThread(WM_QD_MAIL_READ_CHANGED, static_cast<WPARAM>(m_pFolder->GetFolderId()), m_nIndex);
    return TRUE;
}

BOOL CMailView::ShownMailCommand(UINT nID, int nCode)
{
    switch (nID) {
    case IDM_TV_SAVE_AS_TEXT:
    case IDM_TV_UUDECODE:
    case IDM_TV_SHOW_HEADER:
    case IDM_TV_PROPERTIES:
    case IDM_TV_PRINT:
    case IDM_TV_PRINT_PREVIEW:
    case IDM_TV_PRINT_SETTINGS:
    case IDM_TV_TASK:
    case ID_FILE_PRINT_DIRECT:
        break;
    default:
        return FALSE;
    }
    if (nCode == static_cast<int>(CN_PROBE_COMMAND))
        return TRUE;
    if (nCode != static_cast<int>(CN_COMMAND))
        return FALSE;
    switch (nID) {
    case IDM_TV_SAVE_AS_TEXT:
        SaveAsText();
        break;
    case IDM_TV_UUDECODE: {
        int index = DecodeUuencodedParts();
        if (index >= 0 && m_pFolder)
            ShowMail(index, m_pFolder, TRUE);
        break;
    }
    case IDM_TV_SHOW_HEADER:
        OpenHeaderWindow();
        break;
    case IDM_TV_PROPERTIES:
        ShowProperties();
        break;
    case IDM_TV_PRINT:
        if (m_pBody && m_pRecord)
            CTextPrinter::PrintView(m_pBody, nullptr);
        break;
    case IDM_TV_PRINT_PREVIEW:
        if (m_pBody && m_pRecord)
            CTextPrinter::PreviewView(m_pBody);
        break;
    case ID_FILE_PRINT_DIRECT:
        // The print request of the command line: no dialog.
        if (m_pBody && m_pRecord)
            CTextPrinter::PrintViewDirect(m_pBody);
        break;
    case IDM_TV_TASK:
        AddTaskForShownMail();
        break;
    case IDM_TV_PRINT_SETTINGS: {
        CDlgPrintSetting dlg(this);
        dlg.DoModal();
        break;
    }
    default:
        break;
    }
    return TRUE;
}

void CMailView::AttachHeaderFields()
{
    static const struct { int nId; int nKind; } kFields[] = {
        {IDC_VIEW_SUBJECT_LABEL, CHeaderDisplayText::kindOther}, {IDC_VIEW_FROM_LABEL, CHeaderDisplayText::kindFrom},
        {IDC_VIEW_TO_LABEL, CHeaderDisplayText::kindTo},         {IDC_VIEW_CC_LABEL, CHeaderDisplayText::kindCc},
        {IDC_VIEW_DATE_LABEL, CHeaderDisplayText::kindDate},
    };
    for (size_t i = 0; i < 5; ++i) {
        if (!m_headerFields[i]) {
            m_headerFields[i].reset(new CHeaderFieldStatic(this, kFields[i].nKind));
            if (!m_headerFields[i]->Attach(static_cast<UINT>(kFields[i].nId))) {
                m_headerFields[i].reset();
                continue;
            }
        }
        m_headerFields[i]->SetKind(m_bMiniHeader ? kFields[i].nKind : CHeaderDisplayText::kindNone);
    }
}

BOOL CMailView::AddTaskForShownMail()
{
    CQuendalApp* app = QuendalApp();
    CTaskListData* table = app ? app->GetTaskListData() : nullptr;
    if (!m_pRecord || !m_pFolder || !table)
        return FALSE;
    if (!AddTaskForMail(m_pRecord, m_pFolder, table, this))
        return FALSE;
    CSingleLock lock(&table->Lock(), TRUE);
    return table->WriteToFile();
}

BOOL CMailView::ChooseCharsetFont()
{
    CQuendalApp* app = QuendalApp();
    if (!m_pRecord || !app || !ShowLanguageFonts(this, m_strCharset))
        return FALSE;
    CCharSetDataSet table;
    table.SetFilePath(CMailFontSets::GetCharSetFilePath(app->GetMailBoxFolder(), app->GetProgramFolder()));
    if (table.ReadFromFile())
        CMailFontSets::Instance().LoadCharSetFonts(table);
    RefreshMail();
    if (CWnd* main = AfxGetMainWnd())
        main->Invalidate();
    return TRUE;
}
