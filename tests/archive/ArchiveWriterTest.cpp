// The ZIP and LHA writers, checked by Debian's unzip and lha.
#include "archive/UnixTool.h"
#include "editor/ArchiverCommand.h"
#include "editor/LhaWriter.h"
#include "editor/ZipWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string AllBytes()
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>(i * 7 % 256);
    return bytes;
}

std::string Path(const CString& s)
{
    return s.GetString();
}

} // namespace

TEST(ZipWriter, PasswordArchiveOpensWithUnzipAndOnlyWithItsPassword)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("report.bin"), AllBytes());
    TestSupport::WriteFileBytes(dir.File("empty.txt"), "");
    TestSupport::WriteFileBytes(dir.File("memo.txt"), "見積書を送ります。\r\n");
    std::string archive = Path(dir.File("pack.zip"));
    for (const char* name : {"report.bin", "empty.txt", "memo.txt"})
        ASSERT_TRUE(CZipWriter::AddFile(archive, Path(dir.File(name)), "s3cret")) << name;

    std::string output;
    EXPECT_TRUE(UnixTool::UnzipTest(archive.c_str(), "s3cret", output)) << output;
    std::string bytes;
    ASSERT_TRUE(UnixTool::UnzipEntry(archive.c_str(), "s3cret", "report.bin", bytes));
    EXPECT_TRUE(bytes == AllBytes()) << bytes.size();
    ASSERT_TRUE(UnixTool::UnzipEntry(archive.c_str(), "s3cret", "memo.txt", bytes));
    EXPECT_EQ(bytes, "見積書を送ります。\r\n");
    EXPECT_FALSE(UnixTool::UnzipTest(archive.c_str(), "wrong", output));
    EXPECT_FALSE(UnixTool::UnzipEntry(archive.c_str(), "", "report.bin", bytes));
}

TEST(ZipWriter, AddingAFileOfAListedNameReplacesItAndPlainArchivesNeedNoPassword)
{
    TestSupport::TempDir dir;
    std::string archive = Path(dir.File("plain.zip"));
    TestSupport::WriteFileBytes(dir.File("a.txt"), "first");
    TestSupport::WriteFileBytes(dir.File("b.txt"), "bee");
    ASSERT_TRUE(CZipWriter::AddFile(archive, Path(dir.File("a.txt")), ""));
    ASSERT_TRUE(CZipWriter::AddFile(archive, Path(dir.File("b.txt")), ""));
    TestSupport::WriteFileBytes(dir.File("a.txt"), "second version");
    ASSERT_TRUE(CZipWriter::AddFile(archive, Path(dir.File("a.txt")), ""));

    std::string listing;
    ASSERT_EQ(UnixTool::Run({"/usr/bin/unzip", "-Z1", UnixTool::UnixPath(archive.c_str())}, listing), 0);
    EXPECT_EQ(listing, "b.txt\na.txt\n");
    std::string bytes;
    ASSERT_TRUE(UnixTool::UnzipEntry(archive.c_str(), "", "a.txt", bytes));
    EXPECT_EQ(bytes, "second version");
    ASSERT_TRUE(UnixTool::UnzipEntry(archive.c_str(), "", "b.txt", bytes));
    EXPECT_EQ(bytes, "bee");
}

TEST(ZipWriter, RefusesWhatItCannotPackAndLeavesTheArchiveAsItWas)
{
    TestSupport::TempDir dir;
    std::string archive = Path(dir.File("kept.zip"));
    TestSupport::WriteFileBytes(dir.File("a.txt"), "a");
    ASSERT_TRUE(CZipWriter::AddFile(archive, Path(dir.File("a.txt")), "pw"));
    std::string before = TestSupport::ReadFileBytes(archive.c_str());
    EXPECT_FALSE(CZipWriter::AddFile(archive, Path(dir.File("missing.txt")), "pw"));
    // A file that is not a ZIP archive is never overwritten.
    TestSupport::WriteFileBytes(dir.File("notes.zip"), "not an archive at all, just text");
    EXPECT_FALSE(CZipWriter::AddFile(Path(dir.File("notes.zip")), Path(dir.File("a.txt")), "pw"));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("notes.zip")), "not an archive at all, just text");
    EXPECT_EQ(TestSupport::ReadFileBytes(archive.c_str()), before);
}

TEST(LhaWriter, StoredArchiveIsReadByLhaAndExtendedFileByFile)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("one.bin"), AllBytes());
    TestSupport::WriteFileBytes(dir.File("two.txt"), "二つ目\r\n");
    std::string archive = Path(dir.File("pack.lzh"));
    ASSERT_TRUE(CLhaWriter::AddFile(archive, Path(dir.File("one.bin"))));
    ASSERT_TRUE(CLhaWriter::AddFile(archive, Path(dir.File("two.txt"))));
    TestSupport::WriteFileBytes(dir.File("two.txt"), "replaced");
    ASSERT_TRUE(CLhaWriter::AddFile(archive, Path(dir.File("two.txt"))));

    std::string output;
    EXPECT_EQ(UnixTool::Run({"/usr/bin/lha", "t", UnixTool::UnixPath(archive.c_str())}, output), 0) << output;
    std::string bytes;
    ASSERT_TRUE(UnixTool::LhaEntry(archive.c_str(), "one.bin", bytes));
    EXPECT_TRUE(bytes == AllBytes()) << bytes.size();
    ASSERT_TRUE(UnixTool::LhaEntry(archive.c_str(), "two.txt", bytes));
    EXPECT_EQ(bytes, "replaced");
    ASSERT_EQ(UnixTool::Run({"/usr/bin/lha", "lq", UnixTool::UnixPath(archive.c_str())}, output), 0);
    EXPECT_EQ(output.find("two.txt"), output.rfind("two.txt"));  // listed once
}

TEST(ArchiverCommand, QuotedWordsRoundTripWhateverTheyHold)
{
    const char* const cases[] = {
        "plain", "with blank", "q\"uote", "\"\"", "back\\slash\\", "ソース表", "", "-P",
    };
    for (const char* word : cases) {
        std::vector<std::string> words;
        std::string line = "-j " + CArchiverCommand::Quote(word) + " " + CArchiverCommand::Quote("C:\\a b\\x.zip");
        ASSERT_TRUE(CArchiverCommand::Split(line.c_str(), words)) << word;
        ASSERT_EQ(words.size(), 3u) << word;
        EXPECT_EQ(words[1], word);
        EXPECT_EQ(words[2], "C:\\a b\\x.zip");
    }
    std::vector<std::string> words;
    EXPECT_FALSE(CArchiverCommand::Split("\"open", words));

    CArchiverCommand zip;
    ASSERT_TRUE(zip.ParseZip("-j -q -P \"-j \"\"x\"\"\" \"C:\\t\\a.zip\" \"C:\\t\\f.txt\""));
    EXPECT_TRUE(zip.m_bJunkPaths);
    EXPECT_TRUE(zip.m_bQuiet);
    EXPECT_TRUE(zip.m_bHasPassword);
    EXPECT_EQ(zip.m_password, "-j \"x\"");
    EXPECT_EQ(zip.m_archive, "C:\\t\\a.zip");
    ASSERT_EQ(zip.m_files.size(), 1u);
}
