// How the main window's mail list draws and words its rows: a mail in
// another language in its charset's language font, and the date columns (and
// a viewer's date line) in the date and time formats chosen in the basic
// settings, taken at once.
#include "e2e/MaintFixture.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"
#include "resources/viewer/ViewerResource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class MailListRowLookTest : public MaintE2e::CMailBoxTest
{
protected:
    void FileUtf8Mail(const char* subject)
    {
        CMailFolderStore store;
        store.SetFolderRecord(Folder(CFolderRecord::kindInbox));
        CString file = m_dir.File("utf8.eml");
        TestSupport::WriteFileBytes(file, std::string("From: Yamada Taro <taro@example.jp>\r\nTo: me@example.jp\r\nSubject: ") +
                                              subject +
                                              "\r\nDate: Mon, 01 Jan 2024 10:00:00 +0900\r\nMessage-ID: <u1@example.jp>\r\n"
                                              "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\nbody\r\n");
        ASSERT_EQ(store.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        store.Close();
    }

    static std::vector<int> RowsOf(HWND list, const char* subject)
    {
        std::vector<int> rows;
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            if (E2e::ListItemText(list, r, 1) == subject)
                rows.push_back(r);
        return rows;
    }
};

} // namespace

TEST_F(MailListRowLookTest, AMailInAnotherCharsetIsDrawnInThatCharsetsLanguageFont)
{
    MakeMailBox();
    TestSupport::WriteFileBytes(MailBox() + "\\CharSet.dat", "UTF-8\tIPAMincho\t200\t128\r\n");
    FileMails(CFolderRecord::kindInbox, { "Same words", "Same words" });
    ASSERT_NO_FATAL_FAILURE(FileUtf8Mail("Same words"));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    SetForegroundWindow(main);
    ASSERT_TRUE(WaitFor([&] { return RowsOf(list, "Same words").size() == 3; }));

    // The two Japanese mails share their sender; the UTF-8 one has its own.
    int utf8 = -1;
    std::vector<int> others;
    for (int r : RowsOf(list, "Same words")) {
        if (E2e::ListItemText(list, r, 2).Find("Yamada") >= 0)
            utf8 = r;
        else
            others.push_back(r);
    }
    ASSERT_GE(utf8, 0);
    ASSERT_EQ(others.size(), 2u);

    const std::vector<bool> first = E2e::ListCellInk(list, others[0], 1);
    ASSERT_GT(std::count(first.begin(), first.end(), true), 20);
    // The same words in the same font draw alike; in the language font they do not.
    EXPECT_EQ(E2e::ListCellInk(list, others[1], 1), first);
    EXPECT_NE(E2e::ListCellInk(list, utf8, 1), first);

    E2e::CloseWhenTransfersEnd(m_program, main);
    EXPECT_EQ(m_program.WaitForExit(MaintE2e::kTimeout), 0) << E2e::VisibleWindows(m_program.ProcessId());
}

TEST_F(MailListRowLookTest, TheDateColumnsTakeTheDateAndTimeFormatsChosenInTheBasicSettingsAtOnce)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "日付" });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 1; }));
    // "%Y/%m/%d %H:%M:%S" until the user chooses otherwise.
    const std::string sent = E2e::ListItemText(list, 0, 3).Str();
    const std::string received = E2e::ListItemText(list, 0, 4).Str();
    ASSERT_EQ(sent.size(), 19u) << sent;
    ASSERT_EQ(sent.substr(0, 10), "2024/01/01") << sent;
    ASSERT_EQ(received.substr(0, 10), "2024/02/01") << received;

    PostMessageA(main, WM_COMMAND, ID_TOOLS_BASIC_SETTINGS, 0);
    HWND dialog = m_program.WaitForWindow("#32770", "基本設定", 20000);
    ASSERT_NE(dialog, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    HWND chosen = E2e::FindDescendant(dialog, "Button", IDC_SET_TIME_FORMAT_TYPE_1);
    ASSERT_NE(chosen, nullptr);
    SendMessageA(chosen, BM_CLICK, 0, 0);
    HWND page = GetParent(chosen);
    E2e::SetControlText(page, IDC_SET_FORMAT_DATE, "%y-%m-%d");
    E2e::SetControlText(page, IDC_SET_FORMAT_TIME, "%H.%M");
    E2e::PressButton(dialog, IDOK);

    // Two-digit year, the dashes, the time without seconds.
    const std::string wantSent = "24-01-01 " + sent.substr(11, 2) + "." + sent.substr(14, 2);
    const std::string wantReceived = "24-02-01 " + received.substr(11, 2) + "." + received.substr(14, 2);
    EXPECT_TRUE(WaitFor([&] { return E2e::ListItemText(list, 0, 3).Str() == wantSent; }))
        << E2e::ListItemText(list, 0, 3).Str() << " " << wantSent;
    EXPECT_EQ(E2e::ListItemText(list, 0, 4).Str(), wantReceived);
    // A change of the system's settings reads the formats again and keeps the chosen ones.
    SendMessageA(main, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(E2e::ListItemText(list, 0, 3).Str(), wantSent);
    // A viewer's date line reads the same.
    HWND viewer = OpenViewer(main, list, "日付");
    ASSERT_NE(viewer, nullptr);
    struct Find
    {
        HWND found = nullptr;
    } date;
    EnumChildWindows(viewer, [](HWND h, LPARAM p) -> BOOL {
        if (GetDlgCtrlID(h) != IDC_VIEW_DATE)
            return TRUE;
        reinterpret_cast<Find*>(p)->found = h;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&date));
    ASSERT_NE(date.found, nullptr);
    EXPECT_TRUE(WaitFor([&] {
        const std::string line = E2e::GetWindowTextOf(date.found).Str();
        return line.find(wantSent) != std::string::npos && line.find(wantReceived) != std::string::npos;
    })) << E2e::GetWindowTextOf(date.found).Str();

    E2e::CloseWhenTransfersEnd(m_program, main);
    EXPECT_EQ(m_program.WaitForExit(MaintE2e::kTimeout), 0) << E2e::VisibleWindows(m_program.ProcessId());
}
