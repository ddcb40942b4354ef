// Loading plug-in modules, their events and their commands.
#include "PlugInTestSupport.h"

#include "plugin/DlgPlugInInfo.h"
#include "plugin/PlugInHost.h"
#include "resources/plugin/PlugInResource.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace PlugInTest;

namespace {

const WORD kVersion[4] = { 2, 7, 1, 30 };

class PlugInHostTest : public ::testing::Test
{
protected:
    void LoadAll()
    {
        for (const char* kind : { "Accepting", "Refusing", "Nameless" })
            CopyModule(m_dir.Path(), kind);
        m_host.SetClientVersion(kVersion);
        m_loaded = m_host.LoadFolder(m_dir.Path());
    }
    HMODULE Accepted() const { return m_host.GetPlugIns().empty() ? nullptr : m_host.GetPlugIns()[0].hModule; }

    TestSupport::TempDir m_dir;
    CPlugInHost m_host;
    int m_loaded = 0;
};

} // namespace

TEST_F(PlugInHostTest, OnlyModulesWithANameThatAcceptTheVersionAreKept)
{
    LoadAll();
    ASSERT_EQ(m_loaded, 1);
    ASSERT_EQ(m_host.GetPlugIns().size(), 1u);
    EXPECT_EQ(m_host.GetPlugIns()[0].strPath, m_dir.Path() + "\\AcceptingPlugIn.dll");
    EXPECT_EQ(m_host.GetPlugInTitle(Accepted()), "AcceptingPlugIn");
    EXPECT_EQ(m_host.GetPlugInTitle(nullptr), "");
    // The refused modules were let go again.
    EXPECT_EQ(GetModuleHandleA(m_dir.Path() + "\\RefusingPlugIn.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA(m_dir.Path() + "\\NamelessPlugIn.dll"), nullptr);
    EXPECT_EQ(EventLog(Accepted()), "version 2.7.1.30\n");
    // A folder without modules, and a module that is not a library.
    CPlugInHost empty;
    EXPECT_EQ(empty.LoadFolder(m_dir.Path() + "\\none"), 0);
    TestSupport::WriteFileBytes(m_dir.File("Broken.dll"), "not a module");
    EXPECT_FALSE(empty.LoadModule(m_dir.File("Broken.dll")));
}

TEST_F(PlugInHostTest, EventsReachTheModuleWithTheirArguments)
{
    LoadAll();
    ASSERT_NE(Accepted(), nullptr);
    Export<void (*)()>(Accepted(), "ResetEventLog")();
    HWND hWnd = GetDesktopWindow();
    m_host.FirePlugInEvent(CPlugInHost::evInitPlugIn);
    m_host.FirePlugInEvent(CPlugInHost::evEndMailDownload, hWnd, 3);
    m_host.FirePlugInEvent(CPlugInHost::evNotifyReceive, hWnd, 5);
    m_host.FirePlugInEvent(CPlugInHost::evCloseMainWnd);
    // Lists nobody fills, and indexes outside the table, call nothing.
    for (int e : { 11, 13, 15, 17, 22, -1, 40, 1000 })
        m_host.FirePlugInEvent(e, hWnd, 9);
    EXPECT_EQ(EventLog(Accepted()), "init\ndownload 1 3\nnotify 1 5\nclose\n");
    EXPECT_EQ(m_host.GetEventListSize(10), 1u);
    EXPECT_EQ(m_host.GetEventListSize(11), 0u);

    // The module stays loaded while the host holds it; unloading says goodbye.
    std::string before = EventLog(Accepted());
    HMODULE h = Accepted();
    char path[MAX_PATH];
    GetModuleFileNameA(h, path, sizeof(path));
    HMODULE extra = LoadLibraryA(path);  // keeps the log readable after the host lets go
    m_host.UnloadAll();
    EXPECT_EQ(EventLog(extra), before + "unload\n");
    EXPECT_TRUE(m_host.GetPlugIns().empty());
    m_host.FirePlugInEvent(CPlugInHost::evInitPlugIn);
    EXPECT_EQ(EventLog(extra), before + "unload\n");
    FreeLibrary(extra);
}

TEST(PlugInHost, WithoutModulesNothingFires)
{
    CPlugInHost host;
    host.FirePlugInEvent(CPlugInHost::evInitPlugIn);
    host.FirePlugInEvent(CPlugInHost::evNotifyReceive, nullptr, 1);
    EXPECT_EQ(host.GetEventListSize(10), 0u);
    host.UnloadAll();
}

namespace {

std::atomic<DWORD> g_commandThread{ 0 };
void RecordingCommand()
{
    g_commandThread = GetCurrentThreadId();
}

CString ItemText(HMENU hMenu, int pos)
{
    char text[128] = {};
    GetMenuStringA(hMenu, static_cast<UINT>(pos), text, sizeof(text) - 1, MF_BYPOSITION);
    return text;
}

} // namespace

TEST(PlugInHost, MenuCommandsGetLettersIdsAndRunOnAWorker)
{
    HMENU hMain = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(hMain, nullptr);
    CPlugInHost host;
    host.SetMainMenu(hMain);
    HMENU hSub = host.PreparePlugInMenu(false);
    ASSERT_NE(hSub, nullptr);
    EXPECT_EQ(GetMenuItemCount(hSub), 0);  // the placeholder went

    // Ids run across menu items and plain commands in registration order;
    // the first 26 menu items carry a letter.
    EXPECT_TRUE(host.AddCommand(nullptr, 0, "plain", "", RecordingCommand, 0, 0, 0, false, 0));
    for (int i = 0; i < 27; ++i)
        ASSERT_TRUE(host.AddCommand(nullptr, i, "item", "prompt", RecordingCommand, 0, 0, 0, true, MF_STRING));
    ASSERT_EQ(GetMenuItemCount(hSub), 27);
    EXPECT_EQ(GetMenuItemID(hSub, 0), 40001u);
    EXPECT_EQ(ItemText(hSub, 0), "item(&A)");
    EXPECT_EQ(ItemText(hSub, 25), "item(&Z)");
    EXPECT_EQ(ItemText(hSub, 26), "item");
    EXPECT_EQ(GetMenuItemID(hSub, 26), 40027u);
    CPlugInHost::Command c;
    ASSERT_TRUE(host.GetCommand(40000, c));
    EXPECT_EQ(c.strText, "plain");
    EXPECT_EQ(c.strPrompt, "");
    ASSERT_TRUE(host.GetCommand(40027, c));
    EXPECT_EQ(c.lValue, 26);
    EXPECT_EQ(c.strPrompt, "prompt");
    EXPECT_FALSE(host.GetCommand(40028, c));
    EXPECT_FALSE(host.GetCommand(39999, c));

    HANDLE h = host.RunCommand(40003);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    CloseHandle(h);
    EXPECT_NE(g_commandThread.load(), 0u);
    EXPECT_NE(g_commandThread.load(), GetCurrentThreadId());
    EXPECT_EQ(host.RunCommand(41000), nullptr);
    DestroyMenu(hMain);
}

TEST(PlugInHost, WithoutCommandsThePlugInItemsLeaveTheMenu)
{
    HMENU hMain = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(hMain, nullptr);
    CPlugInHost host;
    host.SetMainMenu(hMain);
    EXPECT_EQ(host.PreparePlugInMenu(true), nullptr);
    EXPECT_EQ(host.PreparePlugInMenu(false), nullptr);
    EXPECT_FALSE(host.AddCommand(nullptr, 0, "x", "", RecordingCommand, 0, 0, 0, true, MF_STRING));
    for (int i = 0; i < GetMenuItemCount(hMain); ++i) {
        HMENU hSub = GetSubMenu(hMain, i);
        for (int j = 0; hSub && j < GetMenuItemCount(hSub); ++j) {
            EXPECT_NE(GetMenuItemID(hSub, j), CPlugInHost::kInfoId);
            EXPECT_EQ(ItemText(hSub, j).Find("プラグイン"), -1);
        }
    }
    DestroyMenu(hMain);
}

TEST_F(PlugInHostTest, InformationDialogListsPlugInsAndSaysWhatTheyLack)
{
    LoadAll();
    ASSERT_EQ(m_host.GetPlugIns().size(), 1u);
    CDlgPlugInInfo dlg(m_host);
    ASSERT_TRUE(dlg.Create(IDD_PLUGIN_INFO));
    HWND hList = GetDlgItem(dlg.m_hWnd, IDC_PI_LIST);
    ASSERT_EQ(SendMessageA(hList, LB_GETCOUNT, 0, 0), 1);
    char name[64] = {};
    SendMessageA(hList, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, "Test plug-in");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PI_README), "");

    // Nothing selected: the buttons do nothing.
    TestSupport::RecordedMessages().clear();
    SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PI_PROPERTY, BN_CLICKED), 0);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());

    // The plug-in has no read-me, properties or help.
    dlg.SetDlgItemText(IDC_PI_README, "old text");
    SendMessageA(hList, LB_SETCURSEL, 0, 0);
    SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PI_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PI_README), "");
    SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PI_PROPERTY, BN_CLICKED), 0);
    SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PI_HELP, BN_CLICKED), 0);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 2u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("このプラグインには、プロパティがありません。"), std::string::npos);
    EXPECT_NE(TestSupport::RecordedMessages()[1].find("このプラグインに、ヘルプはありません。"), std::string::npos);
    dlg.DestroyWindow();
}
