// The main window's import, settings and layout commands as a user meets
// them: mail files and an mbox file land in the shown folder, the settings
// go out to a file and back with nothing lost, the panes are toggled and
// maximised, a stored layout comes back after a restart, and the mail
// bridge's greeting gets one empty answer.
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "resources/import/ImportResource.h"
#include "resources/rules/RulesResource.h"
#include "store/FolderRecord.h"

#include <commctrl.h>

using MaintE2e::kTimeout;

namespace {

const int kFileNameCombo = 1148;  // cmb13
const int kFileNameEdit = 1152;   // edt1

class ImportLayoutTest : public MaintE2e::CMailBoxTest
{
protected:
    // Types a path into the program's open or save dialog and confirms it.
    void ChooseFile(const CString& path)
    {
        HWND dlg = nullptr;
        for (int i = 0; i < 600 && !dlg; ++i) {
            dlg = m_program.WaitForDialogWithControl(kFileNameEdit, 0);
            if (!dlg)
                dlg = m_program.WaitForDialogWithControl(kFileNameCombo, 0);
            if (!dlg)
                Sleep(100);
        }
        ASSERT_NE(dlg, nullptr);
        int id = GetDlgItem(dlg, kFileNameEdit) ? kFileNameEdit : kFileNameCombo;
        E2e::SetControlText(dlg, id, path);
        E2e::PressButton(dlg, IDOK);
        ASSERT_TRUE(WaitGone(dlg));
    }
    void Import(HWND main, int type, const CString& path)
    {
        PostMessageA(main, WM_COMMAND, ID_FILE_IMPORT_MAIL, 0);
        HWND choice = m_program.WaitForDialogWithControl(IDC_TYPE_EML, kTimeout);
        ASSERT_NE(choice, nullptr);
        SendMessageA(GetDlgItem(choice, type), BM_CLICK, 0, 0);
        E2e::PressButton(choice, IDOK);
        ASSERT_TRUE(WaitGone(choice));
        ChooseFile(path);
    }
    static bool WaitForFile(const CString& path)
    {
        for (int i = 0; i < 200 && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(50);
        Sleep(300);
        return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    }
    static int ListHeight(HWND main)
    {
        HWND list = E2e::FindDescendant(main, "SysListView32");
        RECT rc = {};
        if (!list || !IsWindowVisible(list))
            return -1;
        GetWindowRect(list, &rc);
        return rc.bottom - rc.top;
    }
    // Sends a command and waits until the list's height settles.
    static int AfterCommand(HWND main, UINT command)
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(main, WM_COMMAND, command, 0, SMTO_NORMAL, 10000, &result);
        Sleep(300);
        return ListHeight(main);
    }
};

// Records the answers the main window sends to it.
struct Answers
{
    int count = 0;
    std::string data;
    HWND from = nullptr;
};

LRESULT CALLBACK AnswerProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        auto* answers = reinterpret_cast<Answers*>(GetWindowLongPtrA(h, GWLP_USERDATA));
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        answers->count++;
        answers->from = reinterpret_cast<HWND>(wParam);
        answers->data.assign(static_cast<const char*>(cds->lpData), cds->cbData);
        return TRUE;
    }
    return DefWindowProcA(h, message, wParam, lParam);
}

} // namespace

TEST_F(ImportLayoutTest, MailFilesAndAnMboxAreImportedIntoTheShownFolder)
{
    MakeMailBox();
    TestSupport::WriteFileBytes(m_dir.File("one.eml"),
                                "From: a@example.jp\nSubject: 単体のメール\nMessage-ID: <e1@x>\n\n本文\n.\n終わり\n");
    TestSupport::WriteFileBytes(m_dir.File("box.mbx"),
                                "From a@example.jp Mon Jan  1 10:00:00 2024\n"
                                "From: a@example.jp\nSubject: mbox 1\nMessage-ID: <b1@x>\n\nfirst\n\n"
                                "From b@example.jp Mon Jan  1 11:00:00 2024\n"
                                "From: b@example.jp\nSubject: mbox 2\nMessage-ID: <b2@x>\n\nsecond\n");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    Import(main, IDC_TYPE_EML, m_dir.File("one.eml"));
    Import(main, IDC_TYPE_UNIX_FROM, m_dir.File("box.mbx"));
    // The list shows them once the folder is reloaded.
    HWND list = E2e::FindDescendant(main, "SysListView32");
    for (int i = 0; i < 100 && E2e::ListItemCount(list) < 3; ++i)
        Sleep(100);
    EXPECT_EQ(E2e::ListItemCount(list), 3);
    Close(main);
    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (std::multiset<std::string>{ "単体のメール", "mbox 1", "mbox 2" }));
}

TEST_F(ImportLayoutTest, SettingsGoToAFileAndBackWithNothingLost)
{
    MakeMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_FILE_REGISTRY_TO_INI, 0);
    ChooseFile(m_dir.File("out.ini"));
    ASSERT_TRUE(WaitForFile(m_dir.File("out.ini")));
    std::string first = TestSupport::ReadFileBytes(m_dir.File("out.ini"));
    EXPECT_NE(first.find("MailBoxPassword"), std::string::npos) << first;
    PostMessageA(main, WM_COMMAND, ID_FILE_INI_TO_REGISTRY, 0);
    ChooseFile(m_dir.File("out.ini"));
    Sleep(500);
    PostMessageA(main, WM_COMMAND, ID_FILE_REGISTRY_TO_INI, 0);
    ChooseFile(m_dir.File("again.ini"));
    ASSERT_TRUE(WaitForFile(m_dir.File("again.ini")));
    EXPECT_EQ(TestSupport::ReadFileBytes(m_dir.File("again.ini")), first);
    Close(main);
}

TEST_F(ImportLayoutTest, PanesToggleAndMaximiseAndAStoredLayoutComesBackAfterARestart)
{
    MakeMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 40, 30, 760, 560, SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(300);
    int normal = ListHeight(main);
    ASSERT_GT(normal, 0);
    int withoutView = AfterCommand(main, ID_VIEW_MAIL_VIEW);
    EXPECT_GT(withoutView, normal);
    EXPECT_EQ(AfterCommand(main, ID_VIEW_MAIL_VIEW), normal);
    // The mail view takes the whole column, then the list does; each comes back.
    EXPECT_LE(AfterCommand(main, ID_VIEW_MAXIMIZE_MAIL_VIEW), 0);
    EXPECT_EQ(AfterCommand(main, ID_VIEW_MAXIMIZE_MAIL_VIEW), normal);
    EXPECT_GT(AfterCommand(main, ID_VIEW_MAXIMIZE_LIST), normal);
    EXPECT_EQ(AfterCommand(main, ID_VIEW_MAXIMIZE_LIST), normal);

    AfterCommand(main, ID_VIEW_SAVE_LAYOUT);
    RECT stored = {};
    GetWindowRect(main, &stored);
    Close(main);

    main = Start();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 200, 180, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(300);
    AfterCommand(main, ID_VIEW_RESTORE_LAYOUT);
    RECT restored = {};
    GetWindowRect(main, &restored);
    EXPECT_EQ(restored.left, stored.left);
    EXPECT_EQ(restored.top, stored.top);
    EXPECT_EQ(restored.right - restored.left, stored.right - stored.left);
    EXPECT_EQ(restored.bottom - restored.top, stored.bottom - stored.top);
    EXPECT_EQ(ListHeight(main), normal);

    // The mail bridge's greeting: one empty answer, from the main window.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AnswerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MaintGreeter";
    RegisterClassA(&wc);
    HWND greeter = CreateWindowExA(0, "MaintGreeter", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    Answers answers;
    SetWindowLongPtrA(greeter, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answers));
    static const char kGreeting[] = "Corvane Mail MAPI Connection!";
    COPYDATASTRUCT cds = { 0, sizeof(kGreeting), const_cast<char*>(kGreeting) };
    SendMessageA(main, WM_COPYDATA, reinterpret_cast<WPARAM>(greeter), reinterpret_cast<LPARAM>(&cds));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(answers.count, 1);
    EXPECT_EQ(answers.data, std::string(1, '\0'));
    EXPECT_EQ(answers.from, main);
    DestroyWindow(greeter);
    UnregisterClassA("MaintGreeter", wc.hInstance);

    // The mail view's HTML display is switched on and kept in the settings.
    AfterCommand(main, ID_VIEW_HTML_MAIL);
    Close(main);
    std::string ini = TestSupport::ReadFileBytes(m_dir.File("CVM.ini"));
    size_t at = ini.find("HTMLMail=dword:");
    ASSERT_NE(at, std::string::npos) << ini;
    EXPECT_EQ(strtol(ini.c_str() + at + strlen("HTMLMail=dword:"), nullptr, 16), 1);
}

TEST_F(ImportLayoutTest, SortCommandsOrderTheListAndTheSameOneAgainTurnsItRound)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "b 二番", "c 三番", "a 一番" });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    for (int i = 0; i < 100 && E2e::ListItemCount(list) < 3; ++i)
        Sleep(100);
    ASSERT_EQ(E2e::ListItemCount(list), 3);
    auto rows = [list] {
        std::vector<std::string> out;
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            out.push_back(E2e::ListItemText(list, r, 1).Str());
        return out;
    };
    AfterCommand(main, ID_SORT_SUBJECT);
    std::vector<std::string> first = rows();
    std::vector<std::string> ascending = { "a 一番", "b 二番", "c 三番" };
    std::vector<std::string> descending = { "c 三番", "b 二番", "a 一番" };
    EXPECT_TRUE(first == ascending || first == descending);
    AfterCommand(main, ID_SORT_SUBJECT);
    EXPECT_EQ(rows(), first == ascending ? descending : ascending);
    Close(main);
}

TEST_F(ImportLayoutTest, SettingsDialogsOpenOverTheMainWindow)
{
    MakeMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    struct Case
    {
        UINT command;
        int control;
        const char* caption;
    };
    const Case cases[] = {
        { ID_TOOLS_START_PASSWORD, 0, "起動パスワードの設定" },
        { ID_TOOLS_FILTER_SETTINGS, IDC_DIVIDEUP_LIST, nullptr },
    };
    for (const Case& c : cases) {
        PostMessageA(main, WM_COMMAND, c.command, 0);
        HWND dlg = c.control ? m_program.WaitForDialogWithControl(c.control, kTimeout)
                             : m_program.WaitForWindow("#32770", c.caption, kTimeout);
        ASSERT_NE(dlg, nullptr) << c.command;
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitGone(dlg)) << c.command;
    }
    Close(main);
}
