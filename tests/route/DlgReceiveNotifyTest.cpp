// The receive notification dialog driven as a user works it: rows from
// "Notify.dat", adding, updating and deleting rules, and the file written
// when it closes.
#include "coreui/UiTestSupport.h"
#include "route/ListRows.h"
#include "resources/route/RouteResource.h"
#include "store/StoreTestUtil.h"
#include "transfer/DlgReceiveNotify.h"
#include "transfer/ReceiveNotifyDataSet.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;
using UiTest::Click;
using RouteTest::Rows;
using RouteTest::SelectRow;
using UiTest::RunModal;

namespace {

const char kNotify[] =
    "From\tboss@example.co.jp\t\t\tC:\\Sounds\\boss.wav\r\n"
    "Subject\t請求書\tX-SendAcount\t会社\tC:\\Sounds\\請求.wav\r\n";

std::string Text(HWND hDlg, int id)
{
    char text[260] = "";
    GetDlgItemTextA(hDlg, id, text, sizeof(text));
    return text;
}

void SetFields(HWND hDlg, const char* header1, const char* string1, const char* header2, const char* string2,
               const char* sound)
{
    SetDlgItemTextA(hDlg, IDC_RNOTIFY_HEADER1, header1);
    SetDlgItemTextA(hDlg, IDC_RNOTIFY_STRING1, string1);
    SetDlgItemTextA(hDlg, IDC_RNOTIFY_HEADER2, header2);
    SetDlgItemTextA(hDlg, IDC_RNOTIFY_STRING2, string2);
    SetDlgItemTextA(hDlg, IDC_RNOTIFY_SOUND, sound);
}

} // namespace

TEST(DlgReceiveNotify, EditsRulesAndWritesThemWhenClosed)
{
    TempDir dir;
    StoreTest::TestApp app(dir.Path());
    WriteFileBytes(app.GetNotifyPath(), kNotify);
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDOK);  // the message of the empty add
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    TestSupport::QueueMessageBoxAnswer(IDOK);

    struct Seen
    {
        std::vector<std::string> first, afterEmptyAdd, afterAdd, afterCancelledDelete, last;
        std::string header2, string2, sound;
    } seen;
    CDlgReceiveNotify dlg;
    RunModal(dlg, "受信通知", [&](HWND hDlg) {
        ASSERT_NE(hDlg, nullptr);
        HWND hList = GetDlgItem(hDlg, IDC_RNOTIFY_LIST);
        seen.first = Rows(hList, 5);
        // Selecting a row fills the fields from its rule.
        SelectRow(hList, 1);
        seen.header2 = Text(hDlg, IDC_RNOTIFY_HEADER2);
        seen.string2 = Text(hDlg, IDC_RNOTIFY_STRING2);
        seen.sound = Text(hDlg, IDC_RNOTIFY_SOUND);
        SelectRow(hList, -1);

        SetFields(hDlg, "", "text", "", "", "");
        Click(hDlg, IDC_RNOTIFY_ADD);
        seen.afterEmptyAdd = Rows(hList, 5);
        // Update without a selected row adds.
        SetFields(hDlg, "To-CC", "ml@example.jp", "", "", "D:\\音\\ml.wav");
        Click(hDlg, IDC_RNOTIFY_UPDATE);
        seen.afterAdd = Rows(hList, 5);

        SelectRow(hList, 1);
        SetFields(hDlg, "Subject", "見積書", "送信したアカウント", "会社", "C:\\Sounds\\見積.wav");
        Click(hDlg, IDC_RNOTIFY_UPDATE);
        // The first answer cancels the delete, the second confirms it.
        SelectRow(hList, 0);
        Click(hDlg, IDC_RNOTIFY_DELETE);
        seen.afterCancelledDelete = Rows(hList, 5);
        Click(hDlg, IDC_RNOTIFY_DELETE);
        seen.last = Rows(hList, 5);
        Click(hDlg, IDCANCEL);
    });
    EXPECT_EQ(seen.first, (std::vector<std::string>{ "From|boss@example.co.jp|||boss.wav",
                                                     "Subject|請求書|送信したアカウント|会社|請求.wav" }));
    EXPECT_EQ(seen.header2, "送信したアカウント");
    EXPECT_EQ(seen.string2, "会社");
    EXPECT_EQ(seen.sound, "C:\\Sounds\\請求.wav");
    EXPECT_EQ(seen.afterEmptyAdd, seen.first);
    ASSERT_EQ(seen.afterAdd.size(), 3u);
    EXPECT_EQ(seen.afterAdd[2], "To-CC|ml@example.jp|||ml.wav");
    EXPECT_EQ(seen.afterCancelledDelete.size(), 3u);
    EXPECT_EQ(seen.last, (std::vector<std::string>{ "Subject|見積書|送信したアカウント|会社|見積.wav",
                                                    "To-CC|ml@example.jp|||ml.wav" }));
    const std::vector<std::string>& messages = TestSupport::RecordedMessages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "ヘッダー項目と文字列を入力してください。");
    EXPECT_EQ(messages[1], "条件1 From:boss@example.co.jp\r\n条件2 :\r\nを削除しますか？");
    EXPECT_EQ(ReadFileBytes(app.GetNotifyPath()),
              "Subject\t見積書\tX-SendAcount\t会社\tC:\\Sounds\\見積.wav\r\n"
              "To-CC\tml@example.jp\t\t\tD:\\音\\ml.wav\r\n");
    // Receiving uses the rules as saved.
    EXPECT_EQ(app.GetNotifyRules()->GetRuleCount(), 2);
}
