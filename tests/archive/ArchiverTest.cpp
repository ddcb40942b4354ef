// The program's calls of the archiver libraries (through the stand-ins of
// the tests), the packing of a password mail's attachments at sending, and
// what happens without a library.
#include "archive/ArchiveTestSupport.h"
#include "archive/MailPart.h"
#include "message/Base64.h"
#include "archive/UnixTool.h"
#include "coreui/UiTestSupport.h"
#include "core/PasswordScrambler.h"
#include "editor/ArchivePassword.h"
#include "editor/Archiver.h"
#include "editor/MailEditSendJob.h"
#include "message/OutgoingMailServices.h"
#include "net/SmtpSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using ArchiveTest::CStandInLibraries;

namespace {

std::string S(const CString& s)
{
    return s.GetString();
}

class ArchiverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(m_libs.Zip(), nullptr);
        ASSERT_NE(m_libs.Lha(), nullptr);
        TestSupport::WriteFileBytes(m_dir.File("report.doc"), "quarterly figures");
    }
    TestSupport::TempDir m_dir;
    CStandInLibraries m_libs;
};

} // namespace

TEST_F(ArchiverTest, CommandFormsOfEachOperation)
{
    CArchiver archiver(m_libs.Zip(), m_libs.Lha());
    CString file = m_dir.File("report.doc");
    const HWND window = GetDesktopWindow();
    struct Case
    {
        const char* what;
        int result;
        HMODULE library;
        std::string expected;
    } cases[] = {
        {"password, no window", archiver.ArchiveFileWithPassword("pw", m_dir.File("a.zip"), nullptr, file, 0),
         m_libs.Zip(), "-j -q -P \"pw\" \"" + S(m_dir.File("a.zip")) + "\" \"" + S(file) + "\""},
        {"password, window", archiver.ArchiveFileWithPassword("pw", m_dir.File("b.zip"), window, file, 0),
         m_libs.Zip(), "-j -P \"pw\" \"" + S(m_dir.File("b.zip")) + "\" \"" + S(file) + "\""},
        {"no password", archiver.ArchiveFileWithPassword("", m_dir.File("c.zip"), nullptr, file, 0), m_libs.Zip(),
         "-j -q \"" + S(m_dir.File("c.zip")) + "\" \"" + S(file) + "\""},
        // The compress command's single archive carries no built-in password.
        {"compress ZIP", archiver.ArchiveFile(0, file, window, m_dir.File("d")), m_libs.Zip(),
         "-j \"" + S(m_dir.File("d")) + "\" \"" + S(file) + "\""},
        {"LHA ignores passwords", archiver.ArchiveFileWithPassword("pw", m_dir.File("e.lzh"), nullptr, file, 1),
         m_libs.Lha(), "a \"" + S(m_dir.File("e.lzh")) + "\" \"" + S(file) + "\""},
        {"compress LHA", archiver.ArchiveFile(1, file, window, m_dir.File("f")), m_libs.Lha(),
         "a \"" + S(m_dir.File("f")) + "\" \"" + S(file) + "\""},
    };
    std::string lastZip, lastLha;
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, 0) << c.what;
        (c.library == m_libs.Zip() ? lastZip : lastLha) = c.expected;
    }
    EXPECT_EQ(CStandInLibraries::LastCommand(m_libs.Zip()), lastZip);
    EXPECT_EQ(CStandInLibraries::LastCommand(m_libs.Lha()), lastLha);
    // The libraries put their extension on a name without one.
    std::string bytes;
    EXPECT_TRUE(UnixTool::UnzipEntry(m_dir.File("d.zip"), "", "report.doc", bytes));
    EXPECT_TRUE(UnixTool::LhaEntry(m_dir.File("f.lzh"), "report.doc", bytes));
    EXPECT_EQ(bytes, "quarterly figures");
    EXPECT_FALSE(UnixTool::UnzipEntry(m_dir.File("a.zip"), "", "report.doc", bytes));
    EXPECT_TRUE(UnixTool::UnzipEntry(m_dir.File("a.zip"), "pw", "report.doc", bytes));
}

TEST_F(ArchiverTest, PasswordsWithQuotesAndBlanksReachTheArchiveUnchanged)
{
    CArchiver archiver(m_libs.Zip(), m_libs.Lha());
    for (const char* password : {"a\"b", "pass word", "x -P y", "back\\slash\\", "\"\""}) {
        CString archive = m_dir.File("q.zip");
        DeleteFileA(archive);
        ASSERT_EQ(archiver.ArchiveFileWithPassword(password, archive, nullptr, m_dir.File("report.doc"), 0), 0)
            << password;
        std::string bytes;
        EXPECT_TRUE(UnixTool::UnzipEntry(archive, password, "report.doc", bytes)) << password;
        EXPECT_EQ(bytes, "quarterly figures") << password;
    }
}

TEST_F(ArchiverTest, ALongNameRefusedIsPackedByItsShortNameWithThePassword)
{
    CStandInLibraries::RejectLongNames(m_libs.Zip(), true);
    TestSupport::WriteFileBytes(m_dir.File("annual report 2024.document"), "long named");
    char shortPath[MAX_PATH] = {};
    GetShortPathNameA(m_dir.File("annual report 2024.document"), shortPath, sizeof(shortPath));
    CArchiver archiver(m_libs.Zip(), m_libs.Lha());
    int result = archiver.ArchiveFileWithPassword("pw", m_dir.File("long.zip"), nullptr,
                                                  m_dir.File("annual report 2024.document"), 0);
    CStandInLibraries::RejectLongNames(m_libs.Zip(), false);
    EXPECT_EQ(result, 0);
    EXPECT_NE(CStandInLibraries::LastCommand(m_libs.Zip()).find(shortPath), std::string::npos);
    EXPECT_NE(CStandInLibraries::LastCommand(m_libs.Zip()).find("-P \"pw\""), std::string::npos);
    std::string output;
    EXPECT_TRUE(UnixTool::UnzipTest(m_dir.File("long.zip"), "pw", output)) << output;
}

TEST_F(ArchiverTest, AMissingLibraryIsAFailureNeverASilentSuccess)
{
    CArchiver none(nullptr, nullptr);
    EXPECT_FALSE(none.IsAvailable(0));
    EXPECT_FALSE(none.IsAvailable(1));
    EXPECT_EQ(none.ArchiveFile(0, m_dir.File("report.doc"), nullptr, m_dir.File("x")), CArchiver::kNotAvailable);
    EXPECT_EQ(none.ArchiveFileWithPassword("pw", m_dir.File("x.zip"), nullptr, m_dir.File("report.doc"), 0),
              CArchiver::kNotAvailable);
    EXPECT_EQ(none.ArchiveFileWithPassword("", m_dir.File("x.lzh"), nullptr, m_dir.File("report.doc"), 1),
              CArchiver::kNotAvailable);
    // A library without the entry counts as missing.
    CArchiver wrong(GetModuleHandleA("kernel32.dll"), GetModuleHandleA("kernel32.dll"));
    EXPECT_FALSE(wrong.IsAvailable(0));
    EXPECT_EQ(wrong.ArchiveFile(1, m_dir.File("report.doc"), nullptr, m_dir.File("x")), CArchiver::kNotAvailable);
}

namespace {

// A password mail built for sending, as the send thread builds it.
class SendArchiveTest : public ArchiverTest
{
protected:
    void SetUp() override
    {
        ArchiverTest::SetUp();
        m_app.reset(new UiTest::App(m_dir.File("CVM.ini")));
        m_app->m_hZip32j = m_libs.Zip();
        m_previous = SetArchiveFileFunction(nullptr);
        InstallSendArchiver();
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        m_session.SetAccountName("main");
        m_session.SetFrom("taro@example.com");
        m_session.SetTo("hanako@example.com");
        m_session.SetSubject("figures");
        m_session.AddBodyLine("see the attachment\r\n");
        m_session.AddAttachment(m_dir.File("report.doc"));
    }
    void TearDown() override
    {
        SetArchiveFileFunction(m_previous);
        m_app->m_hZip32j = nullptr;
        m_app.reset();
    }
    std::unique_ptr<UiTest::App> m_app;
    ArchiveFileFunction m_previous = nullptr;
    CSmtpSession m_session;
};

} // namespace

TEST_F(SendArchiveTest, AttachmentsOfAPasswordMailGoAsArchivesThatOpenWithThePassword)
{
    m_session.SetArchivePassword("x\"y z");
    ASSERT_TRUE(m_session.BuildMessage(m_dir.File("out.eml"), true)) << S(m_session.GetLastErrorText());
    std::string mail = TestSupport::ReadFileBytes(m_dir.File("out.eml"));
    EXPECT_EQ(mail.find("quarterly figures"), std::string::npos);
    std::string zip;
    ASSERT_TRUE(ArchiveTest::ExtractAttachment(mail, "report.zip", zip));
    TestSupport::WriteFileBytes(m_dir.File("got.zip"), zip);
    std::string bytes;
    ASSERT_TRUE(UnixTool::UnzipEntry(m_dir.File("got.zip"), "x\"y z", "report.doc", bytes));
    EXPECT_EQ(bytes, "quarterly figures");
}

TEST_F(SendArchiveTest, WithoutTheLibraryAPasswordMailIsRefusedNotSentInClear)
{
    m_app->m_hZip32j = nullptr;
    m_session.SetArchivePassword("pw");
    EXPECT_FALSE(m_session.BuildMessage(m_dir.File("out.eml"), true));
    EXPECT_NE(S(m_session.GetLastErrorText()).find("暗号化"), std::string::npos);
    EXPECT_FALSE(TestSupport::FileExists(m_dir.File("out.eml")));

    // The send routine stops before that: the chosen password cannot be
    // applied, and the user is told so.
    m_app->WriteProfileInt("Setting", "CorvanePasswordMode", 1);
    CPasswordScrambler scrambler;
    m_app->WriteProfileString("Setting", "CorvaneDefaultPassword", scrambler.Scramble("pw"));
    CString password;
    EXPECT_FALSE(SettleArchivePassword(nullptr, CArchiver(nullptr, nullptr), password));
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("ZIP32J.DLL"), std::string::npos);
    // With the library the default password is taken without a question.
    EXPECT_TRUE(SettleArchivePassword(nullptr, CArchiver(m_libs.Zip(), nullptr), password));
    EXPECT_EQ(S(password), "pw");
    // No password at all needs no library.
    m_app->WriteProfileString("Setting", "CorvaneDefaultPassword", "");
    EXPECT_TRUE(SettleArchivePassword(nullptr, CArchiver(nullptr, nullptr), password));
    EXPECT_TRUE(password.IsEmpty());
}

namespace {

// The bytes of every Base64 part of a built mail.
std::vector<std::string> Base64Parts(const std::string& mail)
{
    std::vector<std::string> parts;
    for (size_t at = mail.find("Content-Transfer-Encoding: base64"); at != std::string::npos;
         at = mail.find("Content-Transfer-Encoding: base64", at + 1)) {
        size_t body = mail.find("\r\n\r\n", at);
        size_t end = body == std::string::npos ? body : mail.find("\r\n--", body);
        if (end == std::string::npos)
            break;
        std::string text;
        for (size_t i = body + 4; i < end; ++i)
            if (mail[i] != '\r' && mail[i] != '\n')
                text += mail[i];
        parts.push_back(CBase64::DecodeToString(text.c_str(), static_cast<int>(text.size())));
    }
    return parts;
}

} // namespace

TEST_F(SendArchiveTest, TheBodySentAsAnArchiveOpensWithTheSamePasswordAsTheAttachments)
{
    CMailEditSendJob job;
    job.m_strTo = "hanako@example.com";
    job.m_strSubject = "figures";
    job.m_strBody = "秘密の本文\r\n二行目";
    job.m_attachFiles.Add(m_dir.File("report.doc"));
    job.m_bBodyAsArchive = true;
    job.m_strBodyFileBase = m_dir.Path();
    job.m_strBodyComment = "本文は添付されています。";
    job.m_strArchivePassword = "body pw";
    CSmtpSession session;
    session.SetFrom("taro@example.com");
    ASSERT_TRUE(job.Fill(session));
    ASSERT_TRUE(session.BuildMessage(m_dir.File("body.eml"), true)) << S(session.GetLastErrorText());
    std::string mail = TestSupport::ReadFileBytes(m_dir.File("body.eml"));
    std::vector<std::string> contents;
    int n = 0;
    for (const std::string& part : Base64Parts(mail)) {
        if (part.compare(0, 2, "PK") != 0)
            continue;
        CString zip = m_dir.File(FormatString("part%d.zip", n++));
        TestSupport::WriteFileBytes(zip, part);
        std::string bytes;
        ASSERT_EQ(UnixTool::Run({"/usr/bin/unzip", "-p", "-P", "body pw", UnixTool::UnixPath(zip)}, bytes), 0);
        contents.push_back(bytes);
    }
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"quarterly figures", "秘密の本文\r\n二行目\r\n"}));
    EXPECT_EQ(mail.find("秘密"), std::string::npos);
}
