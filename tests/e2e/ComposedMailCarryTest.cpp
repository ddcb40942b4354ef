// What a forward, a stored mail opened again, a template reply and a save
// while sending carry: the program started on a mailbox of its own, driven
// through its windows, and the mails read back where they land (the test
// Dovecot user's Maildir, the mailbox folders on disk).
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "message/MimePart.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

std::string Base64(const std::string& bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 2]);
        out += digits[(n >> 18) & 63];
        out += digits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
        if (out.size() % 78 == 76)
            out += "\r\n";
    }
    return out + "\r\n";
}

// Every byte value twice, and a text file: what a forward must pass on.
std::string BinaryFile()
{
    std::string bytes;
    for (int round = 0; round < 2; ++round)
        for (int b = 0; b < 256; ++b)
            bytes += static_cast<char>(b);
    return bytes;
}
const char kMemoFile[] = "line one\r\nline two\r\n";

// A received mail with two attached files.
std::string MailWithTwoFiles(const char* to)
{
    return std::string("From: Sato <sato@example.jp>\r\nTo: ") + to +
           "\r\nSubject: files\r\nMessage-ID: <f1@example.jp>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n"
           "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
           "--b1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nsee attached\r\n"
           "--b1\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
           "Content-Disposition: attachment; filename=\"data.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           Base64(BinaryFile()) +
           "--b1\r\nContent-Type: text/plain; charset=us-ascii; name=\"memo.txt\"\r\n"
           "Content-Disposition: attachment; filename=\"memo.txt\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           Base64(kMemoFile) + "--b1--\r\n";
}

// The decoded bodies of every leaf part of a mail.
void CollectParts(const CMimePart& part, std::vector<std::string>& bodies)
{
    if (part.GetChildCount() == 0)
        bodies.push_back(part.DecodeContent());
    for (int i = 0; i < part.GetChildCount(); ++i)
        CollectParts(*part.GetChild(i), bodies);
}

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

class ComposedMailCarryTest : public ::testing::Test
{
protected:
    // The mailbox made by a first start, so that mails can be filed into
    // its folders before the program runs on it.
    void PrepareMailBox(int nUser, const char* pszSettings = "")
    {
        ASSERT_TRUE(m_session.Prepare(nUser, pszSettings));
        HWND main = m_session.Start();
        ASSERT_NE(main, nullptr);
        m_session.Close(main);
    }
    void NeedSmtp() { CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix"); }
    static HWND View(HWND editor) { return CEditorSession::ViewOf(editor); }
    static HWND AttachList(HWND editor) { return GetDlgItem(View(editor), IDC_ME_ATTACH_LIST); }
    static void Command(HWND window, int id) { PostMessageA(window, WM_COMMAND, id, 0); }
    HWND OnlyEditor()
    {
        return m_session.WaitForEditorCount(1) ? m_session.Editors()[0] : nullptr;
    }
    void CloseEditor(HWND editor)
    {
        PostMessageA(editor, WM_CLOSE, 0, 0);
        if (HWND prompt = m_session.Program().WaitForDialogWithControl(IDC_SC_DISCARD, 3000))
            E2e::PressButton(prompt, IDC_SC_DISCARD);
        ASSERT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();
    }
    // Sends the mail of an editor and waits for its window to go.
    void Send(HWND editor)
    {
        Command(editor, ID_EDIT_SEND);
        ASSERT_TRUE(m_session.ConfirmSendInfo()) << m_session.Windows();
    }
    // Starts the program on an inbox of one mail, selects it and gives the
    // editor the command opens for it (null when none came).
    HWND EditorForInboxMail(HWND& main, int nCommand)
    {
        main = m_session.Start();
        HWND list = main ? m_session.ShowFolder(main, "郵便受け", 1) : nullptr;
        if (!list)
            return nullptr;
        E2e::ListSelectItem(list, 0);
        Command(main, nCommand);
        return OnlyEditor();
    }
    bool WaitForDrafts(size_t count)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 15000 && m_session.StoredMails(CFolderRecord::kindWriting).size() != count)
            Sleep(200);
        return m_session.StoredMails(CFolderRecord::kindWriting).size() == count;
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
};

} // namespace

TEST_F(ComposedMailCarryTest, ForwardPassesBothAttachedFilesOnByteForByte)
{
    NeedSmtp();
    PrepareMailBox(77);
    ASSERT_TRUE(m_session.AddStoredMail(CFolderRecord::kindInbox, MailWithTwoFiles("cvmtest77@cvm.test")));
    CString maildir = NetTest::ClearMaildir(77);
    HWND main = nullptr;
    HWND editor = EditorForInboxMail(main, ID_MAIL_FORWARD);
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ASSERT_EQ(E2e::ListItemCount(AttachList(editor)), 2) << m_session.Windows();
    EXPECT_EQ(E2e::GetControlText(View(editor), IDC_ME_SUBJECT), CString("Fw: files"));
    E2e::SetControlText(View(editor), IDC_ME_TO, "cvmtest77@cvm.test");
    Send(editor);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    CMimePart root;
    root.Parse(mails[0].data(), mails[0].size());
    std::vector<std::string> bodies;
    CollectParts(root, bodies);
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), BinaryFile()), 1) << mails[0].substr(0, 2000);
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), std::string(kMemoFile)), 1) << mails[0].substr(0, 2000);
    EXPECT_TRUE(m_session.WaitForEditorCount(0));
    m_session.Close(main);
    // The received mail keeps its files.
    std::vector<std::string> inbox = m_session.StoredMails(CFolderRecord::kindInbox);
    ASSERT_EQ(inbox.size(), 1u);
}

// A draft as the program stores it: an attached file, Reply-To, the highest
// priority and the signature chosen.
std::string StoredDraft()
{
    return "From: cvmtest78@cvm.test\r\nTo: cvmtest78@cvm.test\r\nSubject: draft\r\n"
           "Reply-To: answers@example.jp\r\nX-Priority: 1\r\nX-MSMail-Priority: High\r\nPriority: high\r\n"
           "X-SignName: work\r\nX-SendAcount: テスト\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"d1\"\r\n\r\n"
           "--d1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nthe draft body\r\n\r\n--\r\nYamada\r\n"
           "--d1\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
           "Content-Disposition: attachment; filename=\"data.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           Base64(BinaryFile()) + "--d1--\r\n";
}

TEST_F(ComposedMailCarryTest, DraftReopenedKeepsAttachmentReplyToPriorityAndSignatureThroughEverySave)
{
    NeedSmtp();
    PrepareMailBox(78);
    CreateDirectoryA(m_session.MailBox() + "\\Signature.Box", nullptr);
    TestSupport::WriteFileBytes(m_session.MailBox() + "\\Signature.Box\\work.txt", "--\r\nYamada\r\n");
    ASSERT_TRUE(m_session.AddStoredMail(CFolderRecord::kindWriting, StoredDraft()));
    CString maildir = NetTest::ClearMaildir(78);
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);

    auto reopen = [&]() -> HWND { return m_session.OpenOnlyMail(main, "作成中") ? OnlyEditor() : nullptr; };
    auto expectWhole = [&](HWND editor, const char* subject) {
        HWND view = View(editor);
        EXPECT_EQ(E2e::GetControlText(view, IDC_ME_SUBJECT), CString(subject));
        EXPECT_EQ(E2e::ListItemCount(AttachList(editor)), 1) << m_session.Windows();
        EXPECT_EQ(E2e::ListItemText(AttachList(editor), 0, 0), CString("data.bin"));
        EXPECT_EQ(E2e::GetControlText(view, IDC_ME_REPLYTO), CString("answers@example.jp"));
        EXPECT_EQ(SendMessageA(GetDlgItem(view, IDC_ME_PRIORITY), CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(E2e::GetControlText(view, IDC_ME_SIGN), CString("work"));
        EXPECT_EQ(E2e::GetControlText(view, IDC_ME_BODY).Left(14), CString("the draft body"));
    };

    HWND editor = reopen();
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    expectWhole(editor, "draft");
    // Saved twice: each save replaces the stored copy the list showed.
    for (const char* subject : {"draft 2", "draft 3"}) {
        E2e::SetControlText(View(editor), IDC_ME_SUBJECT, subject);
        Command(editor, ID_EDIT_SAVE);
        Sleep(1500);
        ASSERT_TRUE(WaitForDrafts(1)) << m_session.Windows();
        EXPECT_EQ(E2e::ListItemCount(AttachList(editor)), 1) << subject;
    }
    expectWhole(editor, "draft 3");
    // The stored copy holds the file too.
    std::vector<std::string> drafts = m_session.StoredMails(CFolderRecord::kindWriting);
    ASSERT_EQ(drafts.size(), 1u);
    EXPECT_NE(drafts[0].find("data.bin"), std::string::npos);

    Send(editor);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    CMimePart root;
    root.Parse(mails[0].data(), mails[0].size());
    std::vector<std::string> bodies;
    CollectParts(root, bodies);
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), BinaryFile()), 1) << mails[0].substr(0, 1500);
    EXPECT_NE(mails[0].find("Reply-To: answers@example.jp"), std::string::npos);
    EXPECT_NE(mails[0].find("X-Priority: 1"), std::string::npos);
    // The signature the draft carries is not added a second time.
    EXPECT_EQ(CountOf(mails[0], "Yamada"), 1u);
    EXPECT_TRUE(m_session.WaitForEditorCount(0));
    m_session.Close(main);
    EXPECT_TRUE(m_session.StoredMails(CFolderRecord::kindWriting).empty());
}

TEST_F(ComposedMailCarryTest, HtmlDraftReopensAsHtmlMail)
{
    PrepareMailBox(78);
    ASSERT_TRUE(m_session.AddStoredMail(
        CFolderRecord::kindWriting,
        "From: cvmtest78@cvm.test\r\nTo: a@example.jp\r\nSubject: html draft\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/alternative; boundary=\"h1\"\r\n\r\n"
        "--h1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nbold text\r\n"
        "--h1\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n<html><body><b>bold</b> text</body></html>\r\n"
        "--h1--\r\n"));
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(m_session.OpenOnlyMail(main, "作成中"));
    // The editor shows the stored HTML part in its HTML view (under Wine
    // without an HTML engine, the HTML's text) in the text body's place.
    HWND editor = OnlyEditor();
    ASSERT_NE(editor, nullptr);
    HWND html = GetDlgItem(View(editor), 1312);
    ASSERT_NE(html, nullptr) << m_session.Windows();
    EXPECT_TRUE(IsWindowVisible(html));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(View(editor), IDC_ME_BODY)));
    EXPECT_EQ(m_session.Program().WaitForMessageBox("HTMLの表示エラー", 1000), nullptr);
    EXPECT_EQ(E2e::GetControlText(View(editor), IDC_ME_SUBJECT), CString("html draft"));
    // The HTML part is the body, not an attachment.
    EXPECT_EQ(E2e::ListItemCount(AttachList(editor)), 0);
    CloseEditor(editor);
    m_session.Close(main);
}

TEST_F(ComposedMailCarryTest, ForwardOfThreeSelectedMailsAttachesEachOfThem)
{
    NeedSmtp();
    PrepareMailBox(79);
    for (const char* subject : {"first", "second", "third"})
        ASSERT_TRUE(m_session.AddStoredMail(
            CFolderRecord::kindInbox, std::string("From: Sato <sato@example.jp>\r\nTo: cvmtest79@cvm.test\r\nSubject: ") +
                                          subject + "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n\r\nbody of " + subject +
                                          "\r\n"));
    CString maildir = NetTest::ClearMaildir(79);
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);
    HWND list = m_session.ShowFolder(main, "郵便受け", 3);
    ASSERT_NE(list, nullptr) << m_session.Windows();
    {
        E2e::CRemoteBlock block(list, sizeof(LVITEMA));
        LVITEMA lv = {};
        lv.stateMask = LVIS_SELECTED;
        lv.state = LVIS_SELECTED;
        block.Write(&lv, sizeof(lv));
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), block.Param());
    }
    ASSERT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 3);
    Command(main, ID_MAIL_FORWARD);
    HWND editor = OnlyEditor();
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ASSERT_EQ(E2e::ListItemCount(AttachList(editor)), 3) << m_session.Windows();
    E2e::SetControlText(View(editor), IDC_ME_TO, "cvmtest79@cvm.test");
    E2e::SetControlText(View(editor), IDC_ME_SUBJECT, "three mails");
    Send(editor);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    for (const char* body : {"body of first", "body of second", "body of third"})
        EXPECT_EQ(CountOf(mails[0], body), 1u) << body << "\n" << mails[0].substr(0, 3000);
    EXPECT_TRUE(m_session.WaitForEditorCount(0));
    m_session.Close(main);
}

TEST_F(ComposedMailCarryTest, TemplateReplyCarriesTheQuoteHeaderOnce)
{
    PrepareMailBox(80);
    // The account answers through a template that puts the quote header
    // above the quoted text itself.
    {
        CAccountDataSet set;
        set.SetFilePath(m_session.MailBox() + "\\Account.dat");
        ASSERT_TRUE(set.ReadFromFile(TRUE));
        set.GetAccount(0)->SetReplyTemplate("reply.txt");
        ASSERT_TRUE(set.WriteToFile(FALSE));
    }
    CreateDirectoryA(m_session.MailBox() + "\\Template.Box", nullptr);
    TestSupport::WriteFileBytes(m_session.MailBox() + "\\Template.Box\\reply.txt",
                                "X-Template: reply\r\n\r\nThanks.\r\n%TEMPLATE%%REFBODY%");
    ASSERT_TRUE(m_session.AddStoredMail(CFolderRecord::kindInbox,
                                        "From: Sato <sato@example.jp>\r\nTo: cvmtest80@cvm.test\r\nSubject: question\r\n"
                                        "Date: Mon, 1 Jan 2024 10:00:00 +0900\r\n\r\nwhat time?\r\n"));
    HWND main = nullptr;
    HWND editor = EditorForInboxMail(main, ID_MAIL_REPLY);
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    std::string body = E2e::GetControlText(View(editor), IDC_ME_BODY).Str();
    EXPECT_EQ(CountOf(body, "を引用しています。"), 1u) << body;
    EXPECT_EQ(CountOf(body, ">what time?"), 1u) << body;
    EXPECT_EQ(body.find("Thanks."), 0u) << body;
    EXPECT_EQ(E2e::GetControlText(View(editor), IDC_ME_SUBJECT), CString("Re: question"));
    CloseEditor(editor);
    m_session.Close(main);
}

TEST_F(ComposedMailCarryTest, OutboxCommandDuringASendNeitherHangsNorSendsTwice)
{
    NeedSmtp();
    PrepareMailBox(80);
    CString maildir = NetTest::ClearMaildir(80);
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);
    // The new editor is the one not open before: the sending editor may
    // close meanwhile, so the number of editors says nothing.
    auto newEditor = [&]() -> HWND {
        const std::vector<HWND> before = m_session.Editors();
        Command(main, ID_MAIL_NEW);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(100))
            for (HWND h : m_session.Editors())
                if (std::find(before.begin(), before.end(), h) == before.end() &&
                    E2e::GetControlText(View(h), IDC_ME_SUBJECT).IsEmpty())
                    return h;
        return nullptr;
    };
    HWND sending = newEditor();
    ASSERT_NE(sending, nullptr);
    E2e::SetControlText(View(sending), IDC_ME_TO, "cvmtest80@cvm.test");
    E2e::SetControlText(View(sending), IDC_ME_SUBJECT, "sent once");
    E2e::SetControlText(View(sending), IDC_ME_BODY, "body");
    Command(sending, ID_EDIT_SEND);
    HWND confirm = m_session.Program().WaitForDialogWithControl(IDC_SI_TO, 20000);
    ASSERT_NE(confirm, nullptr) << m_session.Windows();
    // The outbox command while the send is being confirmed, and again
    // while it runs: neither may start a job of its own.
    Command(sending, ID_EDIT_TO_OUTBOX);
    Sleep(500);
    E2e::PressButton(confirm, IDOK);
    Command(sending, ID_EDIT_TO_OUTBOX);

    HWND queued = newEditor();
    ASSERT_NE(queued, nullptr) << m_session.Windows();
    E2e::SetControlText(View(queued), IDC_ME_TO, "cvmtest80@cvm.test");
    E2e::SetControlText(View(queued), IDC_ME_SUBJECT, "queued");
    Command(queued, ID_EDIT_TO_OUTBOX);

    ASSERT_TRUE(m_session.WaitForEditorCount(0, 30000)) << m_session.Windows();
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_NE(mails[0].find("Subject: sent once"), std::string::npos);
    Sleep(2000);
    EXPECT_EQ(CEditorSession::WaitForDelivered(maildir, 2, 1000).size(), 1u);
    m_session.Close(main);
    std::vector<std::string> outbox = m_session.StoredMails(CFolderRecord::kindSend);
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_NE(outbox[0].find("Subject: queued"), std::string::npos);
}

TEST_F(ComposedMailCarryTest, MailOfUtf8TextForwardedAsAttachmentArrivesUnchanged)
{
    NeedSmtp();
    PrepareMailBox(82);
    const std::string body = "UTF-8 \xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf\r\n"
                             "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\x9c\xac\xe6\x96\x87\r\n";
    const std::string header = "From: Sato <sato@example.jp>\r\nTo: cvmtest82@cvm.test\r\nSubject: utf8 mail\r\n"
                               "Message-ID: <u1@example.jp>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n"
                               "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                               "Content-Transfer-Encoding: 8bit\r\n";
    ASSERT_TRUE(m_session.AddStoredMail(CFolderRecord::kindInbox, header + "\r\n" + body));
    CString maildir = NetTest::ClearMaildir(82);
    HWND main = nullptr;
    HWND editor = EditorForInboxMail(main, ID_MAIL_FORWARD_ENCAPSULATED);
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ASSERT_EQ(E2e::ListItemCount(AttachList(editor)), 1);
    E2e::SetControlText(View(editor), IDC_ME_TO, "cvmtest82@cvm.test");
    Send(editor);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    const std::string& raw = mails[0];
    size_t part = raw.find("Content-Type: message/rfc822");
    ASSERT_NE(part, std::string::npos) << raw;
    EXPECT_NE(raw.find("Content-Transfer-Encoding: 8bit", part), std::string::npos) << raw;
    // Every line of the forwarded mail, byte for byte, after the part header.
    std::string attached = raw.substr(raw.find("\r\n\r\n", part) + 4);
    EXPECT_NE(attached.find("\r\n\r\n" + body), std::string::npos) << attached;
    for (size_t at = 0, eol; (eol = header.find("\r\n", at)) != std::string::npos; at = eol + 2)
        EXPECT_NE(attached.find(header.substr(at, eol + 2 - at)), std::string::npos) << header.substr(at, eol - at);
    EXPECT_EQ(attached.find("\x1b$B"), std::string::npos) << "no JIS escapes in the forwarded text";
    m_session.Close(main);
}
