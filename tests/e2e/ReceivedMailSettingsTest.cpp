// Basic settings that shape what a receive leaves, set in the settings
// dialog as a user sets them: the temporary folder, under which the receive
// makes the inbox's work folder, and the text body of a mail sent as HTML
// only, which search finds and a reply quotes while the option is on.
#include "e2e/AccountPages.h"
#include "e2e/MaintFixture.h"
#include "e2e/TestAccount.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/search/SearchResource.h"
#include "resources/settings/SettingsResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

class ReceivedMailSettingsTest : public MaintE2e::CMailBoxTest
{
protected:
    void SetUp() override { CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot"); }
    void TearDown() override
    {
        if (m_main)
            E2e::CloseWhenTransfersEnd(m_program, m_main);
        m_program.Kill();
    }
    // A mailbox with the account of the test user, the program started on it.
    void StartWithAccount(int nUser)
    {
        NetTest::ClearMaildir(nUser);
        ASSERT_NO_FATAL_FAILURE(MakeMailBox());
        ASSERT_TRUE(E2e::WriteTestAccount(MailBox(), nUser));
        m_main = Start();
        ASSERT_NE(m_main, nullptr);
        m_list = E2e::FindDescendant(m_main, "SysListView32");
        ASSERT_NE(m_list, nullptr);
    }
    int FinishedReceives()
    {
        std::string log = TestSupport::ReadFileBytes(MailBox() + "\\$$Receive.Log");
        int n = 0;
        for (size_t at = log.find("\t正常に終了しました。\t"); at != std::string::npos; at = log.find("\t正常に終了しました。\t", at + 1))
            ++n;
        return n;
    }
    // Receives into the shown inbox until it lists that many mails and the
    // receive has ended.
    void Receive(int nRows)
    {
        int before = FinishedReceives();
        PostMessageA(m_main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
        ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(m_list) == nRows; }, 60000))
            << E2e::ListItemCount(m_list);
        ASSERT_TRUE(WaitFor([&] { return FinishedReceives() > before; }, 30000));
    }
    // The basic settings dialog on the page that holds the control; the
    // dialog, and the control in ctl.
    HWND BasicSettingsPage(int nControl, HWND& ctl)
    {
        PostMessageA(m_main, WM_COMMAND, ID_TOOLS_BASIC_SETTINGS, 0);
        HWND dialog = m_program.WaitForWindow("#32770", "基本設定", 20000);
        HWND page = dialog ? E2e::ShowAccountPage(dialog, nControl) : nullptr;
        ctl = page ? GetDlgItem(page, nControl) : nullptr;
        return ctl ? dialog : nullptr;
    }
    void ConfirmSettings(HWND dialog)
    {
        E2e::PressButton(dialog, IDOK);
        ASSERT_TRUE(WaitGone(dialog));
    }
    // The subjects a search window finds for a word of the body in every
    // receiving folder.
    std::multiset<std::string> Search(const char* word)
    {
        std::multiset<std::string> found;
        HWND dlg = m_program.WaitForWindow("#32770", "メールの検索", 0);
        if (!dlg) {
            PostMessageA(m_main, WM_COMMAND, ID_MAIL_SEARCH, 0);
            dlg = m_program.WaitForWindow("#32770", "メールの検索", 15000);
        }
        EXPECT_NE(dlg, nullptr);
        if (!dlg)
            return found;
        E2e::SetControlText(dlg, IDC_SEARCH_BODY, word);
        E2e::SetControlText(dlg, IDC_SEARCH_STATUS, "");
        E2e::PressButton(dlg, IDOK);
        EXPECT_TRUE(WaitFor([&] { return E2e::GetControlText(dlg, IDC_SEARCH_STATUS).Find(" 件") > 0; }));
        HWND rows = E2e::FindDescendant(dlg, "SysListView32", IDC_SEARCH_RESULT_LIST);
        for (int r = 0; r < E2e::ListItemCount(rows); ++r)
            found.insert(E2e::ListItemText(rows, r, 1).Str());
        return found;
    }
    // The body of the reply editor opened for the mail, which is then closed.
    std::string ReplyBody(const char* subject)
    {
        HWND editor = nullptr;
        EXPECT_TRUE(RowCommand(m_main, m_list, subject, ID_MAIL_REPLY, [&] {
            return (editor = m_program.WaitForWindow("CVMEditWndClass", nullptr, 0)) != nullptr;
        })) << E2e::VisibleWindows(m_program.ProcessId());
        if (!editor)
            return std::string();
        HWND view = GetDlgItem(editor, 0xE900);
        std::string body = E2e::GetControlText(view, IDC_ME_BODY).Str();
        PostMessageA(editor, WM_CLOSE, 0, 0);
        WaitFor([&] {
            if (HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 0))
                E2e::PressButton(prompt, IDC_SC_DISCARD);
            return !IsWindow(editor) || !IsWindowVisible(editor);
        });
        return body;
    }

    HWND m_main = nullptr;
    HWND m_list = nullptr;
};

std::string HtmlMail(const char* subject, const char* id, const char* word)
{
    return std::string("From: Sato <sato@example.jp>\r\nTo: me@example.jp\r\nSubject: ") + subject +
           "\r\nMessage-ID: <" + id + "@example.jp>\r\nMIME-Version: 1.0\r\n"
           "Content-Type: text/html; charset=UTF-8\r\n\r\n"
           "<html><body><p>\xE4\xBC\x9A\xE8\xAD\xB0 " + word + "</p></body></html>\r\n";
}

} // namespace

TEST_F(ReceivedMailSettingsTest, TheTemporaryFolderSetInTheDialogTakesTheInboxWorkFolderOfTheNextReceive)
{
    const int user = 141;
    ASSERT_NO_FATAL_FAILURE(StartWithAccount(user));
    NetTest::DeliverMail(user, "From: sato@example.jp\r\nSubject: work\r\nMessage-ID: <work1@example.jp>\r\n\r\nbody\r\n");
    const CString work = m_dir.File("Work");
    HWND path = nullptr;
    HWND dialog = BasicSettingsPage(IDC_SET_TEMP_FOLDER_PATH, path);
    ASSERT_NE(dialog, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    E2e::SetControlText(GetParent(path), IDC_SET_TEMP_FOLDER_PATH, work);
    ASSERT_NO_FATAL_FAILURE(ConfirmSettings(dialog));
    EXPECT_FALSE(TestSupport::FileExists(work + "\\In.Box"));

    ASSERT_NO_FATAL_FAILURE(Receive(1));
    EXPECT_TRUE(TestSupport::FileExists(work + "\\In.Box"));
    EXPECT_EQ(E2e::ListItemText(m_list, 0, 1), "work");
}

TEST_F(ReceivedMailSettingsTest, AnHtmlOnlyMailHasATextBodyToSearchAndQuoteOnlyWithTheOption)
{
    const int user = 142;
    ASSERT_NO_FATAL_FAILURE(StartWithAccount(user));
    NetTest::DeliverMail(user, HtmlMail("html on", "on1", "alphaword"));
    ASSERT_NO_FATAL_FAILURE(Receive(1));
    EXPECT_EQ(Search("alphaword"), (std::multiset<std::string>{"html on"}));
    EXPECT_NE(ReplyBody("html on").find("alphaword"), std::string::npos);

    // The option off in the dialog: the next mail's HTML gives no body.
    HWND box = nullptr;
    HWND dialog = BasicSettingsPage(IDC_SET_CREATE_MAIL_BODY_FROM_HTML, box);
    ASSERT_NE(dialog, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    ASSERT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(box, BM_CLICK, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ConfirmSettings(dialog));
    NetTest::DeliverMail(user, HtmlMail("html off", "off1", "betaword"));
    ASSERT_NO_FATAL_FAILURE(Receive(2));
    EXPECT_TRUE(Search("betaword").empty());
    EXPECT_EQ(ReplyBody("html off").find("betaword"), std::string::npos);
}
