// A mail written in the HTML editing view leaves through the editor's send
// job as text and HTML alternatives, its pictures as related parts.
// check_html_mail.py reads the built message with Python's email parser.
#include "editor/MailEditSendJob.h"
#include "html/HtmlTableEditing.h"
#include "html/MemoryHtmlDocument.h"
#include "html/QHtmlEditView.h"
#include "net/SmtpSession.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(HtmlMailOut, WrittenInTheViewLeavesAsAlternativesWithRelatedPictures)
{
    TestSupport::TempDir dir;
    const char* out = getenv("CVM_HTML_MAIL_OUT");
    CString folder = out && *out ? CString(out) : dir.Path();
    std::string picture = "\x89PNG\r\n\x1a\n" + std::string(300, '\x07') + "end";
    // The page and its picture in a folder of the mail's own, and a photo
    // of the user's elsewhere, put in while writing.
    std::string photo;
    for (int b = 0; b < 256; ++b)
        photo += static_cast<char>(b);
    CreateDirectoryA(folder + "\\page", nullptr);
    CreateDirectoryA(folder + "\\photos", nullptr);
    TestSupport::WriteFileBytes(folder + "\\page\\pic.png", picture);
    TestSupport::WriteFileBytes(folder + "\\photos\\my photo.jpg", photo);
    TestSupport::WriteFileBytes(folder + "\\picture.bin", picture);
    TestSupport::WriteFileBytes(folder + "\\photo.bin", photo);
    CString page = folder + "\\page\\mail.html";
    TestSupport::WriteFileBytes(page, "<html><body><div>こんにちは<img src=\"pic.png\"></div></body></html>");

    CQHtmlEditView::SetEngineFactory([](const CString& url) { return CMemoryHtmlDocument::Load(url); });
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass("CVMTestHtmlMailHost", 0), "host", WS_OVERLAPPEDWINDOW, 0, 0,
                              300, 200, nullptr, nullptr));
    CQHtmlEditView view;
    ASSERT_TRUE(view.Create(&host, 1312, RECT{ 0, 0, 300, 200 }));
    view.Navigate(page);
    auto* doc = static_cast<CMemoryHtmlDocument*>(view.GetDocumentRef().GetDocument());
    ASSERT_TRUE(doc);
    doc->SetCaret(doc->Find(L"DIV"));
    HtmlNewTable table;
    table.nColumns = 2, table.nRows = 1;
    ASSERT_TRUE(PasteHtmlAtSelection(view.GetDocumentRef(), BuildTableMarkup(table)));
    CString photoUrl = "file:///" + folder + "/photos/my%20photo.jpg";
    photoUrl.Replace('\\', '/');
    ASSERT_TRUE(PasteHtmlAtSelection(view.GetDocumentRef(), "<img src=\"" + photoUrl + "\">"));

    CMailEditSendJob job;
    job.m_nMode = CMailEditSendJob::modeOutbox;
    job.m_strTo = "rcpt@example.jp";
    job.m_strSubject = "HTMLのメール";
    job.m_strSenderName = "差出人";
    job.m_strSenderAddress = "sender@example.jp";
    job.m_bHtml = true;
    job.m_strHtml = view.GetDocumentHtml();
    job.m_strHtmlPath = page;
    job.m_strBody = view.GetBodyText("shift_jis");
    EXPECT_STREQ(job.m_strBody, "こんにちは");
    CSmtpSession session;
    ASSERT_TRUE(job.Fill(session));
    CString built = folder + "\\built.eml";
    ASSERT_TRUE(session.BuildMessage(built, true));
    host.DestroyWindow();
    CQHtmlEditView::SetEngineFactory(nullptr);

    std::string mail = TestSupport::ReadFileBytes(built);
    EXPECT_NE(mail.find("multipart/alternative"), std::string::npos);
    EXPECT_NE(mail.find("multipart/related"), std::string::npos);
}
