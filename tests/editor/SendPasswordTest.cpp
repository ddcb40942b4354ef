// The kept send passwords and the dialogs that manage and ask for them.
#include "coreui/UiTestSupport.h"
#include "core/FileUtil.h"
#include "core/PasswordScrambler.h"
#include "editor/DlgCVMPasswordInput.h"
#include "editor/DlgInputZipPassword.h"
#include "editor/DlgSendPasswordList.h"
#include "editor/SendPassData.h"
#include "EditorTestUtil.h"
#include "resources/attach/AttachResource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using EditorTest::S;
using UiTest::Click;
using UiTest::RunModal;

namespace {

void Store(const std::vector<std::pair<std::string, std::string>>& entries)
{
    CSendPassData data;
    data.SetFilePath(CSendPassData::DefaultFilePath());
    for (const auto& e : entries) {
        auto* r = static_cast<CSendPassRecord*>(data.CreateNewRecord());
        r->m_strName = e.first.c_str();
        r->m_strPassword = e.second.c_str();
    }
    ASSERT_TRUE(data.WriteToFile());
}

std::vector<std::string> Names()
{
    CSendPassData data;
    data.SetFilePath(CSendPassData::DefaultFilePath());
    data.ReadFromFile(TRUE);
    std::vector<std::string> names;
    for (int i = 0; i < data.GetRecordCount(TRUE); ++i)
        names.push_back(S(data.GetPassword(i)->m_strName) + "=" + S(data.GetPassword(i)->m_strPassword));
    return names;
}

// The name and password dialog open on the thread, or null.
HWND InputDialogOf(DWORD thread)
{
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND h, LPARAM l) {
            if (IsWindowVisible(h) && GetDlgItem(h, IDC_CPI_NAME)) {
                *reinterpret_cast<HWND*>(l) = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void SetText(HWND hDlg, int id, const char* text)
{
    SetDlgItemTextA(hDlg, id, text);
}

} // namespace

TEST(SendPassData, RoundTripsScrambledAndMovesRecords)
{
    EditorTest::Mailbox box;
    Store({{"取引先", "trade"}, {"家族", "ソース"}, {"友人", "x"}});
    std::string file = TestSupport::ReadFileBytes(CSendPassData::DefaultFilePath());
    EXPECT_EQ(file.find("ソース"), std::string::npos);  // kept scrambled
    EXPECT_EQ(file.find("取引先\t"), 0u);
    CSendPassData data;
    data.SetFilePath(CSendPassData::DefaultFilePath());
    ASSERT_TRUE(data.ReadFromFile(TRUE));
    EXPECT_TRUE(data.HasName("家族"));
    EXPECT_FALSE(data.HasName("家"));
    data.MoveRecord(data.GetPassword(2), true);
    data.MoveRecord(data.GetPassword(0), true);  // the first stays first
    data.MoveRecord(data.GetPassword(2), false);  // the last stays last
    ASSERT_TRUE(data.WriteToFile());
    EXPECT_EQ(Names(), (std::vector<std::string>{"取引先=trade", "友人=x", "家族=ソース"}));
    EXPECT_EQ(data.GetPassword(1)->m_nIndex, 1);

    // A missing file is an empty list.
    DeleteFileA(CSendPassData::DefaultFilePath());
    EXPECT_TRUE(Names().empty());
}

TEST(DlgInputZipPassword, NamesGiveTheirPasswordsTypedTextIsItselfAndTheNoteGoesAfterTenTimes)
{
    EditorTest::Mailbox box;
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    Store({{"取引先", "trade-pw"}});
    box.app->WriteProfileInt("Etc", "ZipPasswordInputCount", 9);

    CDlgInputZipPassword chosen;
    EXPECT_TRUE(chosen.IsLongForm());
    bool noteShown = false;
    EXPECT_EQ(RunModal(chosen, "暗号化パスワードの入力",
                       [&](HWND hDlg) {
                           noteShown = GetDlgItem(hDlg, IDC_ZP_NOTE) != nullptr;
                           Click(hDlg, IDOK);  // empty: refused
                           SendDlgItemMessageA(hDlg, IDC_ZP_PASSWORD, CB_SETCURSEL, 0, 0);
                           Click(hDlg, IDOK);
                       }),
              IDOK);
    EXPECT_TRUE(noteShown);
    EXPECT_EQ(S(chosen.m_strPassword), "trade-pw");
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0], "暗号化のパスワードを入力してください。");

    // The eleventh question is the short form; the count stays at 10.
    CDlgInputZipPassword typed;
    EXPECT_FALSE(typed.IsLongForm());
    EXPECT_EQ(box.app->GetProfileInt("Etc", "ZipPasswordInputCount", 0), 10);
    noteShown = true;
    RunModal(typed, "暗号化パスワードの入力", [&](HWND hDlg) {
        noteShown = GetDlgItem(hDlg, IDC_ZP_NOTE) != nullptr;
        SetText(hDlg, IDC_ZP_PASSWORD, "typed pw");
        Click(hDlg, IDOK);
    });
    EXPECT_FALSE(noteShown);
    EXPECT_EQ(S(typed.m_strPassword), "typed pw");
    EXPECT_EQ(box.app->GetProfileInt("Etc", "ZipPasswordInputCount", 0), 10);

    // Cancelling is confirmed; No keeps the question open.
    CDlgInputZipPassword cancelled;
    bool stillOpen = false;
    TestSupport::QueueMessageBoxAnswer(IDNO);
    TestSupport::QueueMessageBoxAnswer(IDYES);
    EXPECT_EQ(RunModal(cancelled, "暗号化パスワードの入力",
                       [&](HWND hDlg) {
                           Click(hDlg, IDCANCEL);
                           stillOpen = IsWindow(hDlg) && IsWindowVisible(hDlg);
                           Click(hDlg, IDCANCEL);
                       }),
              IDCANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(TestSupport::RecordedMessages().back(),
              "パスワードをキャンセルすると、添付ファイルは暗号化されません。\r\nよろしいですか？");
}

TEST(DlgCVMPasswordInput, RefusesEmptyDuplicateAndUnconfirmedPasswords)
{
    EditorTest::Mailbox box;
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    Store({{"取引先", "a"}});
    CSendPassData data;
    data.SetFilePath(CSendPassData::DefaultFilePath());
    data.ReadFromFile(TRUE);
    CDlgCVMPasswordInput dlg(&data);
    EXPECT_EQ(RunModal(dlg, "暗号化パスワードの設定",
                       [&](HWND hDlg) {
                           SetText(hDlg, IDC_CPI_NAME, "取引先");
                           Click(hDlg, IDOK);  // no password
                           SetText(hDlg, IDC_CPI_PASSWORD, "new");
                           Click(hDlg, IDOK);  // the name is taken
                           SetText(hDlg, IDC_CPI_NAME, "");
                           SetText(hDlg, IDC_CPI_CONFIRM, "nwe");
                           Click(hDlg, IDOK);  // confirmation differs
                           SetText(hDlg, IDC_CPI_CONFIRM, "new");
                           Click(hDlg, IDOK);  // an empty name is accepted
                       }),
              IDOK);
    EXPECT_EQ(TestSupport::RecordedMessages(),
              (std::vector<std::string>{"暗号化のパスワードを入力してください。",
                                        "同名のデータは登録できません。\r\nパスワード名を変更してください。",
                                        "パスワードが一致していません。"}));
    EXPECT_EQ(S(dlg.m_strPassword), "new");
    EXPECT_TRUE(dlg.m_strName.IsEmpty());
}

TEST(DlgSendPasswordList, AddsMovesAndKeepsTheModeAndDefaultPassword)
{
    EditorTest::Mailbox box;
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    Store({{"one", "1"}, {"two", "2"}});
    struct Seen
    {
        bool listEnabledInAsk = false, defaultEnabledInAsk = true, listEnabledInDefault = true;
        int selectedAfterAdd = -1;
    } seen;
    CDlgSendPasswordList dlg;
    RunModal(dlg, "暗号化パスワードの設定", [&](HWND hDlg) {
        const DWORD thread = GetWindowThreadProcessId(hDlg, nullptr);
        seen.listEnabledInAsk = IsWindowEnabled(GetDlgItem(hDlg, IDC_SPL_LIST)) != FALSE;
        seen.defaultEnabledInAsk = IsWindowEnabled(GetDlgItem(hDlg, IDC_SPL_DEFAULT)) != FALSE;
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_SPL_ADD, BN_CLICKED), 0);
        HWND input = nullptr;
        for (int i = 0; i < 250 && !input; ++i) {
            Sleep(20);
            input = InputDialogOf(thread);
        }
        if (!input)
            return;
        SetText(input, IDC_CPI_NAME, "three");
        SetText(input, IDC_CPI_PASSWORD, "3");
        SetText(input, IDC_CPI_CONFIRM, "3");
        PostMessageA(input, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 150 && IsWindow(input); ++i)
            Sleep(20);
        Sleep(100);
        seen.selectedAfterAdd = static_cast<int>(SendDlgItemMessageA(hDlg, IDC_SPL_LIST, LB_GETCURSEL, 0, 0));
        Click(hDlg, IDC_SPL_UP);
        Click(hDlg, IDC_SPL_UP);
        Click(hDlg, IDC_SPL_UP);  // already first
        SendDlgItemMessageA(hDlg, IDC_SPL_MODE_DEFAULT, BM_CLICK, 0, 0);
        seen.listEnabledInDefault = IsWindowEnabled(GetDlgItem(hDlg, IDC_SPL_LIST)) != FALSE;
        SetText(hDlg, IDC_SPL_DEFAULT, "ソース pw");
        SendDlgItemMessageA(hDlg, IDC_SPL_PROTECT, BM_CLICK, 0, 0);
        Click(hDlg, IDOK);
    });
    EXPECT_TRUE(seen.listEnabledInAsk);
    EXPECT_FALSE(seen.defaultEnabledInAsk);
    EXPECT_FALSE(seen.listEnabledInDefault);
    EXPECT_EQ(seen.selectedAfterAdd, 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"three=3", "one=1", "two=2"}));
    EXPECT_EQ(box.app->GetProfileInt("Setting", "CorvanePasswordMode", 0), 1);
    EXPECT_EQ(box.app->GetProfileInt("Setting", "ProtectPasswordCVMSetting", 1), 0);
    EXPECT_EQ(box.app->GetProfileInt("Setting", "SaveCorvanePassword", 1), 0);
    CString stored = box.app->GetProfileString("Setting", "CorvaneDefaultPassword", "");
    EXPECT_NE(S(stored), "ソース pw");
    CPasswordScrambler scrambler;
    EXPECT_EQ(S(scrambler.Unscramble(stored)), "ソース pw");
}
