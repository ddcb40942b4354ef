// An HTML mail opened in the editor on a machine without the platform's HTML
// engine (Wine here): the program started on a mailbox of its own, the mail
// opened as a user opens it, saved and sent, and its HTML part read back
// where it lands (the mailbox folder on disk, the test Dovecot user's
// Maildir). The HTML part must come out as it went in.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "message/MimePart.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const char kHtml[] = "<html><head><title>t</title></head>\r\n"
                     "<body BGCOLOR=\"#ffffee\"><b>bold</b> and <i>italic</i> text<br>\r\n"
                     "<table border=1><tr><td>cell</td></tr></table>\r\n"
                     "<p>second paragraph 日本語</p></body></html>\r\n";
// The same page with a picture the mail carries.
const char kHtmlWithPicture[] = "<html><head><title>t</title></head>\r\n"
                                "<body BGCOLOR=\"#ffffee\"><b>bold</b> and <i>italic</i> text<br>\r\n"
                                "<img src=\"cid:pic1@example.jp\" alt=\"dot\">\r\n"
                                "<p>second paragraph</p></body></html>\r\n";
// A GIF of one pixel.
const char kGif[] = "R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==";

// The picture's bytes.
std::string Gif()
{
    static const unsigned char bytes[] = { 0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00,
                                           0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x01, 0x00,
                                           0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                                           0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b };
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

// The page with more put in at the end of its body.
std::string PageWith(const char* html, const std::string& extra)
{
    std::string page = html;
    return page.insert(page.find("</body>"), extra);
}

// An HTML mail with its text part and an attached file, as a writer stores
// it; with a picture the HTML and the picture are one related part. Extra
// markup goes at the end of the page's body.
std::string HtmlMail(const char* to, const char* subject, bool bPicture = false, const std::string& extra = "")
{
    std::string html = PageWith(bPicture ? kHtmlWithPicture : kHtml, extra);
    // The page without a picture comes as current programs send it: UTF-8.
    const char* charset = "us-ascii";
    if (!bPicture) {
        std::wstring wide = CString(html.c_str()).ToWide();
        html.assign(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr) - 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &html[0], static_cast<int>(html.size()) + 1, nullptr,
                            nullptr);
        charset = "utf-8\r\nContent-Transfer-Encoding: 8bit";
    }
    std::string alternative = std::string("Content-Type: multipart/alternative; boundary=\"a1\"\r\n\r\n"
                                          "--a1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nthe text part\r\n"
                                          "--a1\r\nContent-Type: text/html; charset=") +
                              charset + "\r\n\r\n" + html + "--a1--\r\n";
    std::string content =
        bPicture ? "Content-Type: multipart/related; boundary=\"r1\"; type=\"multipart/alternative\"\r\n\r\n"
                   "--r1\r\n" + alternative +
                       "--r1\r\nContent-Type: image/gif; name=\"dot.gif\"\r\nContent-ID: <pic1@example.jp>\r\n"
                       "Content-Transfer-Encoding: base64\r\n\r\n" + kGif + "\r\n--r1--\r\n"
                 : alternative;
    return std::string("From: cvmtest138@cvm.test\r\nTo: ") + to + "\r\nSubject: " + subject +
           "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"m1\"\r\n\r\n--m1\r\n" + content +
           "--m1\r\nContent-Type: text/plain; charset=us-ascii; name=\"memo.txt\"\r\n"
           "Content-Disposition: attachment; filename=\"memo.txt\"\r\n\r\nmemo\r\n"
           "--m1--\r\n";
}

// Leaf parts whose Content-Type starts with the type, their text in
// Shift_JIS (the empty type: those with a Content-ID, as "<id>" followed by
// the content).
void FindParts(const CMimePart& part, const char* type, std::vector<std::string>& out)
{
    CString id = part.m_header.GetHeader("Content-ID");
    if (part.GetChildCount() == 0 && !*type && !id.IsEmpty())
        out.push_back(id.Str() + part.DecodeContent());
    else if (part.GetChildCount() == 0 && *type && CString(part.m_header.GetHeader("Content-Type")).Find(type) == 0)
        out.push_back(part.DecodeText().Str());
    for (int i = 0; i < part.GetChildCount(); ++i)
        FindParts(*part.GetChild(i), type, out);
}

// The decoded leaf parts of a mail of one content type.
std::vector<std::string> PartsOf(const std::string& mail, const char* type)
{
    CMimePart root;
    root.Parse(mail.data(), mail.size());
    std::vector<std::string> out;
    FindParts(root, type, out);
    return out;
}

// Lines as the wire may end them.
std::string Unfolded(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

class HtmlMailKeptTest : public ::testing::Test
{
protected:
    void SetUp() override { CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix"); }
    void PrepareMailBox(int nUser)
    {
        ASSERT_TRUE(m_session.Prepare(nUser));
        HWND main = m_session.Start();
        ASSERT_NE(main, nullptr);
        m_session.Close(main);
    }
    static HWND View(HWND editor) { return CEditorSession::ViewOf(editor); }
    static void Command(HWND window, int id) { PostMessageA(window, WM_COMMAND, id, 0); }
    // The pane that shows the HTML's text where no engine is installed.
    static HWND HtmlTextPane(HWND editor)
    {
        HWND html = GetDlgItem(View(editor), 1312);
        return html ? FindWindowExA(html, nullptr, "Edit", nullptr) : nullptr;
    }
    // The editor the program opens; no box may say the HTML cannot be shown.
    HWND OpenedEditor()
    {
        if (!m_session.WaitForEditorCount(1))
            return nullptr;
        EXPECT_EQ(m_session.Program().WaitForMessageBox("HTMLの表示エラー", 3000), nullptr) << m_session.Windows();
        return m_session.Editors()[0];
    }
    // The editor shows the mail as HTML mail: the HTML's text in its pane.
    void ExpectShownAsHtml(HWND editor)
    {
        HWND pane = HtmlTextPane(editor);
        ASSERT_NE(pane, nullptr) << m_session.Windows();
        EXPECT_TRUE(IsWindowVisible(pane));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(View(editor), IDC_ME_BODY)));
        CString text = E2e::GetControlText(GetParent(pane), 1);
        EXPECT_EQ(text.Find("bold and italic text"), 0) << text.Str();
        EXPECT_NE(text.Find("second paragraph"), -1) << text.Str();
    }
    // Sends the editor's mail to the user and gives the mail as it arrived.
    std::string SendTo(HWND editor, int nUser)
    {
        CString maildir = NetTest::ClearMaildir(nUser);
        CString to;
        to.Format("cvmtest%d@cvm.test", nUser);
        E2e::SetControlText(View(editor), IDC_ME_TO, to);
        Command(editor, ID_EDIT_SEND);
        if (!m_session.ConfirmSendInfo())
            return std::string();
        std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
        return mails.size() == 1 ? mails[0] : std::string();
    }
    // The mail's HTML is the page given; a picture goes with it under a
    // Content-ID of the program's own, which the page's link then names.
    static void ExpectHtmlKept(const std::string& mail, bool bPicture = false, const std::string& extra = "")
    {
        std::vector<std::string> html = PartsOf(mail, "text/html");
        ASSERT_EQ(html.size(), 1u) << mail.substr(0, 3000);
        std::string expected = PageWith(bPicture ? kHtmlWithPicture : kHtml, extra);
        std::vector<std::string> pictures = PartsOf(mail, "");
        if (bPicture) {
            ASSERT_EQ(pictures.size(), 1u) << mail.substr(0, 3000);
            size_t end = pictures[0].find('>');
            ASSERT_TRUE(pictures[0][0] == '<' && end != std::string::npos) << pictures[0];
            EXPECT_EQ(pictures[0].substr(end + 1), Gif());
            expected.replace(expected.find("pic1@example.jp"), 15, pictures[0].substr(1, end - 1));
        } else {
            EXPECT_TRUE(pictures.empty());
        }
        EXPECT_EQ(Unfolded(html[0]), Unfolded(expected)) << mail.substr(0, 3000);
        std::vector<std::string> text = PartsOf(mail, "text/plain");
        ASSERT_FALSE(text.empty()) << mail.substr(0, 3000);
        EXPECT_EQ(Unfolded(text[0]), "the text part");
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
};

} // namespace

TEST_F(HtmlMailKeptTest, ReopenedDraftKeepsItsHtmlAndPictureThroughEverySaveReopenAndSend)
{
    PrepareMailBox(138);
    ASSERT_TRUE(m_session.AddStoredMail(CFolderRecord::kindWriting, HtmlMail("a@example.jp", "html draft", true)));
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);
    auto reopen = [&]() -> HWND { return m_session.OpenOnlyMail(main, "作成中") ? OpenedEditor() : nullptr; };
    HWND editor = reopen();
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ExpectShownAsHtml(editor);
    EXPECT_EQ(E2e::ListItemCount(GetDlgItem(View(editor), IDC_ME_ATTACH_LIST)), 1);

    // Saved: the stored copy is HTML mail still, its HTML as it was.
    E2e::SetControlText(View(editor), IDC_ME_SUBJECT, "html draft 2");
    Command(editor, ID_EDIT_SAVE);
    std::vector<std::string> drafts;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(200)) {
        drafts = m_session.StoredMails(CFolderRecord::kindWriting);
        if (drafts.size() == 1 && drafts[0].find("html draft 2") != std::string::npos)
            break;
    }
    ASSERT_EQ(drafts.size(), 1u);
    ASSERT_NE(drafts[0].find("Subject: html draft 2"), std::string::npos) << drafts[0].substr(0, 2000);
    ExpectHtmlKept(drafts[0], true);
    EXPECT_NE(drafts[0].find("memo.txt"), std::string::npos);

    // Changed again and closed, saved at the question: stored whole again,
    // and opened once more, it comes back as HTML mail whole.
    E2e::SetControlText(View(editor), IDC_ME_SUBJECT, "html draft 3");
    PostMessageA(editor, WM_CLOSE, 0, 0);
    HWND prompt = m_session.Program().WaitForDialogWithControl(IDC_SC_DISCARD, 10000);
    ASSERT_NE(prompt, nullptr) << m_session.Windows();
    E2e::PressButton(prompt, IDOK);
    ASSERT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();
    drafts = m_session.StoredMails(CFolderRecord::kindWriting);
    ASSERT_EQ(drafts.size(), 1u);
    ASSERT_NE(drafts[0].find("Subject: html draft 3"), std::string::npos) << drafts[0].substr(0, 2000);
    ExpectHtmlKept(drafts[0], true);
    editor = reopen();
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ExpectShownAsHtml(editor);
    EXPECT_EQ(E2e::ListItemCount(GetDlgItem(View(editor), IDC_ME_ATTACH_LIST)), 1);
    EXPECT_EQ(E2e::GetControlText(View(editor), IDC_ME_SUBJECT), CString("html draft 3"));

    // Sent: the mail at the server carries the same HTML and the file.
    std::string mail = SendTo(editor, 138);
    ExpectHtmlKept(mail, true);
    EXPECT_NE(mail.find("memo.txt"), std::string::npos);
    EXPECT_TRUE(m_session.WaitForEditorCount(0));
    m_session.Close(main);
}

TEST_F(HtmlMailKeptTest, ForwardAsItIsAndOutboxReeditKeepTheHtml)
{
    // The received page names a file of the disk outside the mail, under a
    // Japanese name in the page's UTF-8: it stays a link and never goes.
    const CString secret = m_dir.File("秘密の写真.gif");
    TestSupport::WriteFileBytes(secret, "GIF89a-private-bytes");
    const std::string link = "<img src=\"" + secret.Str() + "\">";
    PrepareMailBox(137);
    ASSERT_TRUE(
        m_session.AddStoredMail(CFolderRecord::kindInbox, HtmlMail("cvmtest137@cvm.test", "received", false, link)));
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);
    HWND list = m_session.ShowFolder(main, "郵便受け", 1);
    ASSERT_NE(list, nullptr);
    E2e::ListSelectItem(list, 0);
    Command(main, ID_MAIL_FORWARD_AS_IS);
    HWND editor = OpenedEditor();
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ExpectShownAsHtml(editor);

    // Queued in the outbox, then opened again from there and sent.
    E2e::SetControlText(View(editor), IDC_ME_TO, "cvmtest137@cvm.test");
    Command(editor, ID_EDIT_TO_OUTBOX);
    ASSERT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();
    std::vector<std::string> queued = m_session.StoredMails(CFolderRecord::kindSend);
    ASSERT_EQ(queued.size(), 1u);
    ExpectHtmlKept(queued[0], false, link);

    ASSERT_TRUE(m_session.OpenOnlyMail(main, "未送信")) << m_session.Windows();
    editor = OpenedEditor();
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ExpectShownAsHtml(editor);
    std::string mail = SendTo(editor, 137);
    ExpectHtmlKept(mail, false, link);
    EXPECT_TRUE(m_session.WaitForEditorCount(0));
    m_session.Close(main);
}
