// The mail view pane on a real folder: header fields, decoded body, the
// attachment list, the read mark and its delay, the read-notification
// question, and HTML mail where no HTML engine exists.
#include "resources/viewer/ViewerResource.h"
#include "store/StoreTestUtil.h"
#include "viewer/ColorTextView.h"
#include "viewer/MailView.h"
#include "viewer/ViewerMessages.h"
#include "viewer/WebBrowser.h"

#include <commctrl.h>
#include "PostedMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kJisMail[] =
    "From: =?ISO-2022-JP?B?GyRCRnxLXDhsJE43b0w+GyhC?= <taro@example.jp>\r\n"
    "To: hanako@example.jp\r\nCc: jiro@example.jp\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsJE43b0w+GyhC?=\r\n"
    "Date: Wed, 01 May 2024 09:00:00 +0900\r\nMessage-ID: <a1@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
    "\x1b$B$3$s$K$A$O\x1b(B\r\n> \x1b$B0zMQ\x1b(B\r\n";

const char kAttachMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: attach\r\nMessage-ID: <a2@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n"
    "--XX\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n\x1b$B$3$s$K$A$O\x1b(B\r\n"
    "--XX\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?GyRCOCtAUT1xGyhCLnR4dA==?=\"\r\n\r\n"
    "GyRCRTpJVSROQ2Y/SBsoQg==\r\n--XX--\r\n";

const char kNotifyMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: notify\r\nMessage-ID: <a3@example.jp>\r\n"
    "Disposition-Notification-To: a@example.jp\r\n\r\nplease confirm\r\n";

const char kHtmlMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: html\r\nMessage-ID: <a4@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n"
    "<html><body><p>\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF</p>"
    "<a href=\"http://example.jp/news\">news</a></body></html>\r\n";

using ViewerTest::Pump;
// Thread messages the pane posted to the main thread (the test's own).
std::map<UINT, int>& g_posted = ViewerTest::PostedMessages();

class MailViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        m_app->m_nThreadID = GetCurrentThreadId();
        StoreTest::OpenStore(m_store, m_dir.Path() + "\\Inbox");
        const char* cls = AfxRegisterWndClass("CVMViewerTestHost", 0, LoadCursor(nullptr, IDC_ARROW),
                                              GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(m_host.CreateEx(0, cls, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                                    nullptr));
    }
    void TearDown() override
    {
        CWebBrowser::SetEngineProbe(nullptr);
        m_host.DestroyWindow();
        m_app.reset();
    }

    // The pane, made after the settings the test wants are written.
    CMailView* MakeView(bool inFront = true)
    {
        auto* view = new CMailView(FALSE);
        RECT rc = {0, 0, 680, 460};
        EXPECT_TRUE(view->Create(&m_host, 100, rc));
        view->SetFrontCheck([inFront] { return inFront; });
        view->SetNotifyQuestion([this](const char* text) {
            m_questions.push_back(text);
            return m_answer;
        });
        return view;
    }
    int File(const char* text)
    {
        EXPECT_EQ(StoreTest::FileMail(m_store, m_dir.Path(), "QM1.eml", text), 1);
        return m_store.GetMailList()->GetMailCount() - 1;
    }
    // The mail's state as the index file on disk holds it.
    void ReadBack(int index, bool* read, int* flags)
    {
        CMailFolderStore again;
        StoreTest::OpenStore(again, m_dir.Path() + "\\Inbox");
        CMailIndexRecord* r = again.GetMailList()->GetMailRecord(index);
        ASSERT_NE(r, nullptr);
        *read = r->IsRead();
        *flags = r->m_nFlags;
    }
    int CountPosted(UINT message)
    {
        int n = g_posted[message];
        g_posted[message] = 0;
        MSG msg;
        while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), message, message, PM_REMOVE))
            ++n;
        return n;
    }
    CString Field(CMailView* view, int id) { return view->GetDlgItemText(id); }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CMailFolderStore m_store;
    CWnd m_host;
    std::vector<std::string> m_questions;
    int m_answer = 1;
};

TEST_F(MailViewTest, ShowsHeaderFieldsAndTheDecodedBody)
{
    int i = File(kJisMail);
    CMailView* view = MakeView();
    view->ShowMail(i, &m_store);
    EXPECT_EQ(Field(view, IDC_VIEW_SUBJECT), "日本語の件名");
    EXPECT_EQ(Field(view, IDC_VIEW_FROM).Find("taro@example.jp") >= 0, true);
    EXPECT_EQ(Field(view, IDC_VIEW_TO), "hanako@example.jp  (CC:jiro@example.jp)");
    EXPECT_EQ(Field(view, IDC_VIEW_DATE).Find("送信： "), 0);
    CColorTextView* body = view->GetBodyView();
    body->FinishLayout();
    ASSERT_GE(body->GetLineCount(), 2);
    EXPECT_EQ(body->GetLine(0).text, "こんにちは");
    EXPECT_EQ(body->GetLine(1).text, "> 引用");
    EXPECT_EQ(body->Colorizer().QuoteColor(body->GetLine(1).text), 0xFF0000u);
    EXPECT_EQ(view->GetHeaderText().Find("Message-ID: <a1@example.jp>") >= 0, true);
}

TEST_F(MailViewTest, CcHasALineOfItsOwnInViewersAndWhereEveryAddressIsShown)
{
    int i = File(kJisMail);
    const struct
    {
        BOOL viewer;
        int showAll;
        bool ownLine;
    } cases[] = { { TRUE, 0, true }, { FALSE, 1, true }, { FALSE, 0, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.viewer * 10 + c.showAll);
        m_app->WriteProfileInt("Setting", "AddressShowAll", c.showAll);
        auto* view = new CMailView(c.viewer);
        RECT rc = {0, 0, 680, 460};
        ASSERT_TRUE(view->Create(&m_host, 101, rc));
        view->ShowMail(i, &m_store, TRUE);
        EXPECT_EQ(Field(view, IDC_VIEW_TO),
                  c.ownLine ? "hanako@example.jp" : "hanako@example.jp  (CC:jiro@example.jp)");
        EXPECT_EQ(Field(view, IDC_VIEW_CC), c.ownLine ? "jiro@example.jp" : "");
        EXPECT_EQ(IsWindowVisible(view->GetDlgItemHwnd(IDC_VIEW_CC)) != FALSE, c.ownLine);
        view->DestroyWindow();
    }
}

// Where a control of the pane stands, in the pane's coordinates.
RECT ControlRect(CMailView* view, int id)
{
    RECT rc = {};
    HWND h = view->GetDlgItemHwnd(id);
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, view->GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

TEST_F(MailViewTest, HeaderLayoutFollowsMiniHeaderAndRecipientCount)
{
    std::string many = "From: a@example.jp\r\nTo: ";
    for (int i = 0; i < 60; ++i)
        many += (i ? ", " : "") + std::string("recipient") + std::to_string(i) + "@example.jp";
    many += "\r\nSubject: many\r\nMessage-ID: <m@example.jp>\r\n\r\nbody\r\n";
    int crowded = File(many.c_str());
    int plain = File(kJisMail);

    // Five lines at most, then a scroll bar.
    CMailView* view = MakeView();
    view->ShowMail(crowded, &m_store, TRUE);
    RECT to = ControlRect(view, IDC_VIEW_TO);
    EXPECT_EQ(to.bottom - to.top, 5 * 16);
    EXPECT_TRUE(GetWindowLongPtrA(view->GetDlgItemHwnd(IDC_VIEW_TO), GWL_STYLE) & WS_VSCROLL);
    view->ShowMail(plain, &m_store, TRUE);
    to = ControlRect(view, IDC_VIEW_TO);
    EXPECT_EQ(to.bottom - to.top, 16);
    EXPECT_FALSE(GetWindowLongPtrA(view->GetDlgItemHwnd(IDC_VIEW_TO), GWL_STYLE) & WS_VSCROLL);
    view->DestroyWindow();

    // The compact header: two lines, the body from y 36; not in a viewer window.
    m_app->WriteProfileInt("Setting", "MailMiniHeader", 1);
    const struct { BOOL viewer; bool mini; } cases[] = {{FALSE, true}, {TRUE, false}};
    for (const auto& c : cases) {
        auto* pane = new CMailView(c.viewer);
        RECT rc = {0, 0, 680, 460};
        ASSERT_TRUE(pane->Create(&m_host, 102, rc));
        pane->ShowMail(plain, &m_store, TRUE);
        RECT subject = ControlRect(pane, IDC_VIEW_SUBJECT);
        RECT body = ControlRect(pane, IDC_VIEW_BODY);
        EXPECT_EQ(subject.top, c.mini ? 20 : 3) << c.viewer;
        EXPECT_EQ(body.top == 36, c.mini) << c.viewer;
        EXPECT_EQ(IsWindowVisible(pane->GetDlgItemHwnd(IDC_VIEW_CC)) != FALSE, !c.mini) << c.viewer;
        pane->DestroyWindow();
    }
}

TEST_F(MailViewTest, ListsAttachmentsUnderTheirDecodedNames)
{
    int i = File(kAttachMail);
    CMailView* view = MakeView();
    view->ShowMail(i, &m_store);
    HWND list = view->GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST);
    ASSERT_EQ(ListView_GetItemCount(list), 1);
    char name[MAX_PATH] = {};
    ListView_GetItemText(list, 0, 0, name, sizeof(name));
    EXPECT_STREQ(name, "見積書.txt");
    EXPECT_TRUE(IsWindowVisible(list));
}

TEST_F(MailViewTest, AttachmentFolderEmptiedByTheUserGoesAway)
{
    int i = File(kAttachMail);
    CMailView* view = MakeView();
    view->ShowMail(i, &m_store);
    CMailIndexRecord* record = m_store.GetMailList()->GetMailRecord(i);
    CString folder = m_store.GetAttachFolder(record);
    ASSERT_EQ(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    // The user deletes the only file: the list loses its row and tells the pane.
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(folder + "\\*", &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA(folder + "\\" + found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    HWND list = view->GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST);
    ListView_DeleteAllItems(list);
    MSG msg = {view->m_hWnd, WM_QD_ATTACH_FOLDER_CHANGED, static_cast<WPARAM>(m_store.GetFolderId()),
               static_cast<LPARAM>(i)};
    EXPECT_TRUE(view->PreTranslateMessage(&msg));
    EXPECT_EQ(GetFileAttributesA(folder), INVALID_FILE_ATTRIBUTES) << folder.GetString();
    EXPECT_FALSE(record->m_bAttach);
    EXPECT_FALSE(IsWindowVisible(list));
}

TEST_F(MailViewTest, MarksReadAfterPreViewTime)
{
    const struct { int preview; bool readAtOnce; bool readLater; } cases[] = {
        {0, true, true},
        {1, false, true},
        {-1, false, false},
    };
    for (const auto& c : cases) {
        m_app->WriteProfileInt("ViewOption", "PreViewTime", c.preview);
        int i = File(kJisMail);
        CountPosted(WM_QD_MAIL_READ_CHANGED);
        CMailView* view = MakeView();
        view->ShowMail(i, &m_store);
        bool read = false;
        int flags = 0;
        ReadBack(i, &read, &flags);
        EXPECT_EQ(read, c.readAtOnce) << c.preview;
        Pump(1500);
        ReadBack(i, &read, &flags);
        EXPECT_EQ(read, c.readLater) << c.preview;
        // The main thread hears of the change even when the flag is not set.
        EXPECT_EQ(CountPosted(WM_QD_MAIL_READ_CHANGED), 1) << c.preview;
        view->DestroyWindow();
    }
}

TEST_F(MailViewTest, MovingOnBeforeTheDelayLeavesTheMailUnread)
{
    m_app->WriteProfileInt("ViewOption", "PreViewTime", 1);
    int first = File(kJisMail);
    int second = File(kJisMail);
    CMailView* view = MakeView();
    view->ShowMail(first, &m_store);
    Pump(300);
    view->ShowMail(second, &m_store);
    Pump(1500);
    bool read = true;
    int flags = 0;
    ReadBack(first, &read, &flags);
    EXPECT_FALSE(read);
    ReadBack(second, &read, &flags);
    EXPECT_TRUE(read);
}

TEST_F(MailViewTest, ReadNotificationIsAskedOnceAndItsAnswerRecorded)
{
    m_app->WriteProfileInt("Setting", "ReadNotifyTo", 1);
    const struct { int preview; int answer; int answered; int sent; } cases[] = {
        {0, 1, 0x20, 1},
        {0, 2, 0x20, 0},
        {0, 4, 0, 0},
        {1, 1, 0x20, 1},
    };
    for (const auto& c : cases) {
        m_app->WriteProfileInt("ViewOption", "PreViewTime", c.preview);
        m_questions.clear();
        m_answer = c.answer;
        int i = File(kNotifyMail);
        CountPosted(WM_QD_SEND_READ_NOTIFY);
        CMailView* view = MakeView();
        view->ShowMail(i, &m_store);
        Pump(c.preview * 1000 + 500);
        ASSERT_EQ(m_questions.size(), 1u) << c.answer;
        EXPECT_NE(m_questions[0].find("宛先：a@example.jp"), std::string::npos);
        bool read = false;
        int flags = 0;
        ReadBack(i, &read, &flags);
        EXPECT_TRUE(read);
        EXPECT_EQ(flags & 0x30, 0x10 | c.answered) << c.answer;
        EXPECT_EQ(CountPosted(WM_QD_SEND_READ_NOTIFY), c.sent) << c.answer;
        view->DestroyWindow();
    }
}

TEST_F(MailViewTest, NotificationPutOffIsAskedAgainWhenTheMailIsShownAgain)
{
    m_app->WriteProfileInt("Setting", "ReadNotifyTo", 1);
    int i = File(kNotifyMail);
    int other = File(kJisMail);
    m_answer = CReadStatePolicy::answerLater;
    CMailView* view = MakeView();
    view->ShowMail(i, &m_store);
    ASSERT_EQ(m_questions.size(), 1u);
    view->ShowMail(other, &m_store);
    EXPECT_EQ(m_questions.size(), 1u);
    m_answer = CReadStatePolicy::answerDoNotSend;
    view->ShowMail(i, &m_store);  // read by now, still owed an answer
    EXPECT_EQ(m_questions.size(), 2u);
    view->ShowMail(i, &m_store);  // answered: not asked again
    EXPECT_EQ(m_questions.size(), 2u);
}

TEST_F(MailViewTest, PendingNotificationInTheBackgroundKeepsTheMailUnread)
{
    m_app->WriteProfileInt("Setting", "ReadNotifyTo", 1);
    int i = File(kNotifyMail);
    CMailView* view = MakeView(false);
    view->ShowMail(i, &m_store);
    Pump(200);
    bool read = true;
    int flags = 0;
    ReadBack(i, &read, &flags);
    EXPECT_FALSE(read);
    EXPECT_TRUE(m_questions.empty());
    EXPECT_TRUE(view->IsReadNotifyPending());
}

TEST(WebBrowser, NoEngineIsFoundUnderWineWithoutItsEnginePackage)
{
    // The test programs run under Wine with the HTML engine switched off;
    // creating the control there would ask to download one and wait.
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version"))
        GTEST_SKIP() << "not under Wine";
    EXPECT_FALSE(CWebBrowser::IsEngineAvailable());
    CWebBrowser browser;
    RECT rc = {0, 0, 10, 10};
    EXPECT_FALSE(browser.Create(nullptr, 1033, rc));
    EXPECT_EQ(browser.GetSafeHwnd(), nullptr);
}

TEST_F(MailViewTest, HtmlMailWithoutAnEngineIsShownAsText)
{
    m_app->WriteProfileInt("ViewOption", "HTMLMail", 1);
    CWebBrowser::SetEngineProbe([] { return false; });
    int i = File(kHtmlMail);
    CMailView* view = MakeView();
    DWORD start = GetTickCount();
    view->ShowMail(i, &m_store);
    EXPECT_LT(GetTickCount() - start, 5000u);  // no prompt, no wait
    EXPECT_FALSE(view->IsBrowserShowing());
    EXPECT_EQ(view->GetDlgItemHwnd(IDC_VIEW_BROWSER), nullptr);
    CColorTextView* body = view->GetBodyView();
    EXPECT_TRUE(IsWindowVisible(body->GetSafeHwnd()));
    body->FinishLayout();
    std::string text;
    for (int n = 0; n < body->GetLineCount(); ++n)
        text += body->GetLine(n).text + "\n";
    EXPECT_NE(text.find("こんにちは"), std::string::npos);
    EXPECT_NE(text.find("news <http://example.jp/news>"), std::string::npos);
}

TEST_F(MailViewTest, StoredLengthBelowThreeShowsAnEmptyBody)
{
    int i = File(kJisMail);
    CMailIndexRecord* r = m_store.GetMailList()->GetMailRecord(i);
    for (int length : {0, 1, 2}) {
        r->m_nDataLength = length;
        CMailView* view = MakeView();
        view->ShowMail(i, &m_store);
        CColorTextView* body = view->GetBodyView();
        body->FinishLayout();
        EXPECT_LE(body->GetLineCount(), 1) << length;
        view->DestroyWindow();
    }
}

} // namespace
