// The key table as the key assignment dialog edits it, and the flags the
// key selection dialog gives a key.
#include "core/KeyAssignDataSet.h"
#include "mainwnd/KeyAssignEditor.h"
#include "mainwnd/KeySelectDialog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const int V = FVIRTKEY, C = FCONTROL, S = FSHIFT, A = FALT;

const KeyCommandRow* Row(const std::vector<KeyCommandRow>& rows, int nCommand)
{
    for (const KeyCommandRow& r : rows)
        if (r.nCommand == nCommand)
            return &r;
    return nullptr;
}

std::vector<CString> KeyTexts(CKeyAssignEditor& editor, int nCommand)
{
    std::vector<CString> texts;
    for (int record : editor.GetKeys(nCommand))
        texts.push_back(editor.GetKeyText(record));
    return texts;
}

} // namespace

TEST(KeyAssignEditor, MissingFileStartsFromTheDefaultsAndListsNamedCommandsInOrder)
{
    TestSupport::TempDir dir;
    CString path = dir.File("MainWnd.key");
    CKeyAssignEditor editor;
    ASSERT_TRUE(editor.Load(0, path));
    EXPECT_TRUE(TestSupport::FileExists(path));
    EXPECT_FALSE(editor.IsModified());
    std::vector<KeyCommandRow> rows = editor.GetCommands();
    ASSERT_FALSE(rows.empty());
    // The pane keys (Tab) and commands without a category have no row.
    EXPECT_EQ(Row(rows, 32838), nullptr);
    EXPECT_EQ(Row(rows, 32836), nullptr);
    EXPECT_EQ(Row(rows, 33224), nullptr);
    const KeyCommandRow* del = Row(rows, 32787);
    ASSERT_NE(del, nullptr);
    EXPECT_STREQ(del->strName, "メールを削除");
    EXPECT_STREQ(del->strCategory, "メール");
    EXPECT_EQ(KeyTexts(editor, 32787), (std::vector<CString>{ "Del", "Shift+Del" }));
    // Sorted by category, then by command.
    for (size_t i = 1; i < rows.size(); ++i) {
        int c = strcmp(rows[i - 1].strCategory, rows[i].strCategory);
        EXPECT_TRUE(c < 0 || (c == 0 && rows[i - 1].nCommand < rows[i].nCommand)) << i;
    }
    // Every command has one row.
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = i + 1; j < rows.size(); ++j)
            EXPECT_NE(rows[i].nCommand, rows[j].nCommand);
}

TEST(KeyAssignEditor, KeysAreAddedChangedAndDeletedAndTheLastDeletionIsKept)
{
    TestSupport::TempDir dir;
    CString path = dir.File("MainWnd.key");
    {
        CKeyAssignEditor editor;
        ASSERT_TRUE(editor.Load(0, path));
        // Ctrl+D belongs to the receive command.
        EXPECT_EQ(editor.FindDuplicate(32787, 'D', V | C), 32773);
        EXPECT_EQ(editor.FindDuplicate(32773, 'D', V | C), 0);
        EXPECT_EQ(editor.FindDuplicate(32787, 'D', V | FNOINVERT | C), 32773);  // as the selection dialog gives it
        EXPECT_EQ(editor.FindDuplicate(32787, 'D', V | C | S), 0);
        int added = editor.AddKey(32787, 'D', V | C | A);
        EXPECT_TRUE(editor.IsModified());
        EXPECT_EQ(KeyTexts(editor, 32787), (std::vector<CString>{ "Del", "Shift+Del", "Alt+Ctrl+D" }));
        editor.ChangeKey(added, VK_F9, V);
        EXPECT_EQ(KeyTexts(editor, 32787), (std::vector<CString>{ "Del", "Shift+Del", "F9" }));
        // Deleting keys of the help command (F1 only) leaves it without a key.
        std::vector<int> help = editor.GetKeys(57670);
        ASSERT_EQ(help.size(), 1u);
        EXPECT_TRUE(editor.DeleteKey(help[0]));
        EXPECT_FALSE(editor.DeleteKey(help[0] + 100000));
        for (int record : editor.GetKeys(32787)) {
            if (editor.GetKeyText(record) == "Del") {
                EXPECT_TRUE(editor.DeleteKey(record));
            }
        }
        ASSERT_TRUE(editor.Save());
        EXPECT_FALSE(editor.IsModified());
    }
    CKeyAssignEditor again;
    ASSERT_TRUE(again.Load(0, path));
    EXPECT_EQ(KeyTexts(again, 32787), (std::vector<CString>{ "Shift+Del", "F9" }));
    EXPECT_TRUE(KeyTexts(again, 57670).empty());
    // The window build does not bring the help key back.
    std::vector<ACCEL> entries;
    const ACCEL defaults[] = { { V, VK_F1, 57670 }, { V, VK_DELETE, 32787 } };
    again.Table().BuildAccelerators(defaults, 2, nullptr, entries);
    EXPECT_TRUE(std::none_of(entries.begin(), entries.end(), [](const ACCEL& a) { return a.cmd == 57670; }));

    // A command without any key takes its first added key in its own row.
    int record = again.AddKey(57670, VK_F1, V | S);
    EXPECT_EQ(again.Table().GetKey(record)->m_nCommand, 57670);
    EXPECT_EQ(KeyTexts(again, 57670), (std::vector<CString>{ "Shift+F1" }));
}

TEST(KeyAssignEditor, DefaultsAndUpgradesOfOlderFiles)
{
    TestSupport::TempDir dir;
    struct Case { int kind; const char* file; int command; bool present; };
    const Case cases[] = {
        // An old main window or viewer file gets the keys added later.
        { 0, "32787\t46\t1\t\t\t\t\t-1\r\n", 33071, true },
        { 1, "32787\t46\t1\t\t\t\t\t-1\r\n", 33084, true },
        // The editor loses the viewer's scroll and jump keys.
        { 2, "32917\t32\t1\t\t\t\t\t-1\r\n33071\t74\t1\t\t\t\t\t-1\r\n57634\t67\t9\t\t\t\t\t-1\r\n", 32917, false },
        { 2, "32917\t32\t1\t\t\t\t\t-1\r\n33071\t74\t1\t\t\t\t\t-1\r\n57634\t67\t9\t\t\t\t\t-1\r\n", 57634, true },
    };
    for (const Case& c : cases) {
        CString path = dir.File("old.key");
        TestSupport::WriteFileBytes(path, c.file);
        CKeyAssignEditor editor;
        ASSERT_TRUE(editor.Load(c.kind, path));
        EXPECT_EQ(editor.Table().FindCommand(c.command) != nullptr, c.present) << c.kind << " " << c.command;
        // The upgrade was written at once.
        CKeyAssignDataSet reread;
        reread.SetFilePath(path);
        ASSERT_TRUE(reread.ReadFromFile(TRUE));
        EXPECT_EQ(reread.FindCommand(c.command) != nullptr, c.present) << c.kind << " " << c.command;
    }
    CKeyAssignEditor editor;
    ASSERT_TRUE(editor.Load(1, dir.File("Viewer.key")));
    editor.DeleteKey(editor.GetKeys(32787).front());
    editor.SetDefaults();
    EXPECT_TRUE(editor.IsModified());
    EXPECT_EQ(KeyTexts(editor, 32787), (std::vector<CString>{ "Del" }));
}

TEST(KeySelectDialog, FlagsOfTheChosenKey)
{
    struct Case { int key; bool alt, ctrl, shift; int flags; };
    const Case cases[] = {
        { 'R', false, false, false, V | FNOINVERT },
        { 'R', false, true, false, V | FNOINVERT | C },
        { 'R', true, true, true, V | FNOINVERT | A | C | S },
        { 0xFF, true, true, false, 0 },  // the "ICON" key has no modifiers
    };
    for (const Case& c : cases)
        EXPECT_EQ(CKeySelectDialog::ModifiersFor(c.key, c.alt, c.ctrl, c.shift), c.flags) << c.key;
}
