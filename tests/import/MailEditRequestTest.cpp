// Requests to write a mail: the mailto text, lists of files, and what a
// request from an untrusted caller may not do.
#include "ImportTestUtil.h"

#include "store/MailEditRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ImportTest::TestApp;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

struct Seen
{
    int calls = 0;
    int mode = 0, index = 0;
    LPARAM extra = 0;
    BOOL setAddress = FALSE;
    std::string to, cc, body, subject, own;
    std::vector<std::string> attach, temp;
};
Seen g_seen;

BOOL RecordEditor(const CMailEditRequest& r)
{
    ++g_seen.calls;
    g_seen.mode = r.m_nMode;
    g_seen.index = r.m_nIndex;
    g_seen.extra = r.m_lExtra;
    g_seen.setAddress = r.m_bSetAddress;
    g_seen.to = r.m_strTo.Str();
    g_seen.cc = r.m_strCc.Str();
    g_seen.body = r.m_strBody.Str();
    g_seen.subject = r.m_strSubject.Str();
    g_seen.own = r.m_strOwnText.Str();
    g_seen.attach.clear();
    g_seen.temp.clear();
    for (int i = 0; i < r.m_attachFiles.GetSize(); ++i)
        g_seen.attach.push_back(r.m_attachFiles[i].Str());
    for (int i = 0; i < r.m_tempAttachFiles.GetSize(); ++i)
        g_seen.temp.push_back(r.m_tempAttachFiles[i].Str());
    return TRUE;
}

BOOL g_activate = FALSE;
BOOL ActivateEditor(CMailFolderStore*, int)
{
    return g_activate;
}

struct EditorRun : ::testing::Test
{
    TempDir dir;
    TestApp app{dir.Path()};
    CString fileA, fileB, spaced;

    void SetUp() override
    {
        g_seen = Seen();
        g_activate = FALSE;
        GetMailEditorHooks().pfnStartEditor = RecordEditor;
        GetMailEditorHooks().pfnActivateEditor = ActivateEditor;
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        app.AddAccount();
        fileA = dir.File("a.txt");
        fileB = dir.File("b.txt");
        spaced = dir.File("with blank.txt");
        WriteFileBytes(fileA, "a");
        WriteFileBytes(fileB, "b");
        WriteFileBytes(spaced, "c");
    }
    void TearDown() override { GetMailEditorHooks() = MailEditorHooks(); }

    BOOL Open(const CString& address, BOOL trusted, const char* second = "")
    {
        return app.OpenMailEditor(-1, nullptr, -1, 0, address, second, "", "", "", 0, 0, FALSE, 0, trusted);
    }
};

} // namespace

TEST_F(EditorRun, MailtoTextsAreParsed)
{
    struct Case
    {
        std::string address, to, subject, body;
    };
    const Case cases[] = {
        {"user@example.jp", "user@example.jp", "", ""},
        {"a@example.jp,b@example.jp?subject=two%20words&body=a+b", "a@example.jp,b@example.jp", "two words", "a b"},
        {"x@example.jp?SUBJECT=Hi&Body=l1%0D%0Al2", "x@example.jp", "Hi", "l1\r\nl2"},
        {"x@example.jp?subject=first&subject=second&cc=ignored", "x@example.jp", "second", ""},
        {"x@example.jp?subject=100%&body=%4", "x@example.jp", "100%", "%4"},
        {"x@example.jp?subject=%82%A0", "x@example.jp", "\x82\xA0", ""},
        {"x@example.jp?body=a%00b", "x@example.jp", "", "ab"},
        // Line breaks would start new header lines in the sent mail.
        {"x@example.jp?subject=hi%0D%0ABcc:%20evil@example.com", "x@example.jp", "hiBcc: evil@example.com", ""},
        {"x@example.jp%0D%0ABcc:%20y@example.com", "x@example.jp%0D%0ABcc:%20y@example.com", "", ""},
        {"\"Name Blank\" <n@example.jp>", "\"Name Blank\" <n@example.jp>", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        ASSERT_TRUE(Open(c.address.c_str(), FALSE));
        EXPECT_TRUE(g_seen.setAddress);
        EXPECT_EQ(g_seen.to, c.to);
        EXPECT_EQ(g_seen.subject, c.subject);
        EXPECT_EQ(g_seen.body, c.body);
        EXPECT_TRUE(g_seen.attach.empty());
    }
}

TEST_F(EditorRun, RawLineBreaksLeaveNoHeaderLines)
{
    ASSERT_TRUE(Open("x@example.jp\r\nBcc: y@example.com", FALSE, "c@example.jp\nX: 1"));
    EXPECT_EQ(g_seen.to, "x@example.jpBcc: y@example.com");
    EXPECT_EQ(g_seen.cc, "c@example.jpX: 1");
    ASSERT_TRUE(app.OpenMailEditor(-1, nullptr, -1, 0, "a@example.jp", "", "", "", "s\r\nX: 1", 0, 0, TRUE, 0));
    EXPECT_EQ(g_seen.subject, "sX: 1");
    EXPECT_EQ(g_seen.to, "a@example.jp");
}

TEST_F(EditorRun, FilesAttachOnlyForTrustedCallers)
{
    CString query = "x@example.jp?subject=s&attach=" + fileA + ";" + dir.File("missing.txt") +
                    "&tempattach=" + fileB;
    ASSERT_TRUE(Open(query, TRUE));
    ASSERT_EQ(g_seen.attach.size(), 1u);
    EXPECT_EQ(CString(g_seen.attach[0].c_str()).CompareNoCase(fileA), 0);
    ASSERT_EQ(g_seen.temp.size(), 1u);
    EXPECT_EQ(CString(g_seen.temp[0].c_str()).CompareNoCase(fileB), 0);
    EXPECT_EQ(g_seen.to, "x@example.jp");

    // The same text from a link in a mail: an address, a subject, no files.
    ASSERT_TRUE(Open(query, FALSE));
    EXPECT_TRUE(g_seen.attach.empty());
    EXPECT_TRUE(g_seen.temp.empty());
    EXPECT_EQ(g_seen.subject, "s");
    EXPECT_TRUE(TestSupport::FileExists(fileB));

    ASSERT_TRUE(Open(fileA, FALSE));
    EXPECT_TRUE(g_seen.attach.empty());
}

TEST_F(EditorRun, AListOfFilesAttachesThemWithoutAnAddress)
{
    struct Case
    {
        CString text;
        size_t files;
    };
    const Case cases[] = {
        {fileA + " " + fileB, 2},
        {"\"" + spaced + "\"", 1},
        {"  \"" + spaced + "\"   " + fileA + " ", 2},
        // A folder is a path: it stops the address parsing but attaches nothing.
        {dir.Path(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.GetString());
        ASSERT_TRUE(Open(c.text, TRUE));
        EXPECT_EQ(g_seen.attach.size(), c.files);
        EXPECT_FALSE(g_seen.setAddress);
        EXPECT_EQ(g_seen.to, "");
    }
}

TEST_F(EditorRun, ArgumentsReachTheEditor)
{
    ASSERT_TRUE(app.OpenMailEditor(4, nullptr, 7, 1234, "", "", "tmpl.txt", "the body", "the subject", 1, 2, FALSE, 0));
    EXPECT_EQ(g_seen.mode, 4);
    EXPECT_EQ(g_seen.index, 7);
    EXPECT_EQ(g_seen.extra, 1234);
    EXPECT_EQ(g_seen.own, "tmpl.txt");
    EXPECT_EQ(g_seen.body, "the body");
    EXPECT_EQ(g_seen.subject, "the subject");
    ASSERT_TRUE(app.OpenMailEditor(1, nullptr, 7, 1234, "", "", "", "", "", 0, 0, FALSE, 0));
    EXPECT_EQ(g_seen.extra, 0);
}

TEST_F(EditorRun, CommandLineTextsAttachNothingThroughMailtoParameters)
{
    // A link on a web page reaches the program on the command line or
    // through a second start: its attach parameters are ignored, and a
    // "mailto:" text never names files as words.
    struct Case
    {
        CString text;
        size_t files;
        size_t ignored;
        const char* to;
    };
    const Case cases[] = {
        {"mailto:x@example.jp?attach=" + fileA, 0, 1, "x@example.jp"},
        {"MAILTO:x@example.jp?subject=s&tempattach=" + fileB + "&attach=" + dir.File("missing.txt"), 0, 1,
         "x@example.jp"},
        {"x@example.jp?attach=" + fileA, 0, 1, "x@example.jp"},
        {"mailto:" + fileA, 0, 0, ""},
        // Plain words naming files still attach them (the shell's "send to").
        {fileA + " " + fileB, 2, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.GetString());
        CMailEditRequest request;
        request.ParseAddressText(c.text, "", CMailEditRequest::originCommandLine);
        EXPECT_EQ(static_cast<size_t>(request.m_attachFiles.GetSize()), c.files);
        EXPECT_EQ(request.m_tempAttachFiles.GetSize(), 0);
        EXPECT_EQ(static_cast<size_t>(request.m_ignoredAttachFiles.GetSize()), c.ignored);
        if (*c.to) {
            EXPECT_STREQ(request.m_strTo, c.to);
        }
    }
    // Through the application's entry, and nothing is deleted.
    app.OpenMailEditor(CString("mailto:x@example.jp?attach=") + fileA + "&tempattach=" + fileB);
    EXPECT_TRUE(g_seen.attach.empty());
    EXPECT_TRUE(g_seen.temp.empty());
    EXPECT_EQ(g_seen.to, "x@example.jp");
    EXPECT_TRUE(TestSupport::FileExists(fileB));
    // The mail bridge's own channel stays trusted.
    ASSERT_TRUE(Open(CString("x@example.jp?attach=") + fileA, TRUE));
    EXPECT_EQ(g_seen.attach.size(), 1u);
}

TEST_F(EditorRun, OpenEditorOfTheSameMailIsReused)
{
    CMailFolderStore* store = app.AddStore(dir.File("F"), 1, "F");
    g_activate = TRUE;
    EXPECT_TRUE(app.OpenMailEditor(0, store, 3, 0, "", "", "", "", "", 0, 0, FALSE, 0));
    EXPECT_EQ(g_seen.calls, 0);
    g_activate = FALSE;
    EXPECT_TRUE(app.OpenMailEditor(0, store, 3, 0, "", "", "", "", "", 0, 0, FALSE, 0));
    EXPECT_EQ(g_seen.calls, 1);
}

TEST(MailEditRequestNoAccount, RefusedWithAMessage)
{
    TempDir dir;
    TestApp app(dir.Path());
    GetMailEditorHooks().pfnStartEditor = RecordEditor;
    g_seen = Seen();
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    EXPECT_FALSE(app.OpenMailEditor(-1, nullptr, -1, 0, "x@example.jp", "", "", "", "", 0, 0, FALSE, 0));
    EXPECT_EQ(g_seen.calls, 0);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("アカウントを作成してから実行してください。"), std::string::npos);
    GetMailEditorHooks() = MailEditorHooks();
}
