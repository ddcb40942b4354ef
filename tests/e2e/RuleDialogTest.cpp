// The filter-rule dialogs as a user meets them: rules added, changed,
// moved and deleted in the rule list end up in the rule file, and a rule
// set chosen before a run sorts the shown folder.
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/rules/RulesResource.h"
#include "store/FolderRecord.h"

#include <commctrl.h>

using MaintE2e::kTimeout;

namespace {

class RuleDialogTest : public MaintE2e::CMailBoxTest
{
protected:
    // Fills the open rule item dialog and confirms it.
    void FillRule(const char* subjectText, const char* folderName)
    {
        HWND item = m_program.WaitForDialogWithControl(IDC_RULE_FOLDER_TREE, kTimeout);
        ASSERT_NE(item, nullptr);
        E2e::SetControlText(item, IDC_RULE_HEADER1, "Subject");
        E2e::SetControlText(item, IDC_RULE_STRING1, subjectText);
        if (folderName) {
            HWND tree = GetDlgItem(item, IDC_RULE_FOLDER_TREE);
            HTREEITEM target = E2e::FindTreeItem(tree, folderName);
            ASSERT_NE(target, nullptr) << folderName;
            SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(target));
        }
        E2e::PressButton(item, IDOK);
        ASSERT_TRUE(WaitGone(item));
    }
    static bool WaitRows(HWND list, int rows)
    {
        for (int i = 0; i < 200 && E2e::ListItemCount(list) != rows; ++i)
            Sleep(50);
        return E2e::ListItemCount(list) == rows;
    }
};

} // namespace

TEST_F(RuleDialogTest, RulesEditedInTheListAreInTheFileAndAChosenSetSortsTheFolder)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "会議のお知らせ 1", "その他", "会議のお知らせ 2" });
    CString trash = Folder(CFolderRecord::kindTrash).m_strName;
    int trashId = Folder(CFolderRecord::kindTrash).m_nId;
    HWND main = Start();
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_COMMAND, ID_TOOLS_FILTER_SETTINGS, 0);
    HWND rules = m_program.WaitForDialogWithControl(IDC_DIVIDEUP_LIST, kTimeout);
    ASSERT_NE(rules, nullptr);
    HWND list = GetDlgItem(rules, IDC_DIVIDEUP_LIST);
    ASSERT_TRUE(WaitRows(list, 1));  // the junk rule every mailbox starts with

    // Added, changed, moved to the top.
    E2e::PressButton(rules, IDC_DIVIDEUP_ADD);
    FillRule("会議", trash);
    ASSERT_TRUE(WaitRows(list, 2));
    EXPECT_EQ(E2e::ListItemText(list, 1, 2), "会議");
    EXPECT_EQ(E2e::ListItemText(list, 1, 7), trash);
    E2e::ListSelectItem(list, 1);
    E2e::PressButton(rules, IDC_DIVIDEUP_CHANGE);
    FillRule("会議のお知らせ", nullptr);
    E2e::PressButton(rules, IDC_DIVIDEUP_TOP);
    for (int i = 0; i < 100 && E2e::ListItemText(list, 0, 2) != "会議のお知らせ"; ++i)
        Sleep(50);
    EXPECT_EQ(E2e::ListItemText(list, 0, 2), "会議のお知らせ");

    // A rule added and deleted again; the junk rule cannot be deleted.
    E2e::PressButton(rules, IDC_DIVIDEUP_ADD);
    FillRule("不要", nullptr);
    ASSERT_TRUE(WaitRows(list, 3));
    E2e::ListSelectItem(list, 2);
    E2e::PressButton(rules, IDC_DIVIDEUP_DELETE);
    ASSERT_TRUE(WaitRows(list, 2));
    E2e::ListSelectItem(list, 1);
    E2e::PressButton(rules, IDC_DIVIDEUP_DELETE);
    HWND refusal = m_program.WaitForMessageBox("この設定は削除できません。", kTimeout);
    ASSERT_NE(refusal, nullptr);
    E2e::PressButton(refusal, IDOK);
    ASSERT_TRUE(WaitGone(refusal));
    EXPECT_EQ(E2e::ListItemCount(list), 2);

    E2e::PressButton(rules, IDOK);  // 保存: the dialog stays
    E2e::PressButton(rules, IDCANCEL);
    ASSERT_TRUE(WaitGone(rules));
    std::string file = TestSupport::ReadFileBytes(MailBox() + "\\Divideup.dat");
    std::string first = file.substr(0, file.find("\r\n"));
    EXPECT_EQ(first.find("Subject\t会議のお知らせ\t\t\t" + std::to_string(trashId) + "\t"), 0u) << file;
    EXPECT_NE(file.find("%GL$迷惑メール$%"), std::string::npos) << file;
    EXPECT_EQ(file.find("不要"), std::string::npos) << file;

    // The run asks for the mails and the rule set first.
    PostMessageA(main, WM_COMMAND, ID_RUN_FILTER_RULES, 0);
    HWND choice = m_program.WaitForDialogWithControl(IDC_EXEC_SET, kTimeout);
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(E2e::GetControlText(choice, IDC_EXEC_SET), "受信");
    SendMessageA(GetDlgItem(choice, IDC_EXEC_ALL), BM_CLICK, 0, 0);
    E2e::PressButton(choice, IDOK);
    ASSERT_TRUE(WaitGone(choice));
    Close(main);
    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (std::multiset<std::string>{ "その他" }));
    EXPECT_EQ(Stored(CFolderRecord::kindTrash), (std::multiset<std::string>{ "会議のお知らせ 1", "会議のお知らせ 2" }));
}
