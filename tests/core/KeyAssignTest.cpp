#include "core/CommandText.h"
#include "core/KeyAssignDataSet.h"
#include "core/QuendalApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const BYTE V = FVIRTKEY, C = FCONTROL, S = FSHIFT, A = FALT;

// A window's defaults: a command with two keys, and commands with one.
const ACCEL kDefaults[] = {
    { V | C, 'C', 57634 }, { V | C, VK_INSERT, 57634 }, { V, VK_DELETE, 32787 },
    { V, VK_F1, 57670 },   { V, VK_ESCAPE, 32985 },
};
const int kDefaultCount = sizeof(kDefaults) / sizeof(kDefaults[0]);

std::string Describe(const std::vector<ACCEL>& entries)
{
    std::string s;
    for (const ACCEL& a : entries) {
        if (!s.empty())
            s += " ";
        s += std::to_string(a.cmd) + "=" + static_cast<const char*>(FormatHotKeyText(a.key, a.fVirt));
    }
    return s;
}

// The rows of a key file as "command:key:modifiers", in file order.
std::string Rows(const char* path)
{
    CKeyAssignDataSet table;
    table.SetFilePath(path);
    table.ReadFromFile();
    std::string s;
    for (int i = 0; i < table.GetRecordCount(TRUE); ++i) {
        const CKeyAssignData* r = table.GetKey(i);
        if (!s.empty())
            s += " ";
        s += std::to_string(r->m_nCommand) + ":" + std::to_string(r->m_nKey) + ":" + std::to_string(r->m_nModifiers);
    }
    return s;
}

bool OnlyPlugIn40001(UINT nCommand)
{
    return nCommand == 40001;
}

} // namespace

TEST(KeyAssign, FileMergedWithDefaults)
{
    const std::string all = "57634\t67\t9\r\n57634\t45\t9\r\n32787\t46\t1\r\n57670\t112\t1\r\n32985\t27\t1\r\n";
    struct Case
    {
        const char* what;
        std::string file;
        const char* accelerators;
        bool rewritten;
        const char* rowsAfter;  // when rewritten
    };
    const Case cases[] = {
        { "empty file: every default", "",
          "57634=Ctrl+C 57634=Ctrl+Ins 32787=Del 57670=F1 32985=Esc", true,
          "57634:67:9 57634:45:9 32787:46:1 57670:112:1 32985:27:1" },
        { "complete file: used as it is", all, "57634=Ctrl+C 57634=Ctrl+Ins 32787=Del 57670=F1 32985=Esc", false, "" },
        { "changed key replaces the default",
          "32787\t88\t9\tg\tn\tCtrl+X\t\t-1\r\n",
          "32787=Ctrl+X 57634=Ctrl+C 57634=Ctrl+Ins 57670=F1 32985=Esc", true,
          "32787:88:9 57634:67:9 57634:45:9 57670:112:1 32985:27:1" },
        { "removed keys (-1) stay removed", "57634\t-1\t0\r\n" + all.substr(all.find("32787")),
          "32787=Del 57670=F1 32985=Esc", false, "" },
        { "unknown command is skipped but kept",
          "12345\t65\t1\r\n" + all, "57634=Ctrl+C 57634=Ctrl+Ins 32787=Del 57670=F1 32985=Esc", false, "" },
        { "plug-in command is used", "40001\t80\t17\r\n" + all,
          "40001=Alt+P 57634=Ctrl+C 57634=Ctrl+Ins 32787=Del 57670=F1 32985=Esc", false, "" },
        { "key 0 is neither used nor written", "32787\t0\t0\r\n" + all.substr(0, all.find("32787")),
          "57634=Ctrl+C 57634=Ctrl+Ins 32787=Del 57670=F1 32985=Esc", true,
          "57634:67:9 57634:45:9 32787:46:1 57670:112:1 32985:27:1" },
        { "non-digits read as 0, extra columns ignored",
          "x\t65\t9\r\n57670\t113\t1\tg\tn\tF2\t\t-1\tmore\tcolumns\r\n" + all.substr(0, all.find("57670")) +
              all.substr(all.find("32985")),
          "57670=F2 57634=Ctrl+C 57634=Ctrl+Ins 32787=Del 32985=Esc", false, "" },
    };
    for (const Case& c : cases) {
        TempDir dir;
        CString path = dir.File("MainWnd.key");
        WriteFileBytes(path, c.file);
        CKeyAssignDataSet table;
        table.SetFilePath(path);
        ASSERT_TRUE(table.ReadFromFile()) << c.what;
        std::vector<ACCEL> entries;
        BOOL added = table.BuildAccelerators(kDefaults, kDefaultCount, OnlyPlugIn40001, entries);
        EXPECT_EQ(Describe(entries), c.accelerators) << c.what;
        EXPECT_EQ(added != FALSE, c.rewritten) << c.what;
        if (added) {
            ASSERT_TRUE(table.WriteToFile()) << c.what;
            EXPECT_EQ(Rows(path), c.rowsAfter) << c.what;
        }
    }
}

TEST(KeyAssign, IconKeyAndRowFormat)
{
    TempDir dir;
    CString path = dir.File("Editor.key");
    CKeyAssignDataSet table;
    table.SetFilePath(path);
    table.AddKey(32787, 'U', V | C | S);
    table.AddKey(33000, CKeyAssignData::kIconKey, 0);
    table.AddKey(57670, CKeyAssignData::kNoKey, 0);
    table.AddKey(0, 'A', V);  // no command: dropped
    table.AddKey(32985, 0, 0);  // no key: dropped
    ASSERT_TRUE(table.WriteToFile());
    std::string text = ReadFileBytes(path);
    // Command, key, modifiers, group, name, key text, plug-in name and number.
    std::vector<std::string> lines;
    for (size_t p = 0; p < text.size();) {
        size_t e = text.find("\r\n", p);
        ASSERT_NE(e, std::string::npos);
        lines.push_back(text.substr(p, e - p));
        p = e + 2;
    }
    ASSERT_EQ(lines.size(), 3u);
    auto columns = [](const std::string& line) {
        std::vector<std::string> cols;
        size_t p = 0;
        for (;;) {
            size_t t = line.find('\t', p);
            cols.push_back(line.substr(p, t - p));
            if (t == std::string::npos)
                break;
            p = t + 1;
        }
        return cols;
    };
    std::vector<std::string> first = columns(lines[0]);
    ASSERT_EQ(first.size(), 8u);
    EXPECT_EQ(first[0] + "|" + first[1] + "|" + first[2] + "|" + first[5] + "|" + first[6] + "|" + first[7],
              "32787|85|13|Ctrl+Shift+U||-1");
    EXPECT_EQ(columns(lines[1])[5], "ICON");
    EXPECT_EQ(columns(lines[2])[1], "-1");

    table.ReadFromFile();
    std::vector<ACCEL> entries;
    std::vector<UINT> icons;
    table.BuildAccelerators(kDefaults, kDefaultCount, nullptr, entries, &icons);
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0], 33000u);
    EXPECT_EQ(Describe(entries), "32787=Ctrl+Shift+U 57634=Ctrl+C 57634=Ctrl+Ins 32985=Esc");
}

TEST(KeyAssign, MenuKeyTexts)
{
    const ACCEL table[] = { { V | C, 'B', 100 }, { V, VK_DELETE, 32787 }, { V | A, 'B', 100 } };
    HMENU hMenu = CreateMenu();
    HMENU hSub = CreatePopupMenu();
    AppendMenuA(hSub, MF_STRING, 100, "終了(&X)");
    AppendMenuA(hSub, MF_STRING, 101, "受信(&G)\tCtrl+D");
    AppendMenuA(hSub, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(hSub, MF_STRING, 33058, "巡回(&J)");
    AppendMenuA(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), "ファイル(&F)");
    CQuendalApp::UpdateMenuKeyTexts(hMenu, table, 3);
    struct Case { int pos; const char* text; };
    const Case cases[] = {
        { 0, "終了(&X)\tCtrl+B" },  // the first of two keys
        { 1, "受信(&G)\t" },        // no key: the old text goes
        { 3, "巡回(&J)\tDel" },     // shares the route command's keys
    };
    for (const Case& c : cases) {
        char buf[256] = "";
        GetMenuStringA(hSub, c.pos, buf, sizeof(buf), MF_BYPOSITION);
        EXPECT_STREQ(buf, c.text) << c.pos;
    }
    char top[64] = "";
    GetMenuStringA(hMenu, 0, top, sizeof(top), MF_BYPOSITION);
    EXPECT_STREQ(top, "ファイル(&F)");
    EXPECT_EQ(GetMenuItemCount(hSub), 4);
    DestroyMenu(hMenu);
}

namespace {

struct KeysApp : CQuendalApp
{
    explicit KeysApp(const CString& ini) { SetProfileFileMode(ini); }
    ~KeysApp() override
    {
        UnregisterHotKeys();
        m_pMainWnd = nullptr;
        m_bFileMode = 0;
    }
};

} // namespace

TEST(KeyAssign, ChangedHotKeyReleasesTheOldOne)
{
    TempDir dir;
    KeysApp app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CreateDirectoryA(dir.File("MailBox"), nullptr);
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    app.m_pMainWnd = &wnd;
    HWND hOther = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const ACCEL defaults[] = { { V | C | A, VK_F11, 32989 } };
    const CString keyFile = app.GetKeyFilePath(0);

    WriteFileBytes(keyFile, "32989\t122\t25\r\n");  // Alt+Ctrl+F11
    ASSERT_TRUE(app.SetupAccelerators(0, nullptr, defaults, 1, 0));
    ASSERT_NE(app.m_hotKeyAtoms[CQuendalApp::hotKeyFront], 0);
    // The key is taken: another window cannot have it.
    EXPECT_FALSE(RegisterHotKey(hOther, 1, MOD_CONTROL | MOD_ALT, VK_F11));

    WriteFileBytes(keyFile, "32989\t123\t25\r\n");  // Alt+Ctrl+F12
    ASSERT_TRUE(app.SetupAccelerators(0, nullptr, defaults, 1, 0));
    EXPECT_TRUE(RegisterHotKey(hOther, 1, MOD_CONTROL | MOD_ALT, VK_F11)) << "the old key stayed registered";
    EXPECT_FALSE(RegisterHotKey(hOther, 2, MOD_CONTROL | MOD_ALT, VK_F12)) << "the new key is not registered";
    UnregisterHotKey(hOther, 1);
    UnregisterHotKey(hOther, 2);

    app.UnregisterHotKeys();
    EXPECT_EQ(app.m_hotKeyAtoms[CQuendalApp::hotKeyFront], 0);
    EXPECT_TRUE(RegisterHotKey(hOther, 3, MOD_CONTROL | MOD_ALT, VK_F12));
    UnregisterHotKey(hOther, 3);
    DestroyWindow(hOther);
    wnd.DestroyWindow();
}

TEST(KeyAssign, MissingFileStartsFromTheDefaultsAndUnreadableFileKeepsTheTable)
{
    TempDir dir;
    KeysApp app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CreateDirectoryA(dir.File("MailBox"), nullptr);
    const ACCEL defaults[] = { { V, VK_F1, 57670 }, { V | C, 'Q', 57665 } };
    ASSERT_TRUE(app.SetupAccelerators(1, nullptr, defaults, 2, 0));
    EXPECT_STREQ(app.GetHelpKeyText(1), "F1");
    // The written file holds the viewer's own default table (from the
    // resources when they are there), and at least the merged defaults.
    EXPECT_NE(Rows(app.GetKeyFilePath(1)).find("57670:112:1"), std::string::npos);

    // A directory in the file's place cannot be read.
    CreateDirectoryA(app.GetKeyFilePath(2), nullptr);
    EXPECT_FALSE(app.SetupAccelerators(2, nullptr, defaults, 2, 0));
}
