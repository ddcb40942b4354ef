// Other programs reaching the running client: a plug-in module loaded from
// the folder "PlugIn", a second start with a mailto text, a forged hand-over
// block, and another application sending a mail by Simple MAPI.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "e2e/EditorSession.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "plugin/MapiRequestFile.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/tasklist/TasklistResource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <prsht.h>
#include <cstring>
#include <mapi.h>

#include <cstring>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

CString BuildFile(const char* unixPath)
{
    return E2e::WinPath(unixPath);
}

HWND WaitForMain(CProgramUnderTest& program)
{
    return program.WaitForMainWindow(kStartTimeout);
}

struct ChildSearch
{
    int id;
    HWND found;
};

BOOL CALLBACK FindById(HWND h, LPARAM p)
{
    auto* s = reinterpret_cast<ChildSearch*>(p);
    if (GetDlgCtrlID(h) == s->id) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

CString FieldText(HWND hEditor, int id)
{
    ChildSearch s = { id, nullptr };
    EnumChildWindows(hEditor, FindById, reinterpret_cast<LPARAM>(&s));
    if (!s.found)
        return "<no field>";
    int n = static_cast<int>(SendMessageA(s.found, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<size_t>(n) + 1, '\0');
    SendMessageA(s.found, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(&text[0]));
    return CString(text.c_str());
}

struct EditorList
{
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK ListEditors(HWND h, LPARAM p)
{
    auto* c = reinterpret_cast<EditorList*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof(cls));
    if (pid == c->pid && IsWindowVisible(h) && strcmp(cls, "CVMEditWndClass") == 0)
        c->windows.push_back(h);
    return TRUE;
}

std::vector<HWND> Editors(DWORD pid)
{
    EditorList c = { pid, {} };
    EnumWindows(ListEditors, reinterpret_cast<LPARAM>(&c));
    return c.windows;
}

std::vector<HWND> Editors(const CProgramUnderTest& program)
{
    return Editors(program.ProcessId());
}

std::string TopWindows(DWORD pid)
{
    std::pair<DWORD, std::string> ctx{ pid, "" };
    EnumWindows([](HWND h, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<std::pair<DWORD, std::string>*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == c->first && IsWindowVisible(h)) {
            char cls[64] = {}, title[256] = {};
            GetClassNameA(h, cls, sizeof(cls));
            GetWindowTextA(h, title, sizeof(title));
            c->second += std::string(cls) + " \"" + title + "\"";
            if (HWND text = GetDlgItem(h, 0xFFFF))
                c->second += " " + std::string(E2e::GetWindowTextOf(text).GetString());
            c->second += "\n";
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&ctx));
    return ctx.second;
}

bool WaitForEditors(const CProgramUnderTest& program, int count)
{
    struct Ctx
    {
        const CProgramUnderTest* p;
        int n;
    } ctx{ &program, count };
    return E2e::WaitUntil(30000, [](void* v) {
        auto* c = static_cast<Ctx*>(v);
        return static_cast<int>(Editors(*c->p).size()) == c->n;
    }, &ctx);
}

bool LogHas(const CString& path, const char* line)
{
    return TestSupport::ReadFileBytes(path).find(line) != std::string::npos;
}

bool WaitForLog(const CString& path, const char* line)
{
    struct Ctx
    {
        const CString* path;
        const char* line;
    } ctx{ &path, line };
    return E2e::WaitUntil(20000, [](void* v) {
        auto* c = static_cast<Ctx*>(v);
        return LogHas(*c->path, c->line);
    }, &ctx);
}

// Names the library beside the program as the default mail client's.
void RegisterLibrary(const CString& libraryPath)
{
    HKEY mail = nullptr, client = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mail,
                    nullptr);
    RegSetValueExA(mail, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("CorvaneMail"), 12);
    RegCreateKeyExA(mail, "CorvaneMail", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &client, nullptr);
    RegSetValueExA(client, "DllPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(libraryPath.GetString()),
                   static_cast<DWORD>(libraryPath.GetLength() + 1));
    RegCloseKey(client);
    RegCloseKey(mail);
}

// A mailbox with one account beside a copy of the program, the test
// plug-ins in its folder "PlugIn" and the Simple MAPI library.
void PrepareProgramFolder(const TestSupport::TempDir& dir, const CString& args)
{
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    {
        CProgramUnderTest first(dir.Path());
        ASSERT_TRUE(first.Start(args));
        HWND main = WaitForMain(first);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(first.WaitForExit(kStartTimeout), 0);
    }
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("試験");
        a->SetMailAddress("cvmtest@cvm.test");
        ASSERT_TRUE(accounts.WriteToFile());
    }
    CreateDirectoryA(dir.File("PlugIn"), nullptr);
    for (const char* kind : { "Accepting", "Refusing" })
        CopyFileA(BuildFile(CVM_E2E_PLUGINS) + "\\" + kind + "PlugIn.dll", dir.File("PlugIn\\") + kind + "PlugIn.dll",
                  FALSE);
    CopyFileA(BuildFile(CVM_E2E_QDMAPI), dir.File("QdMapi.dll"), FALSE);
}

} // namespace

TEST(HandOver, PlugInsSecondStartsForgedBlocksAndSimpleMapiReachTheRunningProgram)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    CString args = "/INI \"/M:" + mailbox + "\"";
    PrepareProgramFolder(dir, args);
    if (HasFatalFailure())
        return;
    CString events = dir.File("PlugIn\\PlugInEvents.log");

    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start(args));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);

    // The accepted plug-in is initialised and its command runs on a worker.
    ASSERT_TRUE(WaitForLog(events, "init\n"));
    EXPECT_EQ(TestSupport::ReadFileBytes(events).find("init\n"), TestSupport::ReadFileBytes(events).rfind("init\n"));
    PostMessageA(main, WM_COMMAND, 40000, 0);
    EXPECT_TRUE(WaitForLog(events, "command on another thread\n"));
    // The end of a receive pass with three new mails, then the end of the
    // receive job: the plug-in hears both with the main window and the count.
    PostMessageA(main, 1355, 3, 0);
    PostMessageA(main, 1440, 0, 0);
    EXPECT_TRUE(WaitForLog(events, "download 1 3\nnotify 1 3\n"));

    // A second start hands its mailto text over and ends; one editor opens.
    {
        TestSupport::TempDir other;
        CProgramUnderTest second(other.Path());
        ASSERT_TRUE(second.Start("mailto:someone@example.com?subject=hello"));
        EXPECT_EQ(second.WaitForExit(30000), 0);
    }
    ASSERT_TRUE(WaitForEditors(program, 1));
    HWND editor = Editors(program).front();
    EXPECT_EQ(FieldText(editor, IDC_ME_TO), "someone@example.com");
    EXPECT_EQ(FieldText(editor, IDC_ME_SUBJECT), "hello");

    // A forged block: a queued size far beyond the block. Dropped; the program serves on.
    {
        HANDLE h = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "QD_MEMORY_MAP_DATA");
        ASSERT_NE(h, nullptr);
        DWORD* p = static_cast<DWORD*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        ASSERT_NE(p, nullptr);
        p[0] = 0xFFFFFF00;
        UnmapViewOfFile(p);
        CloseHandle(h);
        PostMessageA(main, 1494, 0, 0);
        DWORD_PTR result = 0;
        EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
        Sleep(500);
        EXPECT_TRUE(program.IsRunning());
        EXPECT_EQ(Editors(program).size(), 1u);
    }

    // Another application sends a mail through the system's Simple MAPI stub.
    RegisterLibrary(dir.File("QdMapi.dll"));
    HMODULE stub = LoadLibraryA("mapi32.dll");
    ASSERT_NE(stub, nullptr);
    auto send = reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(stub, "MAPISendMail")));
    ASSERT_NE(send, nullptr);
    TestSupport::WriteFileBytes(dir.File("見積.txt"), "見積");
    TestSupport::WriteFileBytes(dir.File("表.csv"), "a,b");
    CString f1 = dir.File("見積.txt"), f2 = dir.File("表.csv");
    MapiRecipDesc recips[] = {
        { 0, MAPI_TO, const_cast<char*>("山田 太郎"), const_cast<char*>("SMTP:yamada@example.jp"), 0, nullptr },
        { 0, MAPI_TO, nullptr, const_cast<char*>("plain@example.jp"), 0, nullptr },
        { 0, MAPI_CC, nullptr, const_cast<char*>("cc@example.jp"), 0, nullptr },
        { 0, MAPI_BCC, nullptr, const_cast<char*>("SMTP:bcc@example.jp"), 0, nullptr },
    };
    MapiFileDesc files[] = {
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(f1.GetString()), nullptr, nullptr },
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(f2.GetString()), nullptr, nullptr },
    };
    MapiMessage message = { 0, const_cast<char*>("お見積り&tempattach=C:\\x"), const_cast<char*>("本文です。"),
                            nullptr, nullptr, nullptr, 0, nullptr, 4, recips, 2, files };
    EXPECT_EQ(send(0, 0, &message, 0, 0), static_cast<ULONG>(SUCCESS_SUCCESS));
    ASSERT_TRUE(WaitForEditors(program, 2));
    HWND mapiEditor = nullptr;
    for (HWND h : Editors(program))
        if (h != editor)
            mapiEditor = h;
    ASSERT_NE(mapiEditor, nullptr);
    EXPECT_EQ(FieldText(mapiEditor, IDC_ME_TO), "山田 太郎 <yamada@example.jp>,plain@example.jp,");
    EXPECT_EQ(FieldText(mapiEditor, IDC_ME_CC), "cc@example.jp,");
    EXPECT_EQ(FieldText(mapiEditor, IDC_ME_BCC), "bcc@example.jp,");
    EXPECT_EQ(FieldText(mapiEditor, IDC_ME_SUBJECT), "お見積り&tempattach=C:\\x");
    EXPECT_NE(FieldText(mapiEditor, IDC_ME_BODY).Find("本文です。"), -1);

    // Closing while mails are being edited asks first. Answered with
    // Cancel, the program goes on, and its plug-ins were not told it ends.
    PostMessageA(main, WM_CLOSE, 0, 0);
    HWND question = program.WaitForDialogWithControl(IDCANCEL, 20000);
    ASSERT_NE(question, nullptr);
    E2e::PressButton(question, IDCANCEL);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, question));
    DWORD_PTR answered = 0;
    EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answered), 0);
    EXPECT_TRUE(program.IsRunning());
    EXPECT_FALSE(LogHas(events, "close\n"));

    // The editors go first, their contents discarded.
    for (HWND h : Editors(program)) {
        PostMessageA(h, WM_CLOSE, 0, 0);
        if (HWND confirm = program.WaitForDialogWithControl(IDC_SC_DISCARD, 5000))
            E2e::PressButton(confirm, IDC_SC_DISCARD);
    }
    EXPECT_TRUE(WaitForEditors(program, 0));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    EXPECT_TRUE(LogHas(events, "close\n"));
    EXPECT_TRUE(LogHas(events, "unload\n"));
    // The refused module was never initialised: one "init" only.
    std::string log = TestSupport::ReadFileBytes(events);
    EXPECT_EQ(log.find("init\n"), log.rfind("init\n"));

    // With the program ended, a send starts it from beside the library, and
    // the started program takes the queued request.
    ASSERT_EQ(FindWindowA("CVMWndClass", nullptr), nullptr);
    // Started without switches, the program finds its mailbox in its settings.
    {
        std::string ini = TestSupport::ReadFileBytes(dir.File("CVM.ini"));
        ini += "[Paths]\r\nMailBoxPath=\"" + std::string(dir.Path().GetString()) +
               "\"\r\nMailBoxName=\"MailBox\"\r\n\r\n";
        TestSupport::WriteFileBytes(dir.File("CVM.ini"), ini);
    }
    MapiRecipDesc to = { 0, MAPI_TO, nullptr, const_cast<char*>("late@example.jp"), 0, nullptr };
    MapiMessage late = { 0, const_cast<char*>("起動から"), const_cast<char*>("本文"), nullptr, nullptr, nullptr,
                            0, nullptr, 1, &to, 0, nullptr };
    // The library starts the program beside it, which takes the queued
    // request; the send waits for that, so it runs beside this thread, which
    // confirms the mailbox folder the started program may ask for.
    std::atomic<ULONG> sent{ 0xFFFFFFFF };
    std::thread sender([&] { sent = send(0, 0, &late, 0, 0); });
    main = nullptr;
    DWORD start = GetTickCount();
    while (!main && GetTickCount() - start < kStartTimeout) {
        main = FindWindowA("CVMWndClass", nullptr);
        EnumWindows([](HWND h, LPARAM) -> BOOL {
            if (GetDlgItem(h, IDC_MAILBOX_NAME) && IsWindowVisible(h))
                PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            // A mailbox without accounts offers the account set-up wizard.
            char caption[64] = {};
            GetWindowTextA(h, caption, sizeof caption);
            if (IsWindowVisible(h) && strstr(caption, "アカウントの作成"))
                PostMessageA(h, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            return TRUE;
        }, 0);
        Sleep(200);
    }
    if (!main) {
        // Whatever the started program shows, it must not outlive the test.
        sender.join();
        ADD_FAILURE() << "the started program shows no main window";
        return;
    }
    sender.join();
    EXPECT_EQ(sent.load(), static_cast<ULONG>(SUCCESS_SUCCESS));
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    struct Ctx
    {
        DWORD pid;
    } ctx{ pid };
    EXPECT_TRUE(E2e::WaitUntil(30000, [](void* v) { return Editors(static_cast<Ctx*>(v)->pid).size() == 1; }, &ctx))
        << TopWindows(pid);
    std::vector<HWND> editors = Editors(pid);
    if (editors.size() == 1) {
        EXPECT_EQ(FieldText(editors[0], IDC_ME_TO), "late@example.jp,");
        EXPECT_EQ(FieldText(editors[0], IDC_ME_SUBJECT), "起動から");
        PostMessageA(editors[0], WM_CLOSE, 0, 0);
        Sleep(1000);
        // A discard question, when the editor asks one.
        EnumWindows([](HWND h, LPARAM p) -> BOOL {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == static_cast<DWORD>(p) && GetDlgItem(h, IDC_SC_DISCARD))
                PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_SC_DISCARD, BN_CLICKED), 0);
            return TRUE;
        }, static_cast<LPARAM>(pid));
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (process) {
        if (WaitForSingleObject(process, kStartTimeout) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the started program did not end";
            TerminateProcess(process, 1);
        }
        CloseHandle(process);
    }
    FreeLibrary(stub);
    // The stub may keep its provider loaded; the library beside the program
    // must go, or the test's folder could not be removed.
    while (HMODULE library = GetModuleHandleA("QdMapi.dll"))
        if (!FreeLibrary(library))
            break;
}

namespace {

// The program's message-only windows of a class.
std::vector<HWND> MessageWindowsOf(DWORD process, const char* pszClass)
{
    std::vector<HWND> found;
    for (HWND h = FindWindowExA(HWND_MESSAGE, nullptr, pszClass, nullptr); h;
         h = FindWindowExA(HWND_MESSAGE, h, pszClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == process)
            found.push_back(h);
    }
    return found;
}

} // namespace

// Any program on the desktop can post the numbers whose parameter stands
// for an object or names a mail to the main window or to its thread, and
// send them to the windows that serve them, with values of its own making:
// the program goes on, an open editor keeps its text, and the stored mail
// is neither deleted, sent, nor answered with a read receipt.
TEST(HandOver, ObjectMessagesForgedByAnotherProgramChangeNothing)
{
    TestSupport::TempDir dir;
    E2e::CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(132));
    HWND main = session.Start();
    ASSERT_NE(main, nullptr);
    session.Close(main);
    ASSERT_TRUE(session.AddStoredMail(CFolderRecord::kindInbox,
                                      "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: 残す\r\n"
                                      "Disposition-Notification-To: a@example.jp\r\n"
                                      "Message-ID: <forged@example.jp>\r\n\r\n本文\r\n"));
    const int inbox = E2e::MailBoxFolderOfKind(session.MailBox(), CFolderRecord::kindInbox).m_nId;
    HWND editor = session.StartWithNewEditor(main);
    ASSERT_NE(editor, nullptr) << session.Windows();
    HWND view = E2e::CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_BODY, "書きかけの本文");

    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(main, &process);
    const LPARAM forged[] = { 1, 0x7FF0DEAD, static_cast<LPARAM>(0x00007FFF12340000ull) };
    for (UINT n : { 1344u, 1345u, 1375u, 1376u, 1389u, 1399u, 1400u, 1401u, 1402u, 1439u, 1495u, 1496u, 1497u }) {
        for (LPARAM lParam : forged) {
            for (WPARAM wParam : { 0u, 1u }) {
                PostMessageA(main, n, wParam, lParam);
                PostThreadMessageA(thread, n, wParam, lParam);
            }
        }
    }
    // The stored mail named as the numbers that name a mail once carried it
    // (wParam the folder, lParam the index): delete it, send a receipt.
    for (UINT n : { 1389u, 1439u }) {
        PostMessageA(main, n, static_cast<WPARAM>(inbox), 0);
        PostThreadMessageA(thread, n, static_cast<WPARAM>(inbox), 0);
    }
    // And the folder to send as the plug-ins' send call once carried it.
    for (WPARAM keepNoCopy : { 0u, 1u }) {
        PostMessageA(main, 1402, keepNoCopy, static_cast<LPARAM>(inbox));
        PostThreadMessageA(thread, 1402, keepNoCopy, static_cast<LPARAM>(inbox));
    }
    // Sent as the program's own threads send them: to the window that runs
    // the plug-ins' calls, to the main list (a viewer's move), to the relay
    // of the transfer workers (start of a progress, receive of a named
    // account) and to an address field (addresses dropped from the book).
    struct Sent
    {
        std::vector<HWND> windows;
        UINT message;
    };
    HWND calls = FindWindowExA(HWND_MESSAGE, nullptr, "CVMAppThreadCall", nullptr);
    ASSERT_NE(calls, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    const std::vector<HWND> relays = MessageWindowsOf(process, "Static");
    ASSERT_FALSE(relays.empty());
    const Sent sent[] = {
        { { calls }, WM_APP + 0x341 },
        { { list }, 1344 },
        { { list }, 1345 },
        { relays, WM_APP + 0x301 },
        { relays, WM_APP + 0x305 },
        { { GetDlgItem(view, IDC_ME_TO) }, RegisterWindowMessageA("CVMailAddressDrop") },
    };
    for (const Sent& s : sent) {
        for (HWND window : s.windows) {
            ASSERT_NE(window, nullptr) << s.message;
            for (LPARAM lParam : forged) {
                DWORD_PTR result = 0;
                SendMessageTimeoutA(window, s.message, 0, lParam, SMTO_ABORTIFHUNG, 10000, &result);
            }
        }
    }
    // Posted messages are served in turn: once the task list posted last
    // shows, every forged one was served.
    PostThreadMessageA(thread, 1476, 0, 0);
    HWND tasks = session.Program().WaitForDialogWithControl(IDC_TASK_LIST, 20000);
    ASSERT_NE(tasks, nullptr) << session.Windows();
    EXPECT_TRUE(session.Program().IsRunning());
    EXPECT_EQ(session.Editors().size(), 1u) << session.Windows();
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_BODY).Find("書きかけの本文"), 0);
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_TO), "");
    EXPECT_EQ(session.StoredMails(CFolderRecord::kindInbox).size(), 1u);

    PostMessageA(tasks, WM_CLOSE, 0, 0);
    EXPECT_TRUE(session.DiscardEditor(editor));
    session.Close(main);
}
