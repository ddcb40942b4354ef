// The program starts, hands a second start over to the running one, asks for
// the mailbox password, registers itself and ends in order.
#include "core/QuendalApp.h"
#include "e2e/E2eDriver.h"
#include "resources/resource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include <commctrl.h>
#include <prsht.h>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;

// Settings with a mailbox password whose check at start-up is off, so that
// no dialog stands between start and main window.
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

// Waits for the main window of one of the programs, confirming the mailbox
// folder dialog of a first start (it offers the /M mailbox) and cancelling
// the account set-up wizard of a mailbox without accounts on the way.
HWND WaitForMainWindow(std::initializer_list<CProgramUnderTest*> programs, DWORD timeoutMs = kStartTimeout)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        for (CProgramUnderTest* p : programs) {
            if (HWND main = p->StepToMainWindow())
                return main;
        }
        Sleep(100);
    }
    return nullptr;
}

class ProgramTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    CString Arguments(const char* extra = "") const
    {
        return "/INI \"/M:" + MailBox() + "\" " + extra;
    }
    void PresetSettings() { TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni); }
    CString IniPath() const { return m_dir.File("CVM.ini"); }

    // Starts, waits for the main window, closes it and waits for the end.
    void RunOnce(CProgramUnderTest& program)
    {
        ASSERT_TRUE(program.Start(Arguments()));
        HWND main = WaitForMainWindow({&program});
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    }

    TestSupport::TempDir m_dir;
};

int CountMainWindows()
{
    int count = 0;
    for (HWND h = FindWindowA("CVMWndClass", nullptr); h; h = FindWindowExA(nullptr, h, "CVMWndClass", nullptr))
        ++count;
    return count;
}

CString ReadRegString(HKEY root, const char* key, const char* value)
{
    char buf[1024] = {};
    DWORD size = sizeof(buf);
    if (RegGetValueA(root, key, value, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buf, &size) !=
        ERROR_SUCCESS)
        return CString("<missing>");
    return CString(buf);
}

} // namespace

TEST_F(ProgramTest, FirstStartSetsPasswordCreatesMailboxAndShowsMainWindow)
{
    {
        CProgramUnderTest program(m_dir.Path());
        ASSERT_TRUE(program.Start(Arguments()));
        HWND dlg = program.WaitForDialogWithControl(IDC_PASSWORD_CONFIRM, kStartTimeout);
        ASSERT_NE(dlg, nullptr) << "start-up password setting dialog";
        E2e::SetControlText(dlg, IDC_PASSWORD, "secret");
        E2e::SetControlText(dlg, IDC_PASSWORD_CONFIRM, "secret");
        E2e::PressButton(dlg, IDOK);
        // The mailbox folder dialog offers the mailbox of the /M switch.
        HWND box = program.WaitForDialogWithControl(IDC_MAILBOX_NAME, kStartTimeout);
        ASSERT_NE(box, nullptr) << "mailbox folder dialog";
        EXPECT_EQ(E2e::GetControlText(box, IDC_MAILBOX_PATH), m_dir.Path());
        EXPECT_EQ(E2e::GetControlText(box, IDC_MAILBOX_NAME), CString("MailBox"));
        E2e::PressButton(box, IDOK);
        HWND main = WaitForMainWindow({&program});
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(E2e::GetWindowTextOf(main), CString("Corvane Mail"));
        EXPECT_TRUE(TestSupport::FileExists(MailBox() + "\\Folder.dat"));
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
    std::string ini = TestSupport::ReadFileBytes(IniPath());
    EXPECT_NE(ini.find("MailBoxPassword="), std::string::npos);
    EXPECT_NE(ini.find("StartupCheckPassword=dword:1"), std::string::npos);
    EXPECT_EQ(ini.find("secret"), std::string::npos) << "the password is stored scrambled";

    // A wrong password is refused and leaves the prompt open; cancelling it ends start-up.
    {
        CProgramUnderTest program(m_dir.Path());
        ASSERT_TRUE(program.Start(Arguments()));
        HWND prompt = program.WaitForDialogWithControl(IDC_SAVE_PASSWORD, kStartTimeout);
        ASSERT_NE(prompt, nullptr) << "password prompt";
        E2e::SetControlText(prompt, IDC_PASSWORD, "wrong");
        E2e::PressButton(prompt, IDOK);
        HWND box = program.WaitForMessageBox("パスワードが違います", 20000);
        ASSERT_NE(box, nullptr);
        E2e::PressButton(box, IDOK);
        Sleep(500);
        EXPECT_TRUE(IsWindow(prompt));
        EXPECT_EQ(E2e::GetControlText(prompt, IDC_PASSWORD), CString(""));
        E2e::PressButton(prompt, IDCANCEL);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
        EXPECT_EQ(CountMainWindows(), 0);
    }
    // The right one proceeds.
    {
        CProgramUnderTest program(m_dir.Path());
        ASSERT_TRUE(program.Start(Arguments()));
        HWND prompt = program.WaitForDialogWithControl(IDC_SAVE_PASSWORD, kStartTimeout);
        ASSERT_NE(prompt, nullptr);
        E2e::SetControlText(prompt, IDC_PASSWORD, "secret");
        E2e::PressButton(prompt, IDOK);
        HWND main = WaitForMainWindow({&program});
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
}

TEST_F(ProgramTest, SecondStartHandsItsCommandLineOverAndEnds)
{
    PresetSettings();
    CProgramUnderTest first(m_dir.Path());
    ASSERT_TRUE(first.Start(Arguments()));
    HWND main = WaitForMainWindow({&first});
    ASSERT_NE(main, nullptr);

    TestSupport::TempDir other;
    CProgramUnderTest second(other.Path());
    ASSERT_TRUE(second.Start("mailto:someone@example.com?subject=hello"));
    // Exit code 0: the running program took the request from the hand-over block.
    EXPECT_EQ(second.WaitForExit(30000), 0);

    CProgramUnderTest third(other.Path());
    ASSERT_TRUE(third.Start(""));
    EXPECT_EQ(third.WaitForExit(30000), 0);

    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(CountMainWindows(), 1);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(kStartTimeout), 0);
}

TEST_F(ProgramTest, TwoSimultaneousStartsLeaveOneInstance)
{
    PresetSettings();
    CProgramUnderTest a(m_dir.Path());
    CProgramUnderTest b(m_dir.Path());
    ASSERT_TRUE(a.Start(Arguments()));
    ASSERT_TRUE(b.Start(Arguments()));
    HWND main = WaitForMainWindow({&a, &b});
    ASSERT_NE(main, nullptr);
    CProgramUnderTest& loser = a.WaitForWindow("CVMWndClass", nullptr, 0) ? b : a;
    EXPECT_EQ(loser.WaitForExit(30000), 0);
    EXPECT_EQ(CountMainWindows(), 1);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ((&loser == &a ? b : a).WaitForExit(kStartTimeout), 0);
}

TEST_F(ProgramTest, SettingsFileWrittenAtExitReloadsIdentically)
{
    PresetSettings();
    {
        CProgramUnderTest program(m_dir.Path());
        RunOnce(program);
    }
    std::string first = TestSupport::ReadFileBytes(IniPath());
    EXPECT_NE(first.find("[Paths]"), std::string::npos);
    {
        CProgramUnderTest program(m_dir.Path());
        RunOnce(program);
    }
    EXPECT_EQ(TestSupport::ReadFileBytes(IniPath()), first);
}

TEST_F(ProgramTest, RegistersAsMailClientAndMailtoHandler)
{
    PresetSettings();
    CProgramUnderTest program(m_dir.Path());
    RunOnce(program);
    CString exe = m_dir.Path() + "\\CVMail.exe";
    const char* key = "Software\\Clients\\Mail\\CorvaneMail";
    // The default client names the key, where the system's mail stub looks for DllPath.
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", nullptr), CString("CorvaneMail"));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, nullptr), CString("CorvaneMail"));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, "DllPath"), m_dir.Path() + "\\QdMapi.dll");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail\\CorvaneMail\\Protocols\\mailto", nullptr),
              CString("URL:MailTo Protocol"));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE,
                            "Software\\Clients\\Mail\\CorvaneMail\\Protocols\\mailto\\shell\\open\\command", nullptr),
              "\"" + exe + "\" %1");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail\\CorvaneMail\\Capabilities\\URLAssociations",
                            "mailto"),
              CString("CorvaneMail.Url.mailto"));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\RegisteredApplications", "CorvaneMail"),
              CString("Software\\Clients\\Mail\\CorvaneMail\\Capabilities"));
    EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, "CorvaneMail.Url.Mailto\\shell\\open\\command", nullptr),
              "\"" + exe + "\" %1");
}

namespace {

// Polls until the window is hidden or gone; the tick count at that moment.
DWORD WaitWindowGone(HWND hWnd, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(hWnd) && IsWindowVisible(hWnd) && GetTickCount() - start < timeoutMs)
        Sleep(10);
    return GetTickCount();
}

} // namespace

TEST_F(ProgramTest, ClosingAnIdleProgramEndsWithinASecondOfItsWindowGoing)
{
    PresetSettings();
    CProgramUnderTest program(m_dir.Path());
    ASSERT_TRUE(program.Start(Arguments()));
    HWND main = WaitForMainWindow({&program});
    ASSERT_NE(main, nullptr);
    Sleep(1000);  // idle
    PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD gone = WaitWindowGone(main, kStartTimeout);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    DWORD ending = GetTickCount() - gone;
    EXPECT_LT(ending, 1000u) << "ms from the window going to the end of the process";
}

TEST_F(ProgramTest, StartMeetingAnEndingInstanceWaitsForItAndThenStartsItself)
{
    PresetSettings();
    // This test plays the instance that is ending: it holds the program's
    // mutex and its ending mark, and has no window to hand anything to.
    HANDLE hMutex = CreateMutexA(nullptr, TRUE, CQuendalApp::kInstanceMutexName);
    ASSERT_NE(hMutex, nullptr);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another instance runs";
    HANDLE hEnding = CreateEventA(nullptr, TRUE, TRUE, CQuendalApp::kInstanceEndingName);
    ASSERT_NE(hEnding, nullptr);

    CProgramUnderTest program(m_dir.Path());
    ASSERT_TRUE(program.Start(Arguments()));
    EXPECT_EQ(program.WaitForExit(3000), -1) << "it waits instead of ending";
    EXPECT_EQ(CountMainWindows(), 0);

    ReleaseMutex(hMutex);
    CloseHandle(hMutex);
    CloseHandle(hEnding);
    HWND main = WaitForMainWindow({&program});
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}

TEST_F(ProgramTest, StartRightAfterClosingShowsItsOwnWindow)
{
    PresetSettings();
    CProgramUnderTest first(m_dir.Path());
    ASSERT_TRUE(first.Start(Arguments()));
    HWND main = WaitForMainWindow({&first});
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_CLOSE, 0, 0);
    CProgramUnderTest second(m_dir.Path());
    ASSERT_TRUE(second.Start(Arguments()));
    EXPECT_EQ(first.WaitForExit(kStartTimeout), 0);
    HWND secondMain = WaitForMainWindow({&second});
    ASSERT_NE(secondMain, nullptr) << "the second start must not end with nothing shown";
    PostMessageA(secondMain, WM_CLOSE, 0, 0);
    EXPECT_EQ(second.WaitForExit(kStartTimeout), 0);
}
