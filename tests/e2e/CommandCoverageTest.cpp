// Every command a user can reach in the main window (its menu, the context
// menus, the default keys, the default toolbar and the tray menu) has a
// handler whichever pane is active; the ids come from the program's own
// resources, so that a new binding without a handler fails here with its
// number and where it is bound.
#include "e2e/CommandCoverage.h"
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "classlib/CommandState.h"
#include "resources/mainwnd/KeysResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using E2e::CommandBinding;
using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

// The pane focus commands (keys T, L and V).
const UINT kFocusFolderTree = 32934;
const UINT kFocusMailList = 32935;
const UINT kFocusMailView = 32936;

// The tray menu is built in code; its items as the tray shows them.
std::vector<CommandBinding> TrayMenuCommands()
{
    return E2e::CommandRows("tray menu", { 32989, 33054, 32775, 32842, 32778, 32965, 33268, 57665 });
}

HWND FocusedWindow(HWND main)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

struct PaneFocus
{
    HWND main;
    HWND pane;
};

bool FocusIsIn(void* p)
{
    auto* c = static_cast<PaneFocus*>(p);
    HWND focus = FocusedWindow(c->main);
    return focus && (focus == c->pane || IsChild(c->pane, focus));
}

class CommandCoverageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_resources.IsLoaded());
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
        ASSERT_TRUE(m_program.Start("/INI \"/M:" + m_dir.Path() + "\\MailBox\""));
        m_main = m_program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(m_main, nullptr);
        m_tree = E2e::FindDescendant(m_main, "SysTreeView32", IDC_FOLDER_TREE);
        m_list = E2e::FindDescendant(m_main, "SysListView32");
        // The mail view pane: the form that holds the mail's text view.
        HWND text = E2e::FindDescendant(m_main, "CVMColorTextView");
        m_view = text ? GetParent(text) : nullptr;
        ASSERT_TRUE(m_tree && m_list && m_view);
    }
    void TearDown() override
    {
        if (m_main) {
            PostMessageA(m_main, WM_CLOSE, 0, 0);
            EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
        }
        m_program.Kill();
    }
    // The focused window's class and its parents' (for failure messages).
    std::string FocusText()
    {
        std::string text;
        for (HWND h = FocusedWindow(m_main); h; h = GetParent(h)) {
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof(cls));
            text += std::string(cls) + (h == m_view ? "(pane)" : "") + " < ";
        }
        return text;
    }
    // A pane made active the way a user's key does it; the focus lands in it.
    bool ActivatePane(UINT command, HWND pane)
    {
        PostMessageA(m_main, WM_COMMAND, command, 0);
        PaneFocus c = { m_main, pane };
        return E2e::WaitUntil(10000, FocusIsIn, &c);
    }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{ m_dir.Path() };
    E2e::CProgramResources m_resources;
    HWND m_main = nullptr;
    HWND m_tree = nullptr;
    HWND m_list = nullptr;
    HWND m_view = nullptr;
};

} // namespace

TEST_F(CommandCoverageTest, EveryBoundCommandOfTheMainWindowHasAHandlerInEveryPane)
{
    std::vector<CommandBinding> everywhere = m_resources.MenuCommands(IDR_MAINFRAME);
    // The re-read from the receive backup has no menu text: a command of the
    // list alone. The direct print comes from a print request on the command line.
    for (auto part : { m_resources.KeyCommands(IDR_MAINFRAME), m_resources.ToolBarCommands(IDR_TOOLBAR_DEFAULT),
                       TrayMenuCommands(), E2e::CommandRows("mail list command", { 33233 }),
                       E2e::CommandRows("command-line print", { 57608 }) })
        everywhere.insert(everywhere.end(), part.begin(), part.end());
    ASSERT_GT(everywhere.size(), 150u);

    struct Pane
    {
        const char* name;
        UINT focusCommand;
        HWND window;
        UINT contextMenu;  // 0: none
    };
    const Pane panes[] = {
        { "folder tree active", kFocusFolderTree, m_tree, IDR_FOLDER_CONTEXT },
        { "mail list active", kFocusMailList, m_list, IDR_LIST_CONTEXT },
        { "mail view active", kFocusMailView, m_view, 0 },
    };
    std::vector<CString> missing;
    for (const Pane& pane : panes) {
        ASSERT_TRUE(ActivatePane(pane.focusCommand, pane.window)) << pane.name << ": " << FocusText();
        std::vector<CommandBinding> bindings = everywhere;
        if (pane.contextMenu) {
            auto menu = m_resources.MenuCommands(pane.contextMenu);
            ASSERT_FALSE(menu.empty()) << pane.contextMenu;
            bindings.insert(bindings.end(), menu.begin(), menu.end());
        }
        for (const CString& line : E2e::UnhandledCommands(m_main, bindings, pane.name))
            missing.push_back(line);
    }
    std::string report;
    for (const CString& line : missing)
        report += line.Str() + "\n";
    EXPECT_TRUE(missing.empty()) << missing.size() << " bindings without a handler:\n" << report;
}

namespace {

struct ToolBarAgrees
{
    HWND main;
    HWND bar;
    std::vector<CommandBinding> buttons;
    std::string differences;
};

bool ButtonsShowTheirCommandState(void* p)
{
    auto* c = static_cast<ToolBarAgrees*>(p);
    c->differences.clear();
    for (const CommandBinding& b : c->buttons) {
        const bool shown = SendMessageA(c->bar, TB_ISBUTTONENABLED, b.id, 0) != 0;
        const bool enabled = (E2e::QueryCommandState(c->main, b.id) & kCommandEnabled) != 0;
        if (shown != enabled)
            c->differences += std::to_string(b.id) + (shown ? " shown enabled\n" : " shown greyed\n");
    }
    return c->differences.empty();
}

} // namespace

// The toolbar starts greyed and the idle update enables what can be used:
// each button shows what its command's state says.
TEST_F(CommandCoverageTest, ToolBarButtonsShowTheStateOfTheirCommands)
{
    ToolBarAgrees c = { m_main, E2e::FindDescendant(m_main, "ToolbarWindow32"),
                        m_resources.ToolBarCommands(IDR_TOOLBAR_DEFAULT), "" };
    ASSERT_NE(c.bar, nullptr);
    ASSERT_FALSE(c.buttons.empty());
    EXPECT_TRUE(E2e::WaitUntil(10000, ButtonsShowTheirCommandState, &c)) << c.differences;
    EXPECT_TRUE(SendMessageA(c.bar, TB_ISBUTTONENABLED, ID_MAIL_NEW, 0));
}

// The folder commands belong to the frame: enabled with the list or the
// mail view active too, not only in the folder tree.
TEST_F(CommandCoverageTest, FolderCommandsAreEnabledWhicheverPaneIsActive)
{
    const UINT commands[] = { ID_FOLDER_CREATE, ID_FOLDER_RENAME, ID_FOLDER_PROPERTIES, ID_FOLDER_MARK_ALL_READ };
    const std::pair<UINT, HWND> panes[] = { { kFocusFolderTree, m_tree }, { kFocusMailList, m_list },
                                            { kFocusMailView, m_view } };
    for (const auto& pane : panes) {
        ASSERT_TRUE(ActivatePane(pane.first, pane.second)) << pane.first;
        for (UINT id : commands)
            EXPECT_EQ(E2e::QueryCommandState(m_main, id), kCommandHandled | kCommandEnabled)
                << "command " << id << " after focus command " << pane.first;
    }
}

// A user who clicked a mail and then chose フォルダの作成 from the menu gets
// the new-folder dialog, and the folder appears in the tree.
TEST_F(CommandCoverageTest, FolderCreateWithTheListFocusedAddsTheFolder)
{
    ASSERT_TRUE(ActivatePane(kFocusMailList, m_list));
    PostMessageA(m_main, WM_COMMAND, ID_FOLDER_CREATE, 0);
    HWND dialog = m_program.WaitForDialogWithControl(IDC_FOLDER_NAME, 20000);
    ASSERT_NE(dialog, nullptr);
    E2e::SetControlText(dialog, IDC_FOLDER_NAME, "会議資料");
    E2e::PressButton(dialog, IDOK);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
        return E2e::FindTreeItem(static_cast<HWND>(p), "会議資料") != nullptr;
    }, m_tree));
}

namespace {

void PressCtrlKey(BYTE key)
{
    keybd_event(VK_CONTROL, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
}

} // namespace

// Ctrl+N and Ctrl+D are the main window's keys whichever pane has the focus
// (a mailbox without accounts answers both with the same message).
TEST_F(CommandCoverageTest, MainWindowKeysWorkInEveryPane)
{
    const std::pair<UINT, HWND> panes[] = { { kFocusFolderTree, m_tree }, { kFocusMailList, m_list },
                                            { kFocusMailView, m_view } };
    for (const auto& pane : panes) {
        for (BYTE key : { BYTE('N'), BYTE('D') }) {
            SetForegroundWindow(m_main);
            ASSERT_TRUE(ActivatePane(pane.first, pane.second)) << pane.first;
            PressCtrlKey(key);
            HWND box = m_program.WaitForMessageBox("アカウントを作成してから実行してください。", 10000);
            EXPECT_NE(box, nullptr) << "Ctrl+" << key << " after focus command " << pane.first;
            if (box) {
                E2e::PressButton(box, IDOK);
                E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, box);
            }
        }
    }
}
