#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "store/MboxImporter.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using StoreTest::OpenStore;
using StoreTest::StoredMails;
using StoreTest::TestApp;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

struct ImportRun
{
    TempDir dir;
    TestApp app{dir.Path()};
    CMailFolderStore store;
    CMboxImporter importer;

    ImportRun()
    {
        OpenStore(store, dir.File("In.Box"));
        store.LoadIndex();
    }
    BOOL Import(const std::string& bytes, const char* separator = nullptr)
    {
        WriteFileBytes(dir.File("import.mbx"), bytes);
        return CMboxImporter::ImportFile(separator, &importer, dir.File("import.mbx"), TRUE, &store, 0);
    }
};

const std::string kMail1 = "From: a@example.jp\r\nSubject: one\r\n\r\nfirst\r\n.\r\n..two dots\r\n";
const std::string kMail2 = "From: b@example.jp\r\nSubject: two\r\n\r\n>From the quoted line\r\nsecond\r\n";

std::string Lf(std::string s)
{
    std::string out;
    for (char c : s)
        if (c != '\r')
            out += c;
    return out;
}

std::string Cr(std::string s)
{
    std::string out;
    for (char c : s)
        if (c != '\n')
            out += c;
    return out;
}

} // namespace

TEST(MboxImport, SplitsAtFromLinesWithAnyLineEnds)
{
    const std::string crlf = "junk before From sender1 Mon Jan  1 00:00:00 2024\r\n" + kMail1 +
                             "From sender2 Mon Jan  1 00:00:01 2024\r\n" + kMail2;
    struct Case { const char* name; std::string file; };
    const Case cases[] = {
        {"crlf", crlf},
        {"lf only", Lf(crlf)},
        {"cr only", Cr(crlf)},
        {"nul bytes", std::string(3, '\0') + Lf(crlf).insert(60, std::string(1, '\0'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImportRun run;
        ASSERT_TRUE(run.Import(c.file));
        std::vector<std::string> mails = StoredMails(run.store);
        ASSERT_EQ(mails.size(), 2u);
        // A lone "." line and a "..": kept exactly as written.
        EXPECT_EQ(mails[0], kMail1);
        EXPECT_EQ(mails[1], kMail2);
        EXPECT_EQ(run.importer.m_nImported, 2);
    }
}

TEST(MboxImport, FromInsideALineDoesNotSplitAndMixedLineEndsStay)
{
    ImportRun run;
    std::string mail = "Subject: x\r\n\r\nsee From here\nlone lf kept\r\n";
    ASSERT_TRUE(run.Import("From a\r\n" + mail));
    std::vector<std::string> mails = StoredMails(run.store);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0], mail);
}

TEST(MboxImport, SeparatorTextSplitsAnywhere)
{
    ImportRun run;
    ASSERT_TRUE(run.Import("Subject: a\r\n\r\nA\r\n----Subject: b\r\n\r\nB\r\n", "----"));
    std::vector<std::string> mails = StoredMails(run.store);
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[1], "Subject: b\r\n\r\nB\r\n");
}

TEST(MboxImport, EmptyMissingAndSeparatorlessFiles)
{
    ImportRun run;
    EXPECT_FALSE(run.Import(""));
    EXPECT_FALSE(CMboxImporter::ImportFile(nullptr, &run.importer, run.dir.File("none.mbx"), TRUE, &run.store, 0));
    EXPECT_TRUE(run.Import("no separator at all\r\n"));
    EXPECT_EQ(StoredMails(run.store).size(), 0u);
}

TEST(MboxImport, CancelStopsBeforeTheNextMail)
{
    ImportRun run;
    BYTE cancel = 1;
    run.importer.m_pCancel = &cancel;
    EXPECT_TRUE(run.Import("From a\r\n" + kMail1 + "From b\r\n" + kMail2));
    EXPECT_EQ(StoredMails(run.store).size(), 0u);
}

TEST(MboxImport, LargeFileIsStreamedAcrossChunkBoundaries)
{
    ImportRun run;
    // Mails of about 300 KB each, so separators fall across the reader's 1 MB chunks.
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += "line " + std::to_string(i) + " of a long body with some padding text here\n";
    std::string file;
    for (int i = 0; i < 12; ++i)
        file += "From x" + std::to_string(i) + "\nSubject: " + std::to_string(i) + "\n\n" + body;
    ASSERT_TRUE(run.Import(file));
    std::vector<std::string> mails = StoredMails(run.store);
    ASSERT_EQ(mails.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(mails[static_cast<size_t>(i)], "Subject: " + std::to_string(i) + "\r\n\r\n" +
                                                      [&] {
                                                          std::string b;
                                                          for (char c : body) {
                                                              if (c == '\n')
                                                                  b += '\r';
                                                              b += c;
                                                          }
                                                          return b;
                                                      }())
            << i;
}

TEST(MboxImport, TheEmptyLineBeforeAFromLineBelongsToTheSeparator)
{
    ImportRun run;
    std::string one = "Subject: one\r\n\r\nbody one\r\n";
    std::string two = "Subject: two\r\n\r\nbody two\r\n\r\n";  // ends in an empty line of its own
    ASSERT_TRUE(run.Import("From a\r\n" + one + "\r\nFrom b\r\n" + two + "\r\n"));
    std::vector<std::string> mails = StoredMails(run.store);
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0], one);
    EXPECT_EQ(mails[1], two);
}
