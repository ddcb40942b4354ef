// A receive as the main window shows it: the notification area alternates
// the transfer icon while the receive runs, and Esc typed in the mail list
// ends the receive (after the question) and drops the mails cut to the
// clipboard.
#include "e2e/CommandCoverage.h"
#include "e2e/MaintFixture.h"
#include "e2e/StandInTray.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "net/FakePop3Server.h"
#include "resources/mainwnd/MainWndResource.h"

namespace {

using MaintE2e::kTimeout;

const UINT kIdleIcon = 190, kTransferIcon = 191;

class MainWindowTransfer : public MaintE2e::CMailBoxTest
{
protected:
    // One account on a server that takes the connection and never greets:
    // the receive runs until it is ended.
    void WriteSilentAccount(int nPort)
    {
        CAccountDataSet set;
        set.SetFilePath(MailBox() + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
        a->SetAccountName("沈黙");
        a->SetMailAddress("me@example.jp");
        a->SetReceiveServer("127.0.0.1");
        a->SetReceivePort(nPort);
        a->SetReceiveUser("me");
        a->SetPassword("secret");
        a->SetTimeout(120);
        ASSERT_TRUE(set.WriteToFile(FALSE));
    }
    static bool ClipboardHoldsMails()
    {
        return IsClipboardFormatAvailable(RegisterClipboardFormatA("CVMail Mail Object")) != FALSE;
    }
    // The status bar's word for the running transfer, while it shows.
    static bool ShowsTransferWord(HWND main)
    {
        HWND status = E2e::FindDescendant(main, "msctls_statusbar32");
        for (HWND h = FindWindowExA(status, nullptr, "Static", nullptr); h; h = FindWindowExA(status, h, "Static", nullptr))
            if (IsWindowVisible(h) && E2e::GetWindowTextOf(h) == "受信")
                return true;
        return false;
    }

    E2e::CProgramResources m_resources;
};

} // namespace

TEST_F(MainWindowTransfer, TheTrayShowsTheReceiveAndEscInTheListEndsItAndDropsTheCutMails)
{
    NetTest::FakePop3Options options;
    options.bSilentGreeting = true;
    NetTest::FakePop3Server server({}, options);
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, {"一通目", "二通目"});
    WriteSilentAccount(server.Port());
    HICON idle = m_resources.SmallIcon(kIdleIcon), transfer = m_resources.SmallIcon(kTransferIcon);
    ASSERT_TRUE(idle && transfer);

    HWND main = Start();
    ASSERT_NE(main, nullptr);
    E2e::CStandInTray tray;
    ASSERT_TRUE(tray.IsReady());
    tray.TakeOver(main);
    ASSERT_TRUE(WaitFor([&] { return tray.Shows(main, idle); })) << "the icon did not come to the stand-in";

    // A mail cut to the clipboard.
    HWND list = E2e::FindDescendant(main, "SysListView32");
    Select(list, "一通目");
    Command(main, ID_MAIL_CUT);
    ASSERT_TRUE(WaitFor(ClipboardHoldsMails));

    PostMessageA(main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
    EXPECT_TRUE(WaitFor([&] { return tray.HasShown(main, transfer); })) << "no transfer icon while receiving";
    ASSERT_TRUE(WaitFor([&] { return ShowsTransferWord(main); }));

    // Esc where the focus is, in the list: the question, then the end.
    PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(list, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    HWND ask = m_program.WaitForMessageBox("受信を中断してよろしいですか", 20000);
    ASSERT_NE(ask, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    EXPECT_FALSE(ClipboardHoldsMails()) << "the cut mails stay on the clipboard";
    E2e::PressButton(ask, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !ShowsTransferWord(main); }, 30000)) << "the receive did not end";
    // The transfer blinking stops on the idle icon.
    EXPECT_TRUE(WaitFor([&] { return tray.Shows(main, idle); })) << "the tray did not go back to idle";
    Close(main);
}
