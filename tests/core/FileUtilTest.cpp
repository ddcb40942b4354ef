#include "archive/UnixTool.h"
#include "core/FileUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using TestSupport::TempDir;

namespace {
std::string S(const CString& s) { return s.Str(); }
}

TEST(FileUtil, PathSplittingIsDoubleByteSafe)
{
    // The trail byte of "表" and "ソ" is 0x5C, a backslash.
    EXPECT_EQ(S(GetDirectoryFromPath("C:\\表\\ソ.txt")), "C:\\表\\");
    EXPECT_EQ(S(GetFileNameFromPath("C:\\dir\\表")), "表");
    EXPECT_EQ(S(GetFileExtension("C:\\a.b\\name.tar.gz")), ".gz");
    EXPECT_EQ(S(GetFileExtension("C:\\a.b\\name")), "");
    EXPECT_EQ(S(RemoveFileExtension("C:\\a\\ソ.txt")), "C:\\a\\ソ");
    EXPECT_EQ(S(CombinePath("C:\\表", "x")), "C:\\表\\x");
    EXPECT_EQ(S(CombinePath("C:\\a\\", "x")), "C:\\a\\x");
    CString p("C:\\a\\b.txt");
    ReplaceFileExtension(p, "eml");
    EXPECT_EQ(S(p), "C:\\a\\b.eml");
    ReplaceFileName(p, "表.dat");
    EXPECT_EQ(S(p), "C:\\a\\表.dat");
    AppendExtension(p, ".bak");
    EXPECT_EQ(S(p), "C:\\a\\表.dat.bak");
    CString q("C:\\\\a\\\\\\表\\\\b");
    CollapseBackslashes(q);
    EXPECT_EQ(S(q), "C:\\a\\表\\b");
    EXPECT_EQ(S(GetRelativePath("C:\\Mail", "c:\\mail\\Inbox\\a.eml")), "Inbox\\a.eml");
    EXPECT_EQ(S(GetRelativePath("C:\\Mail", "C:\\Mail\\")), "");
    EXPECT_EQ(S(GetAttachFolderPath("C:\\Box", "QM1")), "C:\\Box\\Attach\\QM1");
    EXPECT_EQ(S(GetMailAttachFolder("C:\\Box\\QM1.eml")), "C:\\Box\\Attach\\QM1");
}

TEST(FileUtil, FileNamesMadeValidAndFitted)
{
    EXPECT_EQ(S(MakeValidFileName("a/b:c*d?e\\f<g>h\"i|j")), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(S(MakeValidFileName("表ソ")), "表ソ");
    EXPECT_EQ(S(FitFileName(12, "C:\\x\\abcdefghij.txt")), "abcdef.txt");
    EXPECT_EQ(S(FitFileName(12, "C:\\x\\abc.txt")), "abc.txt");
    // A cut never splits a double-byte character.
    EXPECT_EQ(S(FitFileName(9, "漢字漢字.txt")), "漢.txt");
}

TEST(FileUtil, HostileNamesComeOutAsPlainFileNames)
{
    const struct
    {
        const char* name;
        const char* made;
    } cases[] = {
        // A lead byte before a byte that cannot follow it is a byte of its
        // own: the slash after it is still a slash.
        { "\xCB\xFF\xFB/\xFB\xFF\xFF", "\xCB\xFF\xFB_\xFB\xFF\xFF" },
        { "\x81:\xE0\"\xFC?x", "\x81_\xE0_\xFC_x" },
        { "\xFC|", "\xFC|" },  // 0x7C can follow a lead byte
        { "\xFF\\\xA0\\", "\xFF_\xA0_" },  // not lead bytes at all
        // A lead byte with a trail byte 0x5C is one character ("―").
        { "\x81\\", "\x81\\" },
        { "a\x81\\b/", "a\x81\\b_" },
        // A lead byte at the end has nothing to pair with and is kept.
        { "name\x81", "name\x81" },
        { "\x81/\x81", "\x81_\x81" },
        // Dot names pass: the callers refuse or strip them.
        { "..", ".." },
        // Device names, with or without an extension, in any case.
        { "CON", "_CON" },
        { "nul.txt", "_nul.txt" },
        { "Com1.tar.gz", "_Com1.tar.gz" },
        { "LPT9", "_LPT9" },
        { "AUX .log", "_AUX .log" },
        { "conout$", "_conout$" },
        { "COM1/", "COM1_" },
        { "CONSOLE", "CONSOLE" },
        { "COM10", "COM10" },
        { "my.con", "my.con" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(MakeValidFileName(c.name)), c.made) << c.name;
}

TEST(FileUtil, TextHelpers)
{
    EXPECT_STREQ(SkipBlanks("\x81\x40 \tx"), "x");
    EXPECT_EQ(S(ExpandTabs("a\tb")), "a  b");
    EXPECT_EQ(S(StripMailtoPrefix("MailTo:a@b")), "a@b");
    EXPECT_TRUE(IsBlankChar(0x81, 0x40));
    EXPECT_FALSE(IsBlankChar(0x81, 0x41));
    EXPECT_TRUE(IsTokenChar('a'));
    EXPECT_FALSE(IsTokenChar(';'));
    EXPECT_FALSE(IsTokenChar(0x82));
    CStringArray items;
    EXPECT_EQ(ExtractAngleBracketItems(items, "<a@x> <b <c@x> <open"), 15);
    ASSERT_EQ(items.GetSize(), 2);
    EXPECT_EQ(S(items[1]), "<c@x>");

    CDWordArray n;
    for (DWORD v : {5u, 1u, 4u, 1u, 3u})
        n.Add(v);
    SortDWordArray(n, true, 0, n.GetUpperBound());
    EXPECT_EQ(n[0], 5u);
    EXPECT_EQ(n[4], 1u);
    CStringArray s;
    for (const char* v : {"b", "A", "c"})
        s.Add(v);
    SortStringArray(s, false, 0, s.GetUpperBound());
    EXPECT_EQ(S(s[0]), "A");
    EXPECT_EQ(S(s[2]), "c");
}

TEST(FileUtil, CreateCopyAndDeleteTrees)
{
    TempDir dir;
    CString deep = dir.File("a\\表\\c");
    EXPECT_TRUE(CreateDirectoryPath(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_FALSE(CreateDirectoryPath(deep));  // already there: the last step fails

    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    EXPECT_FALSE(CreateDirectoryPath(dir.File("x\\con")));
    EXPECT_FALSE(DirectoryExists(dir.File("x")));
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);

    TestSupport::WriteFileBytes(CombinePath(deep, "f.txt"), "12345");
    SetFileAttributesA(CombinePath(deep, "f.txt"), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFolderFilesSize(dir.File("a")), 5u);
    EXPECT_TRUE(HasAttachmentFiles(dir.File("a")));
    EXPECT_TRUE(CopyFolderTree(dir.File("a"), dir.File("copy")));
    EXPECT_TRUE(FileExists(dir.File("copy\\表\\c\\f.txt")));
    EXPECT_TRUE(CopyFileOverwrite(dir.File("copy\\表\\c\\f.txt"), CombinePath(deep, "f.txt")));
    CStringArray files;
    ListFilesRecursive(dir.File("copy"), files);
    EXPECT_EQ(files.GetSize(), 1);

    EXPECT_FALSE(DeleteDirectoryTree(dir.File("a"), false));
    EXPECT_TRUE(FileExists(CombinePath(deep, "f.txt")));
    EXPECT_TRUE(DeleteDirectoryTree(dir.File("a"), true));
    EXPECT_FALSE(PathExists(dir.File("a")));
    EXPECT_TRUE(DeleteDirectoryTree(dir.File("missing"), true));
    EXPECT_TRUE(ForceDeleteFile(dir.File("missing.txt")));

    CreateDirectoryPath(dir.File("box\\QM1"));
    CreateDirectoryPath(dir.File("box\\QM2"));
    CreateDirectoryPath(dir.File("box\\Other"));
    CStringArray keep;
    keep.Add("qm1");
    EXPECT_TRUE(DeleteUnlistedMailFolders(dir.File("box"), keep));
    EXPECT_TRUE(DirectoryExists(dir.File("box\\QM1")));
    EXPECT_FALSE(DirectoryExists(dir.File("box\\QM2")));
    EXPECT_TRUE(DirectoryExists(dir.File("box\\Other")));
    EXPECT_EQ(keep.GetSize(), 0);
    EXPECT_TRUE(FileExistsInFolder(dir.Path(), "bo*"));
}

// A tree with a link in it, or a folder swapped for a link, is deleted
// without a file of what the link leads to going with it.
TEST(FileUtil, DeletingATreeNeverFollowsALink)
{
    TempDir dir, documents;
    TestSupport::WriteFileBytes(documents.File("手紙.txt"), "大事");
    ASSERT_TRUE(CreateDirectoryPath(dir.File("tree\\sub")));
    TestSupport::WriteFileBytes(dir.File("tree\\sub\\copy.txt"), "copy");
    ASSERT_TRUE(UnixTool::LinkFolder(dir.File("tree\\sub\\link"), documents.Path()));
    ASSERT_TRUE(UnixTool::LinkFolder(dir.File("swapped"), documents.Path()));
    EXPECT_EQ(GetResolvedPath(dir.File("swapped\\手紙.txt")), GetResolvedPath(documents.File("手紙.txt")));

    EXPECT_FALSE(DeleteDirectoryTree(dir.File("swapped"), true));
    DeleteDirectoryTree(dir.File("tree"), true);
    EXPECT_EQ(TestSupport::ReadFileBytes(documents.File("手紙.txt")), "大事");
    EXPECT_FALSE(FileExists(dir.File("tree\\sub\\copy.txt")));
    UnixTool::RemoveLink(dir.File("tree\\sub\\link"));
    UnixTool::RemoveLink(dir.File("swapped"));
}

// A folder made by a name known to be free is the folder its Windows path
// names, Japanese names and a parent path with a Japanese name included;
// without its parent nothing is made.
TEST(FileUtil, NewFolderIsMadeUnderItsWindowsName)
{
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryPath(dir.File("親\\Attach")));
    for (const char* name : {"QM1700000000123456.eml", "表示ソフト.eml", "a b"}) {
        SCOPED_TRACE(name);
        CString path = CombinePath(dir.File("親\\Attach"), name);
        EXPECT_TRUE(CreateNewDirectory(path));
        EXPECT_TRUE(DirectoryExists(path));
        TestSupport::WriteFileBytes(CombinePath(path, "f.txt"), "x");
        EXPECT_TRUE(FileExists(CombinePath(path, "f.txt")));
        EXPECT_FALSE(CreateNewDirectory(path));  // made once only
    }
    EXPECT_FALSE(CreateNewDirectory(dir.File("missing\\QM1.eml")));
    EXPECT_FALSE(PathExists(dir.File("missing")));
    EXPECT_FALSE(PathExists(dir.File("QM1.eml")));
}

namespace {

// Every entry below a folder, as Windows lists it, relative to it.
std::vector<std::string> TreeListing(const CString& dir, const std::string& prefix = "")
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(CombinePath(dir, "*"), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        names.push_back(prefix + name);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            std::vector<std::string> below = TreeListing(CombinePath(dir, fd.cFileName), prefix + name + "\\");
            names.insert(names.end(), below.begin(), below.end());
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Names the host side would take otherwise than Windows (trailing dots and
// spaces, characters Windows refuses, '/', device names, a path too long for
// a folder) make what the plain Windows call makes, or nothing as it does:
// never a folder in another place or under another name.
TEST(FileUtil, NewFolderOfAnUnusualNameIsWhatWindowsMakes)
{
    const struct
    {
        const char* name;
        bool deep;  // the parent's path is just short of the limit
    } cases[] = {
        {"QM1700000001.eml", false}, {"trailing dot.", false}, {"trailing space ", false},
        {"star*name", false},        {"question?", false},     {"sub/QM2", false},
        {"CON", false},              {"nul.txt", false},       {"COM1", false},
        {"ソ|ポ", false},            {"QM1700000002.eml", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.deep ? " in a deep folder" : ""));
        TempDir dir;
        // Two roots of one length: one for the plain Windows call, one for ours.
        CString windows = dir.File("w"), ours = dir.File("o");
        std::string deep;
        if (c.deep)
            deep = std::string(100, 'd') + "\\" + std::string(236 - windows.GetLength() - 102, 'e');
        for (const CString& root : {windows, ours}) {
            ASSERT_TRUE(CreateDirectoryA(root, nullptr));
            ASSERT_TRUE(CreateDirectoryA(CombinePath(root, "sub"), nullptr));
            if (c.deep) {
                ASSERT_TRUE(CreateDirectoryA(CombinePath(root, std::string(100, 'd').c_str()), nullptr));
                ASSERT_TRUE(CreateDirectoryA(CombinePath(root, deep.c_str()), nullptr));
            }
        }
        auto parent = [&](const CString& root) { return c.deep ? CombinePath(root, deep.c_str()) : root; };
        BOOL expected = CreateDirectoryA(CombinePath(parent(windows), c.name), nullptr);
        EXPECT_EQ(CreateNewDirectory(CombinePath(parent(ours), c.name)), expected != FALSE);
        EXPECT_EQ(TreeListing(ours), TreeListing(windows));
    }
}

TEST(FileUtil, SamePathComparesMissingPathsByName)
{
    TempDir dir;
    TestSupport::WriteFileBytes(dir.File("real.txt"), "x");
    EXPECT_TRUE(IsSamePath(dir.File("real.txt"), dir.File("REAL.TXT")));
    EXPECT_TRUE(IsSamePath(dir.File("missing1"), dir.File("sub\\..\\missing1")));
    EXPECT_FALSE(IsSamePath(dir.File("missing1"), dir.File("missing2")));
    EXPECT_FALSE(IsSamePath(dir.File("real.txt"), dir.File("missing2")));
}

TEST(FileUtil, HtmlScriptCheck)
{
    TempDir dir;
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::WriteFileBytes(dir.File("plain.html"), "<html><body>hi</body></html>");
    TestSupport::WriteFileBytes(dir.File("script.html"), "<html><ScRiPt>alert(1)</script></html>");
    TestSupport::WriteFileBytes(dir.File("empty.html"), "");
    EXPECT_TRUE(CheckHtmlScript(dir.File("plain.html")));
    EXPECT_FALSE(CheckHtmlScript(dir.File("empty.html")));
    EXPECT_FALSE(CheckHtmlScript(dir.File("missing.html")));
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    EXPECT_FALSE(CheckHtmlScript(dir.File("script.html")));
    TestSupport::QueueMessageBoxAnswer(IDOK);
    EXPECT_TRUE(CheckHtmlScript(dir.File("script.html")));
}

// The free space that counts is that of the file system a file goes to, not
// of its drive's root: under Wine a drive joins several (its root is the
// host's "/"), as a drive with mounted folders does on Windows.
TEST(FileUtil, FreeSpaceIsMeasuredWhereTheFileGoes)
{
    // A memory file system mounted below the root, as Linux has it.
    const char* other = "Z:\\dev\\shm\\";
    ULARGE_INTEGER avail, rootTotal, rootFree, otherTotal, otherFree;
    if (!DirectoryExists(other) || !GetDiskFreeSpaceExA("Z:\\", &avail, &rootTotal, &rootFree) ||
        !GetDiskFreeSpaceExA(other, &avail, &otherTotal, &otherFree) || rootTotal.QuadPart == otherTotal.QuadPart)
        GTEST_SKIP() << "no second file system below the root here";
    double gap = static_cast<double>(rootFree.QuadPart) - static_cast<double>(otherFree.QuadPart);
    if (gap < 1e9 && gap > -1e9)
        GTEST_SKIP() << "both file systems have the same free space";
    // A file in the folder, and one in folders not made yet.
    for (const char* path : {"Z:\\dev\\shm\\MailData.Qmd", "Z:\\dev\\shm\\cvm-none\\In.Box\\MailData.Qmd",
                             "Z:\\dev\\shm"}) {
        SCOPED_TRACE(path);
        double free = GetDiskFreeBytes(path);
        double nearOther = free - static_cast<double>(otherFree.QuadPart);
        double nearRoot = free - static_cast<double>(rootFree.QuadPart);
        EXPECT_LT(nearOther * nearOther, nearRoot * nearRoot);
    }
    EXPECT_GT(GetDiskFreeBytes("Z:\\MailData.Qmd"), 0.0);
}
