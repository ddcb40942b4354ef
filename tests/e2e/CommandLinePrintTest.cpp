// A print request on the command line, as the shell or another program
// makes it ("CVMail.exe /p file"): the mail file named is printed on the
// default printer without a question, and the program ends leaving nothing
// of it in the mailbox.
#include "core/FileUtil.h"
#include "e2e/MaintFixture.h"
#include "e2e/TestAccount.h"
#include "support/TestPrinter.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <string>

namespace {

const char kPrinter[] = "CVM Print Request Printer";
const char kPort[] = "LPT3:";

int CountOf(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class CommandLinePrintTest : public MaintE2e::CMailBoxTest
{
};

} // namespace

TEST_F(CommandLinePrintTest, TheNamedMailFileIsPrintedOnTheDefaultPrinterAndTheProgramEnds)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox());
    // An account, without which the program would start by asking for one.
    ASSERT_TRUE(E2e::WriteTestAccount(MailBox(), 1));
    const CString printed = m_dir.File("printed.ps");
    ASSERT_FALSE(TestSupport::InstallTestPrinter(kPrinter, kPort).empty());
    ASSERT_TRUE(TestSupport::SendPortToFile(kPort, printed));
    ASSERT_TRUE(SetDefaultPrinterA(kPrinter));
    // Long enough for several pages, where an empty view would print one.
    std::string mail = "From: Taro <taro@example.jp>\r\nTo: hanako@example.jp\r\nSubject: 印刷する一通\r\n"
                       "Message-ID: <print1@example.jp>\r\n\r\n";
    for (int i = 0; i < 150; ++i)
        mail += "印刷される本文の行 " + std::to_string(i) + "\r\n";
    const CString file = m_dir.File("a mail to print.eml");
    TestSupport::WriteFileBytes(file, mail);

    ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\" /p \"" + file + "\""));
    EXPECT_EQ(m_program.WaitForExit(MaintE2e::kTimeout), 0) << E2e::VisibleWindows(m_program.ProcessId());
    std::string ps = TestSupport::ReadFileBytes(printed);
    ASSERT_EQ(ps.compare(0, 4, "%!PS"), 0) << ps.size();
    EXPECT_GE(CountOf(ps, "\n%%Page: "), 3);

    // No mail was filed for it, and the folder it was shown from is gone.
    for (int kind : {CFolderRecord::kindInbox, CFolderRecord::kindSent, CFolderRecord::kindTrash})
        EXPECT_TRUE(Stored(kind).empty()) << kind;
    EXPECT_FALSE(DirectoryExists(Folder(CFolderRecord::kindSent).m_strPath + "\\Temp\\Print"));
    EXPECT_TRUE(TestSupport::FileExists(file));
}
