// The editor's compress command on an attachment list: one archive in the
// temporary folder, or one per file beside it; failures keep their files.
#include "archive/ArchiveTestSupport.h"
#include "archive/UnixTool.h"
#include "coreui/UiTestSupport.h"
#include "editor/Archiver.h"
#include "editor/AttachListCtrl.h"
#include "editor/AttachmentCompressor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ArchiveTest::CStandInLibraries;

namespace {

std::string S(const CString& s)
{
    return s.GetString();
}

class CompressorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_list.CreateEx(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 100, 100, m_host.m_hWnd,
                                    reinterpret_cast<HMENU>(1031)));
        m_list.InitList();
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            TestSupport::WriteFileBytes(m_dir.File(name), std::string("content of ") + name);
            m_list.AddFileSorted(m_dir.File(name), CAttachListCtrl::kindFile);
        }
        CreateDirectoryA(m_dir.File("tmp"), nullptr);
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < m_list.GetCount(); ++i)
            paths.push_back(S(m_list.GetPath(i)));
        return paths;
    }
    TestSupport::TempDir m_dir;
    CStandInLibraries m_libs;
    UiTest::CHostWnd m_host;
    CAttachListCtrl m_list;
    std::vector<CreatedArchive> m_made;
};

} // namespace

TEST_F(CompressorTest, OneArchiveTakesTheFilesAndASecondOfTheSameNameIsRefused)
{
    CArchiver archiver(m_libs.Zip(), m_libs.Lha());
    CAttachmentCompressor compressor(archiver, m_list, m_made);
    CompressSettings settings;
    settings.nType = 1;
    settings.strName = "pack";
    CStringArray failed;
    ASSERT_EQ(compressor.Compress(settings, nullptr, m_dir.File("tmp"), failed), CAttachmentCompressor::packed);
    std::string archive = S(m_dir.File("tmp\\pack.lzh"));
    EXPECT_EQ(Paths(), std::vector<std::string>{archive});
    // The library was given the path without the extension.
    EXPECT_NE(CStandInLibraries::LastCommand(m_libs.Lha()).find("\"" + S(m_dir.File("tmp\\pack")) + "\""),
              std::string::npos);
    std::string bytes;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        ASSERT_TRUE(UnixTool::LhaEntry(archive.c_str(), name, bytes)) << name;
        EXPECT_EQ(bytes, std::string("content of ") + name);
    }
    ASSERT_EQ(m_made.size(), 1u);
    EXPECT_TRUE(m_made[0].bDeleteAfterSending);
    // The originals were only detached.
    EXPECT_TRUE(TestSupport::FileExists(m_dir.File("a.txt")));

    m_list.AddFileSorted(m_dir.File("a.txt"), CAttachListCtrl::kindFile);
    EXPECT_EQ(compressor.Compress(settings, nullptr, m_dir.File("tmp"), failed), CAttachmentCompressor::duplicateName);
    EXPECT_EQ(m_list.GetCount(), 2);
}

TEST_F(CompressorTest, OnePerFileFindsAFreeNameAndAFailedFileStaysAttached)
{
    TestSupport::WriteFileBytes(m_dir.File("b.zip"), "taken");
    TestSupport::WriteFileBytes(m_dir.File("b0.zip"), "taken too");
    // c.txt vanishes before it is packed: it cannot be packed and stays.
    DeleteFileA(m_dir.File("c.txt"));
    CArchiver archiver(m_libs.Zip(), m_libs.Lha());
    CAttachmentCompressor compressor(archiver, m_list, m_made);
    CompressSettings settings;
    settings.bAllInOne = false;
    settings.bKeep = true;
    CStringArray failed;
    ASSERT_EQ(compressor.Compress(settings, nullptr, m_dir.File("tmp"), failed), CAttachmentCompressor::packed);
    ASSERT_EQ(failed.GetSize(), 1);
    EXPECT_EQ(S(failed[0]), S(m_dir.File("c.txt")));
    std::vector<std::string> expected = {S(m_dir.File("c.txt")), S(m_dir.File("b00.zip")), S(m_dir.File("a.zip"))};
    EXPECT_EQ(Paths(), expected);
    std::string bytes;
    ASSERT_TRUE(UnixTool::UnzipEntry(m_dir.File("b00.zip"), "", "b.txt", bytes));
    EXPECT_EQ(bytes, "content of b.txt");
    EXPECT_EQ(TestSupport::ReadFileBytes(m_dir.File("b0.zip")), "taken too");
    ASSERT_EQ(m_made.size(), 2u);
    EXPECT_FALSE(m_made[0].bDeleteAfterSending);
    EXPECT_EQ(S(MakeFileArchivePath(m_dir.File("b.txt"), ".zip")), S(m_dir.File("b000.zip")));

    // Not sent unpacked: the file leaves the list, not the disk.
    TestSupport::WriteFileBytes(m_dir.File("c.txt"), "back again");
    compressor.Detach(failed);
    EXPECT_EQ(m_list.GetCount(), 2);
    EXPECT_TRUE(TestSupport::FileExists(m_dir.File("c.txt")));
}

TEST_F(CompressorTest, WithoutTheLibraryNothingLeavesTheList)
{
    CArchiver archiver(nullptr, m_libs.Lha());
    CAttachmentCompressor compressor(archiver, m_list, m_made);
    CompressSettings settings;  // ZIP, one archive
    settings.strName = "pack";
    CStringArray failed;
    EXPECT_EQ(compressor.Compress(settings, nullptr, m_dir.File("tmp"), failed), CAttachmentCompressor::noLibrary);
    EXPECT_EQ(m_list.GetCount(), 3);
    EXPECT_FALSE(TestSupport::FileExists(m_dir.File("tmp\\pack.zip")));
    EXPECT_TRUE(m_made.empty());
}
