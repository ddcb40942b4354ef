// The editor window's commands as a user reaches them: every command its
// menu, keys, context menu and toolbars bind has a handler; the keys of the
// editor do their work (replace, go to line, template, signature and
// Reply-To boxes, the source mail, the context menu); and the sending
// account chosen in the toolbar's box is the sender of the mail that
// arrives at the test Dovecot.
#include "classlib/CommandState.h"
#include "e2e/CommandCoverage.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/TestAccount.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/KeysResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/shownmail/ShownMailResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const UINT kMainToolBarId = 0xE800;
const UINT kFormatToolBarId = 0xE803;
const UINT kStatusBarId = 0xE801;

class EditorCommandsTest : public ::testing::Test
{
protected:
    // A mailbox with the test account; the program runs and one new editor is open.
    HWND StartWithEditor(int nUser, const char* pszSettings = "")
    {
        if (!m_session.Prepare(nUser, pszSettings))
            return nullptr;
        m_main = m_session.Start();
        if (!m_main)
            return nullptr;
        PostMessageA(m_main, WM_COMMAND, ID_MAIL_NEW, 0);
        if (!m_session.WaitForEditorCount(1))
            return nullptr;
        m_editor = m_session.Editors()[0];
        m_view = CEditorSession::ViewOf(m_editor);
        return m_editor;
    }
    void TearDown() override
    {
        if (m_editor && IsWindow(m_editor)) {
            PostMessageA(m_editor, WM_CLOSE, 0, 0);
            if (HWND prompt = m_session.Program().WaitForDialogWithControl(IDC_SC_DISCARD, 3000))
                E2e::PressButton(prompt, IDC_SC_DISCARD);
            m_session.WaitForEditorCount(0);
        }
        if (m_main)
            m_session.Close(m_main);
    }
    HWND Body() const { return GetDlgItem(m_view, IDC_ME_BODY); }
    // The body's text with its line ends as LF alone.
    CString BodyText() const
    {
        CString text = E2e::GetControlText(m_view, IDC_ME_BODY);
        text.Remove('\r');
        return text;
    }
    bool FocusBody() { return CEditorSession::FocusBody(m_editor); }
    // The buttons of a toolbar of the editor as the window shows them.
    std::vector<E2e::CommandBinding> ToolBarButtons(UINT nBarId) const
    {
        std::vector<E2e::CommandBinding> out;
        HWND bar = GetDlgItem(m_editor, static_cast<int>(nBarId));
        if (!bar)
            return out;
        for (const E2e::ToolBarButton& b : E2e::ToolBarButtons(bar)) {
            CString where;
            where.Format("toolbar %u button %d", nBarId, b.index);
            out.push_back({static_cast<UINT>(b.button.idCommand), where});
        }
        return out;
    }
    HWND WaitDialog(int nControlId) { return m_session.Program().WaitForDialogWithControl(nControlId, 10000); }
    void CloseDialog(HWND dialog, int nButton)
    {
        ASSERT_NE(dialog, nullptr) << m_session.Windows();
        E2e::PressButton(dialog, nButton);
        EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, dialog));
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
    HWND m_main = nullptr;
    HWND m_editor = nullptr;
    HWND m_view = nullptr;
};

} // namespace

TEST_F(EditorCommandsTest, EveryCommandOfTheMenuKeysContextMenuAndToolbarsHasAHandler)
{
    ASSERT_NE(StartWithEditor(113), nullptr) << m_session.Windows();
    E2e::CProgramResources resources;
    ASSERT_TRUE(resources.IsLoaded());
    std::vector<E2e::CommandBinding> bindings = resources.MenuCommands(IDR_MAILEDIT);
    const size_t menuCount = bindings.size();
    for (auto part : {resources.MenuCommands(IDR_EDIT_CONTEXT), resources.KeyCommands(IDR_EDITOR_ACCEL),
                      ToolBarButtons(kMainToolBarId), ToolBarButtons(kFormatToolBarId)}) {
        EXPECT_FALSE(part.empty());
        bindings.insert(bindings.end(), part.begin(), part.end());
    }
    EXPECT_GT(menuCount, 40u);
    std::string report;
    std::vector<CString> missing = E2e::UnhandledCommands(m_editor, bindings, "new mail");
    for (const CString& line : missing)
        report += line.Str() + "\n";
    EXPECT_TRUE(missing.empty()) << missing.size() << " bindings without a handler:\n" << report;

    // The enable rules as the menu shows them: no job runs, so send is on
    // and cancelling it is off; the format commands wait for HTML mail.
    EXPECT_EQ(E2e::QueryCommandState(m_editor, ID_EDIT_SEND), kCommandHandled | kCommandEnabled);
    EXPECT_EQ(E2e::QueryCommandState(m_editor, ID_EDIT_SEND_CANCEL), kCommandHandled);
    EXPECT_EQ(E2e::QueryCommandState(m_editor, ID_HTML_BOLD), kCommandHandled);

    // The account box sits on the main toolbar and names the account; the
    // format toolbar is hidden for a text mail; the compact box shows.
    HWND toolbar = GetDlgItem(m_editor, kMainToolBarId);
    HWND accounts = E2e::FindDescendant(toolbar, "ComboBox", IDC_ME_ACCOUNT);
    ASSERT_NE(accounts, nullptr);
    EXPECT_EQ(E2e::GetWindowTextOf(accounts), CString("テスト"));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_editor, kFormatToolBarId)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_view, IDC_ME_COMPACT)));
}

// Alt+R opens the replace dialog on the body; "すべて置換" with match case
// replaces every hit of that case and leaves the others, and the mail
// counts as changed (closing it asks whether to save).
TEST_F(EditorCommandsTest, AltRReplacesEveryHitInTheBody)
{
    ASSERT_NE(StartWithEditor(114), nullptr) << m_session.Windows();
    E2e::SetControlText(m_view, IDC_ME_BODY, "cat and Cat\r\nanother cat");
    // Saved, the mail holds no change until the replacement makes one.
    PostMessageA(m_editor, WM_COMMAND, ID_EDIT_SAVE, 0);
    ASSERT_TRUE(E2e::WaitUntil(15000, [](void* p) {
        return static_cast<CEditorSession*>(p)->StoredMails(CFolderRecord::kindWriting).size() == 1;
    }, &m_session)) << m_session.Windows();
    ASSERT_TRUE(FocusBody());
    CEditorSession::PressKey({VK_MENU}, 'R');
    HWND dialog = WaitDialog(IDC_REPLACE_FIND);
    ASSERT_NE(dialog, nullptr) << m_session.Windows();
    E2e::SetControlText(dialog, IDC_REPLACE_FIND, "cat");
    E2e::SetControlText(dialog, IDC_REPLACE_WITH, "犬");
    SendMessageA(GetDlgItem(dialog, IDC_FIND_MATCH_CASE), BM_SETCHECK, BST_CHECKED, 0);
    E2e::PressButton(dialog, IDC_REPLACE_ALL);
    CloseDialog(dialog, IDCANCEL);
    EXPECT_EQ(BodyText(), CString("犬 and Cat\nanother 犬"));

    PostMessageA(m_editor, WM_CLOSE, 0, 0);
    HWND prompt = WaitDialog(IDC_SC_DISCARD);
    ASSERT_NE(prompt, nullptr) << "the replaced text is a change";
    CloseDialog(prompt, IDC_SC_DISCARD);
}

// Ctrl+G asks a line number and puts the caret at that line's start, -1
// at the end of the body and 0 at its start, as the status bar's line and
// column show.
TEST_F(EditorCommandsTest, CtrlGMovesTheCaretToTheLineAsked)
{
    ASSERT_NE(StartWithEditor(115), nullptr) << m_session.Windows();
    E2e::SetControlText(m_view, IDC_ME_BODY, "one\r\ntwo\r\nthree\r\nfour");
    HWND status = GetDlgItem(m_editor, kStatusBarId);
    const struct
    {
        const char* typed;
        const char* shown;
    } cases[] = { { "3", " 3行、0列" }, { "-1", " 4行、4列" }, { "0", " 1行、0列" } };
    for (const auto& c : cases) {
        ASSERT_TRUE(FocusBody());
        CEditorSession::PressKey({VK_CONTROL}, 'G');
        HWND dialog = WaitDialog(IDC_GOTO_LINE_NUMBER);
        ASSERT_NE(dialog, nullptr) << m_session.Windows();
        E2e::SetControlText(dialog, IDC_GOTO_LINE_NUMBER, c.typed);
        CloseDialog(dialog, IDOK);
        struct Wait
        {
            HWND status;
            const char* shown;
        } wait = { status, c.shown };
        EXPECT_TRUE(E2e::WaitUntil(5000, [](void* p) {
            auto* w = static_cast<Wait*>(p);
            return E2e::StatusBarText(w->status, 4) == CString(w->shown);
        }, &wait)) << c.typed << ": " << E2e::StatusBarText(status, 4).GetString();
    }
}

// Alt+I drops the signature list down and Alt+L the Reply-To list; Alt+M
// on a new mail says there is no source mail; the context-menu key opens
// the body's menu.
TEST_F(EditorCommandsTest, KeysDropTheBoxesDownAndOpenTheSourceMailAndTheContextMenu)
{
    ASSERT_NE(StartWithEditor(116), nullptr) << m_session.Windows();
    struct BoxKey
    {
        BYTE key;
        int box;
    };
    for (const BoxKey& c : {BoxKey{'I', IDC_ME_SIGN}, BoxKey{'L', IDC_ME_REPLYTO}}) {
        ASSERT_TRUE(FocusBody());
        CEditorSession::PressKey({VK_MENU}, c.key);
        HWND box = GetDlgItem(m_view, c.box);
        EXPECT_TRUE(E2e::WaitUntil(5000, [](void* p) {
            return SendMessageA(static_cast<HWND>(p), CB_GETDROPPEDSTATE, 0, 0) != 0;
        }, box)) << "Alt+" << c.key;
        SendMessageA(box, CB_SHOWDROPDOWN, FALSE, 0);
    }

    ASSERT_TRUE(FocusBody());
    CEditorSession::PressKey({VK_MENU}, 'M');
    HWND box = m_session.Program().WaitForMessageBox("編集元のメールが見つかりませんでした。", 10000);
    ASSERT_NE(box, nullptr) << m_session.Windows();
    CloseDialog(box, IDOK);

    ASSERT_TRUE(FocusBody());
    CEditorSession::PressKey({VK_SHIFT}, VK_F10);
    HWND menu = m_session.Program().WaitForPopupMenu(10000);
    EXPECT_NE(menu, nullptr) << m_session.Windows();
    CEditorSession::PressKey({}, VK_ESCAPE);
}

// Ctrl+T inserts the chosen template at the caret; Ctrl+Alt+M puts the
// chosen signature there too.
TEST_F(EditorCommandsTest, CtrlTAndCtrlAltMInsertTemplateAndSignatureAtTheCaret)
{
    CString mailBox = m_session.MailBox();
    CreateDirectoryA(m_dir.Path() + "\\MailBox", nullptr);
    CreateDirectoryA(mailBox + "\\Template.Box", nullptr);
    TestSupport::WriteFileBytes(mailBox + "\\Template.Box\\挨拶.txt", "\r\nいつもお世話になっております。\r\n");
    CreateDirectoryA(mailBox + "\\Signature.Box", nullptr);
    TestSupport::WriteFileBytes(mailBox + "\\Signature.Box\\work.sig", "--\r\nYamada\r\n");
    ASSERT_NE(StartWithEditor(117), nullptr) << m_session.Windows();

    E2e::SetControlText(m_view, IDC_ME_BODY, "");
    ASSERT_TRUE(FocusBody());
    CEditorSession::PressKey({VK_CONTROL}, 'T');
    HWND choice = WaitDialog(IDC_TS_LIST);
    ASSERT_NE(choice, nullptr) << m_session.Windows();
    SendMessageA(GetDlgItem(choice, IDC_TS_LIST), LB_SETCURSEL, 0, 0);
    CloseDialog(choice, IDOK);
    EXPECT_TRUE(E2e::WaitUntil(5000, [](void* p) {
        return E2e::GetControlText(static_cast<HWND>(p), IDC_ME_BODY).Find("いつもお世話になっております。") >= 0;
    }, m_view)) << E2e::GetControlText(m_view, IDC_ME_BODY).GetString();

    HWND sign = GetDlgItem(m_view, IDC_ME_SIGN);
    int work = static_cast<int>(SendMessageA(sign, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>("work")));
    ASSERT_GE(work, 0);
    SendMessageA(sign, CB_SETCURSEL, static_cast<WPARAM>(work), 0);
    ASSERT_TRUE(FocusBody());
    SendMessageA(Body(), EM_SETSEL, 0, 0);
    CEditorSession::PressKey({VK_CONTROL, VK_MENU}, 'M');
    EXPECT_TRUE(E2e::WaitUntil(5000, [](void* p) {
        CString body = E2e::GetControlText(static_cast<HWND>(p), IDC_ME_BODY);
        return body.Find("Yamada") >= 0 && body.Find("Yamada") < body.Find("いつも");
    }, m_view)) << E2e::GetControlText(m_view, IDC_ME_BODY).GetString();
}

// Two accounts: the second one, chosen in the toolbar's account box, sends
// the mail, and the recipient sees its address as the sender.
TEST_F(EditorCommandsTest, AccountChosenOnTheToolbarSendsTheMail)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    ASSERT_TRUE(m_session.Prepare(118));
    // The second account: test user 113 with its own login.
    ASSERT_TRUE(E2e::AddTestAccount(m_session.MailBox(), 113, "二番目", "鈴木 花子"));
    CString maildir = NetTest::ClearMaildir(118);
    m_main = m_session.Start();
    ASSERT_NE(m_main, nullptr);
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_NEW, 0);
    ASSERT_TRUE(m_session.WaitForEditorCount(1)) << m_session.Windows();
    m_editor = m_session.Editors()[0];
    m_view = CEditorSession::ViewOf(m_editor);

    HWND accounts = E2e::FindDescendant(GetDlgItem(m_editor, kMainToolBarId), "ComboBox", IDC_ME_ACCOUNT);
    ASSERT_NE(accounts, nullptr);
    ASSERT_EQ(SendMessageA(accounts, CB_GETCOUNT, 0, 0), 2);
    int second = static_cast<int>(SendMessageA(accounts, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>("二番目")));
    ASSERT_GE(second, 0);
    SendMessageA(accounts, CB_SETCURSEL, static_cast<WPARAM>(second), 0);
    SendMessageA(GetParent(accounts), WM_COMMAND, MAKEWPARAM(IDC_ME_ACCOUNT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(accounts));
    E2e::SetControlText(m_view, IDC_ME_TO, "cvmtest118@cvm.test");
    E2e::SetControlText(m_view, IDC_ME_SUBJECT, "from the second account");
    E2e::SetControlText(m_view, IDC_ME_BODY, "sent by the account on the toolbar");
    PostMessageA(m_editor, WM_COMMAND, ID_EDIT_SEND, 0);
    ASSERT_TRUE(m_session.ConfirmSendInfo()) << m_session.Windows();
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    // The From header with its folded lines.
    const std::string& mail = mails[0];
    size_t at = mail.find("\r\nFrom:");
    ASSERT_NE(at, std::string::npos);
    size_t end = at + 2;
    while ((end = mail.find("\r\n", end)) != std::string::npos && (mail[end + 2] == ' ' || mail[end + 2] == '\t'))
        end += 2;
    std::string fromHeader = mail.substr(at + 2, end - at - 2);
    EXPECT_NE(fromHeader.find("cvmtest113@cvm.test"), std::string::npos) << fromHeader;
    EXPECT_TRUE(m_session.WaitForEditorCount(0));
}
