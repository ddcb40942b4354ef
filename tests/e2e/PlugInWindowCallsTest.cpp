// A plug-in working the main window from its own thread: the calls reach
// the application thread, which selects the mail, shows the folder chooser
// and ends the receive.
#include "e2e/E2eDriver.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PlugInWindowCallsTest : public MaintE2e::CMailBoxTest
{
protected:
    bool WaitForLog(const char* line)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(100))
            if (Log().find(line) != std::string::npos)
                return true;
        return false;
    }
    std::string Log() { return TestSupport::ReadFileBytes(m_dir.File("PlugIn\\PlugInEvents.log")); }
};

} // namespace

TEST_F(PlugInWindowCallsTest, SelectMailFolderChooserAndEndReceiveRunOnTheApplicationThread)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "一通目", "二通目", "三通目" });
    CFolderRecord inbox = Folder(CFolderRecord::kindInbox);
    CString key;
    {
        CMailFolderStore store;
        store.SetFolderRecord(inbox);
        for (int i = 0; i < store.GetMailList()->GetAllRecordCount(); ++i) {
            CMailIndexRecord* r = store.GetMailList()->GetMailRecord(i);
            if (r->GetText(CMailIndexRecord::colSubject) == "一通目")
                key = r->GetText(CMailIndexRecord::colAttachDir);
        }
        store.UnloadIndex();
    }
    ASSERT_FALSE(key.IsEmpty());
    CreateDirectoryA(m_dir.File("PlugIn"), nullptr);
    ASSERT_TRUE(CopyFileA(E2e::WinPath(CVM_E2E_PLUGINS) + "\\AcceptingPlugIn.dll",
                          m_dir.File("PlugIn\\AcceptingPlugIn.dll"), FALSE));
    TestSupport::WriteFileBytes(m_dir.File("PlugIn\\PlugInSelect.txt"),
                                FormatString("%d\r\n%s\r\n", inbox.m_nId, key.GetString()).GetString());

    HWND main = Start();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForLog("init\n"));
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    for (DWORD start = GetTickCount(); E2e::ListItemCount(list) < 3 && GetTickCount() - start < 20000;)
        Sleep(100);
    // Another mail is selected before the plug-in asks for its own.
    for (int r = 0; r < E2e::ListItemCount(list); ++r)
        if (E2e::ListItemText(list, r, 1) == "三通目")
            E2e::ListSelectItem(list, r);
    ASSERT_EQ(E2e::ListItemText(list, E2e::ListSelectedItem(list), 1), CString("三通目"));

    PostMessageA(main, WM_COMMAND, 40002, 0);
    ASSERT_TRUE(WaitForLog("selected\n")) << Log();
    int row = E2e::ListSelectedItem(list);
    ASSERT_GE(row, 0);
    EXPECT_EQ(E2e::ListItemText(list, row, 1), CString("一通目"));

    // The chooser belongs to the main window's thread, not the plug-in's.
    HWND chooser = m_program.WaitForWindow("#32770", "移動先の選択", 20000);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(GetWindowThreadProcessId(chooser, nullptr), GetWindowThreadProcessId(main, nullptr));
    E2e::PressButton(chooser, IDOK);
    EXPECT_TRUE(WaitForLog(FormatString("chosen %d\n", inbox.m_nId).GetString())) << Log();
    // The end of a receive with no new mail reaches the plug-ins' event.
    EXPECT_TRUE(WaitForLog("ended\n")) << Log();
    EXPECT_NE(Log().find("notify 1 0\n"), std::string::npos) << Log();
    Close(main);
}
