// The rule item, rule list and run-filter dialogs as a user meets them,
// driven from another thread while they run modally.
#include "coreui/UiTestSupport.h"
#include "resources/rules/RulesResource.h"
#include "store/FolderRecord.h"
#include "store/StoreTestUtil.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/DlgDivideup.h"
#include "transfer/DlgDivideupExec.h"
#include "transfer/DlgDivideupItem.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>

using UiTest::Click;
using UiTest::RunModal;

namespace {

void Press(HWND hDlg, int id)
{
    SendMessageA(GetDlgItem(hDlg, id), BM_CLICK, 0, 0);
}

bool Checked(HWND hDlg, int id)
{
    return IsDlgButtonChecked(hDlg, id) == BST_CHECKED;
}

bool Enabled(HWND hDlg, int id)
{
    return IsWindowEnabled(GetDlgItem(hDlg, id)) != FALSE;
}

std::string Text(HWND hDlg, int id)
{
    char buf[512] = {};
    GetDlgItemTextA(hDlg, id, buf, sizeof(buf));
    return buf;
}

class RuleDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        ASSERT_TRUE(m_app->CreateDefaultMailBox());
        ASSERT_TRUE(m_app->OpenFolderList());
        ASSERT_NE(m_app->GetDefaultFolder(CFolderRecord::kindInbox), nullptr);
        m_app->LoadFilterRules();
    }
    void TearDown() override
    {
        m_app.reset();
        TestSupport::ClearMessages();
    }
    CDivideupDataSet* ReceiveSet() { return m_app->GetReceiveRuleSet(); }
    static std::unique_ptr<CDivideupDataSet> Reread(CDivideupDataSet* set)
    {
        std::unique_ptr<CDivideupDataSet> copy(new CDivideupDataSet);
        copy->SetFilePath(set->GetFilePath());
        copy->ReadFromFile();
        return copy;
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
};

} // namespace

TEST_F(RuleDialogsTest, RuleItemKeepsItsBoxesConsistentAndStoresWhatTheyMean)
{
    CDlgDivideupItem dlg;
    dlg.m_rule.m_strHeader1 = "X-SendAcount";
    dlg.m_rule.m_strString1 = "仕事用";
    dlg.m_rule.m_bNotReceive = TRUE;
    dlg.m_rule.m_nProtected = 1;
    struct Seen
    {
        std::string header1, folder;
        bool colorEnabled = true, notReceiveEnabledAfter = true, leaveAfterDelete = true, deleteAfterLeave = true;
    } seen;
    INT_PTR result = RunModal(dlg, "振り分け項目", [&](HWND h) {
        if (!h)
            return;
        seen.header1 = Text(h, IDC_RULE_HEADER1);
        HWND tree = GetDlgItem(h, IDC_RULE_FOLDER_TREE);
        HTREEITEM selected = TreeView_GetSelection(tree);
        char name[128] = {};
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = selected;
        item.pszText = name;
        item.cchTextMax = sizeof(name);
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        seen.folder = name;
        seen.colorEnabled = Enabled(h, IDC_RULE_COLOR);
        Press(h, IDC_RULE_DELETE);
        Press(h, IDC_RULE_LEAVE);
        seen.deleteAfterLeave = Checked(h, IDC_RULE_DELETE);
        seen.leaveAfterDelete = Checked(h, IDC_RULE_LEAVE);
        Press(h, IDC_RULE_NO_FOLDER_MOVE);
        seen.notReceiveEnabledAfter = Enabled(h, IDC_RULE_NOT_RECEIVE);
        Press(h, IDC_RULE_USE_COLOR);
        SendDlgItemMessageA(h, IDC_RULE_COLOR, CB_SETCURSEL, 3, 0);
        Click(h, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.header1, "送信したアカウント");
    EXPECT_EQ(seen.folder, m_app->GetDefaultFolder(CFolderRecord::kindInbox)->GetFolderName().Str());
    EXPECT_FALSE(seen.colorEnabled);
    EXPECT_TRUE(seen.leaveAfterDelete);
    EXPECT_FALSE(seen.deleteAfterLeave);
    EXPECT_FALSE(seen.notReceiveEnabledAfter);
    // A rule that files nothing keeps no server actions, whatever its boxes showed.
    EXPECT_TRUE(dlg.m_rule.m_bNoFolderMove);
    EXPECT_FALSE(dlg.m_rule.m_bNotReceive);
    EXPECT_FALSE(dlg.m_rule.m_bLeaveOnServer);
    EXPECT_TRUE(dlg.m_rule.m_bUseColorLabel);
    EXPECT_EQ(dlg.m_rule.m_nColorLabel, 3);
    EXPECT_EQ(dlg.m_rule.m_crCustomColor, 0u);
    EXPECT_STREQ(dlg.m_rule.m_strHeader1, "X-SendAcount");
    EXPECT_STREQ(dlg.m_rule.m_strString1, "仕事用");
    EXPECT_EQ(dlg.m_rule.m_nFolderId, m_app->GetDefaultFolderId(CFolderRecord::kindInbox));
    EXPECT_EQ(dlg.m_rule.m_nProtected, 1);
}

TEST_F(RuleDialogsTest, RuleListGuardsTheJunkRuleAndTheFixedSetsAndAsksBeforeDroppingChanges)
{
    CDivideupDataSet* set = ReceiveSet();
    CDivideupData work;
    work.m_strHeader1 = "Subject";
    work.m_strString1 = "会議";
    set->AddRule(work);
    ASSERT_TRUE(set->WriteToFile());
    ASSERT_EQ(set->GetRuleCount(), 2);
    CDlgDivideup dlg;
    struct Seen
    {
        int rows = -1;
        std::string firstAfterDown, messages;
        int rowsAfterCancelledSwitch = -1;
    } seen;
    RunModal(dlg, "振り分け", [&](HWND h) {
        if (!h)
            return;
        HWND list = GetDlgItem(h, IDC_DIVIDEUP_LIST);
        seen.rows = ListView_GetItemCount(list);
        // The junk rule stays.
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Click(h, IDC_DIVIDEUP_DELETE);
        // Up from the top does nothing, down swaps with the second row.
        Click(h, IDC_DIVIDEUP_UP);
        Click(h, IDC_DIVIDEUP_DOWN);
        char text[128] = {};
        ListView_GetItemText(list, 0, 2, text, sizeof(text));
        seen.firstAfterDown = text;
        // The fixed sets cannot be renamed or deleted.
        Click(h, IDC_DIVIDEUP_RENAME_SET);
        SendDlgItemMessageA(h, IDC_DIVIDEUP_SET, CB_SETCURSEL, 1, 0);
        Click(h, IDC_DIVIDEUP_DELETE_SET);
        SendDlgItemMessageA(h, IDC_DIVIDEUP_SET, CB_SETCURSEL, 0, 0);
        // Switching with a change asks once; Cancel drops the change.
        TestSupport::QueueMessageBoxAnswer(IDCANCEL);
        SendDlgItemMessageA(h, IDC_DIVIDEUP_SET, CB_SETCURSEL, 1, 0);
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_DIVIDEUP_SET, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_DIVIDEUP_SET)));
        SendDlgItemMessageA(h, IDC_DIVIDEUP_SET, CB_SETCURSEL, 0, 0);
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_DIVIDEUP_SET, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_DIVIDEUP_SET)));
        seen.rowsAfterCancelledSwitch = ListView_GetItemCount(list);
        for (const std::string& m : TestSupport::RecordedMessages())
            seen.messages += m + "|";
        Click(h, IDCANCEL);
    });
    EXPECT_EQ(seen.rows, 2);
    EXPECT_EQ(seen.firstAfterDown, "会議");
    EXPECT_NE(seen.messages.find("この設定は削除できません。"), std::string::npos) << seen.messages;
    EXPECT_NE(seen.messages.find("受信、送信の設定名は変更できません。"), std::string::npos) << seen.messages;
    EXPECT_NE(seen.messages.find("受信、送信の設定は削除できません。"), std::string::npos) << seen.messages;
    size_t asked = 0;
    for (size_t at = seen.messages.find("設定が変更されています。"); at != std::string::npos;
         at = seen.messages.find("設定が変更されています。", at + 1))
        ++asked;
    EXPECT_EQ(asked, 1u) << seen.messages;
    EXPECT_EQ(seen.rowsAfterCancelledSwitch, 2);
    // Nothing was saved: the junk rule is still first in the file.
    std::unique_ptr<CDivideupDataSet> reread = Reread(set);
    ASSERT_EQ(reread->GetRuleCount(), 2);
    EXPECT_EQ(reread->GetRule(0)->m_nProtected, 1);
}

TEST_F(RuleDialogsTest, RunFilterChoiceFallsBackToTheReceiveSetAndRemembersItsChoices)
{
    struct Seen
    {
        std::string set;
        bool keepEnabled = true;
    } seen;
    {
        CDlgDivideupExec dlg("消えた設定");
        RunModal(dlg, "振り分け選択", [&](HWND h) {
            if (!h)
                return;
            seen.set = Text(h, IDC_EXEC_SET);
            Press(h, IDC_EXEC_ALL);
            Press(h, IDC_EXEC_NO_COLOR);
            seen.keepEnabled = Enabled(h, IDC_EXEC_KEEP_COLOR);
            Click(h, IDOK);
        });
        EXPECT_EQ(seen.set, "受信");
        EXPECT_FALSE(seen.keepEnabled);
        EXPECT_EQ(dlg.m_nTarget, 2);
        EXPECT_EQ(dlg.m_nSetKind, 0);
        EXPECT_TRUE(dlg.m_bNoColorLabel);
    }
    bool allChecked = false, noColorChecked = false;
    CDlgDivideupExec again("");
    RunModal(again, "振り分け選択", [&](HWND h) {
        if (!h)
            return;
        allChecked = Checked(h, IDC_EXEC_ALL);
        noColorChecked = Checked(h, IDC_EXEC_NO_COLOR);
        Click(h, IDCANCEL);
    });
    EXPECT_TRUE(allChecked);
    EXPECT_TRUE(noColorChecked);
}
