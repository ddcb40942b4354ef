#include "e2e/EditorSession.h"
#include "e2e/TestAccount.h"

#include "classlib/CommandState.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderData.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <commctrl.h>
#include <winsock2.h>

namespace E2e {

const char CEditorSession::kEditorClass[] = "CVMEditWndClass";

bool CEditorSession::Prepare(int nUser, const char* pszSettings)
{
    // Attachments go without the archive password question.
    std::string ini = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n"
                      "CorvanePasswordMode=dword:1\r\n";
    ini += pszSettings;
    TestSupport::WriteFileBytes(m_program.Folder() + "\\CVM.ini", ini + "\r\n");
    CreateDirectoryA(MailBox(), nullptr);
    return E2e::WriteTestAccount(MailBox(), nUser);
}

bool CEditorSession::AddStoredMail(int nFolderKind, const std::string& raw, bool bRead)
{
    CFolderRecord record = MailBoxFolderOfKind(MailBox(), nFolderKind);
    if (record.m_strPath.IsEmpty())
        return false;
    CMailFolderStore store;
    store.SetFolderRecord(record);
    CString file = m_program.Folder() + "\\stored.eml";
    TestSupport::WriteFileBytes(file, raw);
    bool added = store.AddNewMailData(file, "2024/01/01 10:00:00 +0900", bRead ? TRUE : FALSE) == 1;
    store.Close();
    DeleteFileA(file);
    return added;
}

HWND CEditorSession::Start(const char* pszExtra)
{
    CString arguments = "/INI \"/M:" + MailBox() + "\" " + pszExtra;
    if (!m_program.Start(arguments))
        return nullptr;
    return m_program.WaitForMainWindow(kStartTimeout);
}

void CEditorSession::Close(HWND main)
{
    // An editor's thread ends a moment after its window is hidden; the main
    // window asks while one is still registered.
    Sleep(1000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (HWND ask = m_program.WaitForMessageBox("編集中のメールがあります。", 3000))
        PressButton(ask, IDOK);
    m_program.WaitForExit(kStartTimeout);
    m_program.Kill();
}

std::vector<HWND> CEditorSession::Editors() const
{
    struct Context
    {
        DWORD pid;
        std::vector<HWND> found;
    } c{m_program.ProcessId(), {}};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* ctx = reinterpret_cast<Context*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof(cls));
            if (pid == ctx->pid && lstrcmpA(cls, kEditorClass) == 0 && IsWindowVisible(h))
                ctx->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&c));
    return c.found;
}

bool CEditorSession::WaitForEditorCount(size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (Editors().size() != count) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(100);
    }
    return true;
}

bool CEditorSession::ConfirmSendInfo()
{
    HWND dlg = m_program.WaitForDialogWithControl(IDC_SI_TO, 20000);
    if (!dlg)
        return false;
    PressButton(dlg, IDOK);
    return true;
}

HWND CEditorSession::EditorForInboxMail(const std::string& raw, int nCommand, HWND& main)
{
    main = Start();
    if (!main)
        return nullptr;
    Close(main);
    main = nullptr;
    if (!AddStoredMail(CFolderRecord::kindInbox, raw))
        return nullptr;
    main = Start();
    HWND list = main ? ShowFolder(main, "郵便受け", 1) : nullptr;
    if (!list)
        return nullptr;
    ListSelectItem(list, 0);
    PostMessageA(main, WM_COMMAND, nCommand, 0);
    return WaitForEditorCount(1) ? Editors()[0] : nullptr;
}

HWND CEditorSession::StartWithNewEditor(HWND& main)
{
    main = Start();
    if (!main)
        return nullptr;
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    return WaitForEditorCount(1) ? Editors()[0] : nullptr;
}

bool CEditorSession::DiscardEditor(HWND editor)
{
    size_t before = Editors().size();
    PostMessageA(editor, WM_CLOSE, 0, 0);
    if (HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 3000))
        PressButton(prompt, IDC_SC_DISCARD);
    return WaitForEditorCount(before - 1);
}

void CEditorSession::DiscardAllAndClose(HWND main)
{
    for (HWND e : Editors())
        DiscardEditor(e);
    if (main)
        Close(main);
}

bool CEditorSession::FocusField(HWND editor, int nId)
{
    // The editor's thread brings its window to the front (1408), as when
    // the user clicks it.
    PostThreadMessageA(GetWindowThreadProcessId(editor, nullptr), 1408, 0, 0);
    SetForegroundWindow(editor);
    HWND field = GetDlgItem(ViewOf(editor), nId);
    // The editor's own focus commands, as its keys give them.
    if (nId == IDC_ME_BODY)
        PostMessageA(editor, WM_COMMAND, ID_EDIT_FOCUS_BODY, 0);
    else
        PostMessageA(editor, WM_COMMAND, nId == IDC_ME_TO        ? ID_EDIT_FOCUS_TO
                                         : nId == IDC_ME_CC      ? ID_EDIT_FOCUS_CC
                                         : nId == IDC_ME_BCC     ? ID_EDIT_FOCUS_BCC
                                                                 : ID_EDIT_FOCUS_SUBJECT,
                     0);
    return WaitFor(10000, [&] {
        GUITHREADINFO info = {sizeof(info)};
        return GetForegroundWindow() == editor &&
               GetGUIThreadInfo(GetWindowThreadProcessId(editor, nullptr), &info) && info.hwndFocus == field;
    });
}

bool CEditorSession::FocusBody(HWND editor)
{
    return FocusField(editor, IDC_ME_BODY);
}

void CEditorSession::PressKey(std::initializer_list<BYTE> modifiers, BYTE key)
{
    for (BYTE m : modifiers)
        keybd_event(m, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    for (auto m = modifiers.end(); m != modifiers.begin();)
        keybd_event(*--m, 0, KEYEVENTF_KEYUP, 0);
}

LRESULT CEditorSession::InputMethodState(HWND editor)
{
    static const UINT message = RegisterWindowMessageA(CVM_INPUT_METHOD_STATE_MESSAGE);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(editor, message, 0, 0, SMTO_ABORTIFHUNG, 10000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

std::string CEditorSession::Windows() const
{
    return VisibleWindows(m_program.ProcessId());
}

std::vector<std::string> CEditorSession::StoredMails(int nKind) const
{
    return StoredMailTexts(MailBox(), nKind);
}

HWND CEditorSession::ShowFolder(HWND main, const char* pszTreeText, int nRows)
{
    HWND tree = FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = FindDescendant(main, "SysListView32");
    if (!tree || !list)
        return nullptr;
    // Right after start-up the window shows its folder afresh once, which
    // would drop a selection made before.
    Sleep(1500);
    // Another folder first, so that the list is read afresh.
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindTreeItem(tree, "ごみ箱")));
    Sleep(300);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindTreeItem(tree, pszTreeText)));
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000 && ListItemCount(list) != nRows)
        Sleep(100);
    Sleep(500);
    return ListItemCount(list) == nRows ? list : nullptr;
}

void CEditorSession::OpenSelected(HWND list)
{
    SetFocus(list);
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
}

bool CEditorSession::OpenOnlyMail(HWND main, const char* pszTreeText)
{
    HWND list = ShowFolder(main, pszTreeText, 1);
    if (!list)
        return false;
    ListSelectItem(list, 0);
    OpenSelected(list);
    return true;
}

int CloseAfterSending(CProgramUnderTest& program, HWND main)
{
    CloseWhenTransfersEnd(program, main);
    if (HWND ask = program.WaitForMessageBox("編集中のメールがあります。", 3000))
        PressButton(ask, IDOK);
    return program.WaitForExit(CEditorSession::kStartTimeout);
}

bool CEditorSession::SmtpAnswers()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(587);
    addr.sin_addr.s_addr = inet_addr("127.0.0.3");
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    closesocket(s);
    return ok;
}

std::vector<std::string> CEditorSession::WaitForDelivered(const CString& maildir, size_t count, DWORD timeoutMs)
{
    std::vector<std::string> mails;
    DWORD start = GetTickCount();
    for (;;) {
        mails.clear();
        CString folder = maildir + "\\new";
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(folder + "\\*", &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                // Dovecot keeps the lines with LF alone.
                std::string raw = TestSupport::ReadFileBytes(folder + "\\" + fd.cFileName), crlf;
                for (char ch : raw) {
                    if (ch == '\n' && (crlf.empty() || crlf.back() != '\r'))
                        crlf += '\r';
                    crlf += ch;
                }
                mails.push_back(crlf);
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        if (mails.size() >= count || GetTickCount() - start > timeoutMs)
            return mails;
        Sleep(200);
    }
}

} // namespace E2e
