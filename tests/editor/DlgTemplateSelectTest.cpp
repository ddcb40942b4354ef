#include "coreui/UiTestSupport.h"
#include "core/FileUtil.h"
#include "editor/DlgTemplateSelect.h"
#include "EditorTestUtil.h"
#include "resources/editor/EditorResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using EditorTest::S;
using UiTest::Click;
using UiTest::RunModal;

namespace {

std::string Text(HWND hWnd)
{
    char text[256] = "";
    GetWindowTextA(hWnd, text, sizeof(text));
    return text;
}

std::string SelectedRow(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_TS_LIST);
    LRESULT sel = SendMessageA(hList, LB_GETCURSEL, 0, 0);
    char text[256] = "";
    if (sel != LB_ERR)
        SendMessageA(hList, LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text));
    return text;
}

void SelectRow(HWND hDlg, const char* name)
{
    SendDlgItemMessageA(hDlg, IDC_TS_LIST, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
}

struct Templates
{
    EditorTest::Mailbox box;
    Templates()
    {
        for (const char* name : {"会議", "notes.txt", "お礼"})
            TestSupport::WriteFileBytes(GetTemplateFilePath(name), std::string("Subject: ") + name + "\r\n\r\n");
    }
};

std::vector<std::string> g_edited;

bool RecordingEditor(CWnd*, const char* pszName, CString& saved)
{
    g_edited.push_back(pszName);
    saved = pszName;
    return true;
}

} // namespace

TEST(DlgTemplateSelect, ChoosingForAReplyRemembersTheChoice)
{
    Templates t;
    t.box.app->WriteProfileString("Setting", "TemplateSelect", "NOTE");
    struct Seen
    {
        std::string selected;
        bool checkShown = false, checked = false, addEnabled = true;
    } seen;
    CDlgTemplateSelect dlg(0);
    INT_PTR result = RunModal(dlg, "テンプレートの選択", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.selected = SelectedRow(hDlg);
        seen.checkShown = IsWindowVisible(GetDlgItem(hDlg, IDC_TS_ALL)) != FALSE;
        seen.checked = IsDlgButtonChecked(hDlg, IDC_TS_ALL) == BST_CHECKED;
        seen.addEnabled = IsWindowEnabled(GetDlgItem(hDlg, IDC_TS_ADD)) != FALSE;
        SendDlgItemMessageA(hDlg, IDC_TS_ALL, BM_CLICK, 0, 0);
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.selected, "notes.txt");  // the first name beginning with the last choice
    EXPECT_TRUE(seen.checkShown);
    EXPECT_TRUE(seen.checked);
    EXPECT_TRUE(seen.addEnabled);  // the template edit dialog is the editor
    EXPECT_STREQ(dlg.m_strPath, GetTemplateFilePath("notes.txt"));
    EXPECT_FALSE(dlg.m_bReplyAll);
    EXPECT_EQ(t.box.app->GetProfileInt("Setting", "TemplateReturnTo", 1), 0);
    EXPECT_STREQ(t.box.app->GetProfileString("Setting", "TemplateSelect", ""), "notes.txt");

    // For a new mail the check is hidden.
    CDlgTemplateSelect fresh(2);
    bool checkShown = true;
    RunModal(fresh, "テンプレートの選択", [&](HWND hDlg) {
        checkShown = IsWindowVisible(GetDlgItem(hDlg, IDC_TS_ALL)) != FALSE;
        Click(hDlg, IDCANCEL);
    });
    EXPECT_FALSE(checkShown);
}

TEST(DlgTemplateSelect, ManagingCopiesDeletesAndEdits)
{
    Templates t;
    g_edited.clear();
    CDlgTemplateSelect::TemplateEditor old = CDlgTemplateSelect::SetTemplateEditor(RecordingEditor);
    TestSupport::ClearMessages();
    struct Seen
    {
        std::string closeText, afterCopy, afterRefusedCopy;
        bool okShown = true;
        int countAfterDelete = -1;
    } seen;
    CDlgTemplateSelect dlg(1);
    RunModal(dlg, "テンプレートの編集", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.closeText = Text(GetDlgItem(hDlg, IDCANCEL));
        seen.okShown = IsWindowVisible(GetDlgItem(hDlg, IDOK)) != FALSE;
        const DWORD thread = GetWindowThreadProcessId(hDlg, nullptr);
        auto copyAs = [&](const char* name) {
            SelectRow(hDlg, "会議");
            PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_TS_COPY, BN_CLICKED), 0);
            HWND hName = UiTest::WaitForDialog(thread, "名前の入力", 5000);
            if (!hName)
                return;
            SetDlgItemTextA(hName, IDC_INPUT_NAME, name);
            PostMessageA(hName, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            for (int i = 0; i < 100 && IsWindow(hName); ++i)
                Sleep(20);
            Sleep(100);
        };
        TestSupport::QueueMessageBoxAnswer(IDNO);
        copyAs("お礼");  // exists: refused
        seen.afterRefusedCopy = SelectedRow(hDlg);
        copyAs("会議2");
        seen.afterCopy = SelectedRow(hDlg);
        Click(hDlg, IDC_TS_DELETE);
        seen.countAfterDelete = static_cast<int>(SendDlgItemMessageA(hDlg, IDC_TS_LIST, LB_GETCOUNT, 0, 0));
        SelectRow(hDlg, "お礼");
        Click(hDlg, IDC_TS_EDIT);
        Click(hDlg, IDC_TS_ADD);
        Click(hDlg, IDCANCEL);
    });
    CDlgTemplateSelect::SetTemplateEditor(old);
    EXPECT_EQ(seen.closeText, "閉じる");
    EXPECT_FALSE(seen.okShown);
    EXPECT_EQ(seen.afterRefusedCopy, "会議");
    EXPECT_EQ(TestSupport::ReadFileBytes(GetTemplateFilePath("お礼")), "Subject: お礼\r\n\r\n");
    EXPECT_EQ(seen.afterCopy, "会議2");
    EXPECT_EQ(seen.countAfterDelete, 3);
    EXPECT_FALSE(FileExists(GetTemplateFilePath("会議2")));
    EXPECT_EQ(g_edited, (std::vector<std::string>{"お礼", ""}));
    const auto& messages = TestSupport::RecordedMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0], "既に同名のテンプレートが登録されています。\r\n上書きしてもよろしいですか？");
    EXPECT_EQ(messages.back(), "[会議2]を削除してもよろしいですか？");
}
