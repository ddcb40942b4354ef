// What the Simple MAPI library makes of a caller's message.
#include "archive/UnixTool.h"
#include "core/FileUtil.h"
#include "core/HeldFile.h"
#include "editor/AttachListCtrl.h"
#include "mapibridge/MapiBridge.h"
#include "plugin/MapiRequestFile.h"
#include "plugin/MapiRequestOpen.h"
#include "store/MailEditRequest.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>

using TestSupport::ReadFileBytes;
using TestSupport::WriteFileBytes;

namespace {

// The files and folders directly in a folder.
int CountEntries(const std::string& folder)
{
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\')
        pattern += '\\';
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((pattern + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    int n = 0;
    do {
        if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0)
            ++n;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

} // namespace

TEST(MapiRequest, RecipientsKeepTheirAddressWhateverItsForm)
{
    struct Case
    {
        const char* name;
        const char* address;
        const char* expected;
    } cases[] = {
        { "A", "SMTP:a@x", "A <a@x>" },
        { "Taro", "taro@example.jp", "Taro <taro@example.jp>" },  // plain: kept
        { nullptr, "user@host", "user@host" },
        { "user@host", "user@host", "user@host" },
        { "", "SMTP:x:y", "x:y" },  // the text after the first colon
        { "Only Name", nullptr, "Only Name" },
        { "Yamada, Taro", "SMTP:t@x", "\"Yamada, Taro\" <t@x>" },  // one recipient, not two
        { "山田 \"太郎\"", "t@x", "\"山田 \\\"太郎\\\"\" <t@x>" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMapiRecipient(c.name, c.address), c.expected) << c.expected;
    std::string list;
    for (const char* r : { "A <a@x>", "", "b@y" })
        AppendMapiRecipient(list, r);
    EXPECT_EQ(list, "A <a@x>,b@y,");
}

TEST(MapiRequest, EveryValueComesBackUnchangedAndAddsNothing)
{
    MapiMailRequest in;
    in.to = "a@x";
    in.cc = "c@x\r\nBcc\tevil@x";
    in.subject = "件名&tempattach=C:\\secret.txt";
    in.body = "本文\r\nAttach\tC:\\secret.txt\r\n\\t\\\\ 表示 ソ";  // "表" and "ソ" end in 0x5C
    in.attachments = { "C:\\Temp\\$$F1\\a.txt", "C:\\Temp\\$$F2\\資料.xls" };
    MapiMailRequest out;
    ASSERT_TRUE(ParseMapiRequest(FormatMapiRequest(in), out));
    EXPECT_EQ(out.to, in.to);
    EXPECT_EQ(out.cc, in.cc);
    EXPECT_EQ(out.bcc, "");
    EXPECT_EQ(out.subject, in.subject);
    EXPECT_EQ(out.body, in.body);
    EXPECT_EQ(out.attachments, in.attachments);
    EXPECT_FALSE(ParseMapiRequest("mailto:a@x?tempattach=C:\\x", out));
}

TEST(MapiRequest, EachSendAndEachCopyGetsAFolderOfItsOwn)
{
    TestSupport::TempDir dir;
    WriteFileBytes(dir.File("one.txt"), "first");
    CreateDirectoryA(dir.File("sub"), nullptr);
    WriteFileBytes(dir.File("sub\\one.txt"), "second");
    WriteFileBytes(dir.File("b.tmp"), "third");
    CString p1 = dir.File("one.txt"), p2 = dir.File("sub\\one.txt"), p3 = dir.File("b.tmp");
    MapiRecipDesc recips[] = {
        { 0, MAPI_TO, const_cast<char*>("山田"), const_cast<char*>("SMTP:yamada@example.jp"), 0, nullptr },
        { 0, MAPI_TO, nullptr, const_cast<char*>("plain@example.jp"), 0, nullptr },
        { 0, MAPI_CC, const_cast<char*>("Cc"), const_cast<char*>("cc@example.jp"), 0, nullptr },
        { 0, MAPI_BCC, nullptr, const_cast<char*>("SMTP:bcc@example.jp"), 0, nullptr },
        { 0, MAPI_ORIG, const_cast<char*>("Me"), const_cast<char*>("me@example.jp"), 0, nullptr },
    };
    MapiFileDesc files[] = {
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(p1.GetString()), nullptr, nullptr },
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(p2.GetString()), nullptr, nullptr },
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(p3.GetString()), const_cast<char*>("..\\..\\report.txt"),
          nullptr },
    };
    MapiMessage message = { 0, const_cast<char*>("件名"), const_cast<char*>("本文"), nullptr, nullptr, nullptr, 0,
                            nullptr, 5, recips, 3, files };
    MapiMessage before = message;
    MapiRecipDesc recipsBefore[5];
    std::memcpy(recipsBefore, recips, sizeof(recips));

    MapiMailRequest request;
    std::string folder1, folder2;
    ASSERT_EQ(CMapiBridge::PrepareRequest(&message, dir.Path().GetString(), request, folder1), SUCCESS_SUCCESS);
    // The originator is a recipient of To like any other.
    EXPECT_EQ(request.to, "山田 <yamada@example.jp>,plain@example.jp,Me <me@example.jp>,");
    EXPECT_EQ(request.cc, "Cc <cc@example.jp>,");
    EXPECT_EQ(request.bcc, "bcc@example.jp,");
    EXPECT_EQ(request.subject, "件名");
    EXPECT_EQ(request.body, "本文");
    ASSERT_EQ(request.attachments.size(), 3u);
    // Two files of one name stay two; a shown name cannot leave its folder.
    EXPECT_EQ(ReadFileBytes(request.attachments[0].c_str()), "first");
    EXPECT_EQ(ReadFileBytes(request.attachments[1].c_str()), "second");
    EXPECT_EQ(ReadFileBytes(request.attachments[2].c_str()), "third");
    EXPECT_NE(request.attachments[0], request.attachments[1]);
    EXPECT_EQ(request.attachments[2].substr(request.attachments[2].size() - 11), "\\report.txt");
    // Each copy's folder lies directly in the temporary folder, apart from
    // the send's own folder, which the request file alone will use.
    const std::string base = dir.Path().GetString() + std::string("\\");
    for (const std::string& a : request.attachments) {
        EXPECT_EQ(a.rfind(base + "$$F", 0), 0u) << a;
        EXPECT_EQ(a.find('\\', base.size()), a.rfind('\\')) << a;
    }
    EXPECT_EQ(folder1.rfind(base + "$$F", 0), 0u) << folder1;
    EXPECT_EQ(CountEntries(folder1), 0);

    // A second send of the same message gets new folders, and the first copies stay.
    MapiMailRequest again;
    ASSERT_EQ(CMapiBridge::PrepareRequest(&message, dir.Path().GetString(), again, folder2), SUCCESS_SUCCESS);
    EXPECT_NE(folder1, folder2);
    EXPECT_EQ(ReadFileBytes(request.attachments[0].c_str()), "first");

    // The caller's structures are only read.
    EXPECT_EQ(std::memcmp(&before, &message, sizeof(message)), 0);
    EXPECT_EQ(std::memcmp(recipsBefore, recips, sizeof(recips)), 0);
    EXPECT_EQ(p1, files[0].lpszPathName);
}

TEST(MapiRequest, FailuresAreReportedWithSimpleMapiCodes)
{
    TestSupport::TempDir dir;
    MapiMailRequest request;
    std::string folder;
    EXPECT_EQ(CMapiBridge::PrepareRequest(nullptr, dir.Path().GetString(), request, folder),
              static_cast<ULONG>(MAPI_E_INVALID_MESSAGE));
    CString missing = dir.File("missing.txt");
    MapiFileDesc file = { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(missing.GetString()), nullptr, nullptr };
    MapiMessage message = {};
    message.nFileCount = 1;
    message.lpFiles = &file;
    EXPECT_EQ(CMapiBridge::PrepareRequest(&message, dir.Path().GetString(), request, folder),
              static_cast<ULONG>(MAPI_E_ATTACHMENT_NOT_FOUND));
    message.lpFiles = nullptr;
    EXPECT_EQ(CMapiBridge::PrepareRequest(&message, dir.Path().GetString(), request, folder),
              static_cast<ULONG>(MAPI_E_ATTACHMENT_NOT_FOUND));
    MapiMessage empty = {};
    EXPECT_EQ(CMapiBridge::PrepareRequest(&empty, dir.File("no\\such\\folder").GetString(), request, folder),
              static_cast<ULONG>(MAPI_E_FAILURE));
    // No client to take the request: the caller learns it.
    EXPECT_EQ(CMapiBridge::HandToClient(dir.File("r.txt").GetString(), dir.File("NoClient.exe").GetString(), 500),
              static_cast<ULONG>(MAPI_E_FAILURE));
}

TEST(MapiRequest, CopyFoldersGoWhenTheirContentsGo)
{
    TestSupport::TempDir dir;
    WriteFileBytes(dir.File("a.txt"), "a");
    CString present = dir.File("a.txt"), missing = dir.File("missing.txt");
    const std::string base = dir.Path().GetString();

    // A send refused at its second file leaves neither folders nor copies.
    MapiFileDesc files[] = {
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(present.GetString()), nullptr, nullptr },
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(missing.GetString()), nullptr, nullptr },
    };
    MapiMessage message = {};
    message.nFileCount = 2;
    message.lpFiles = files;
    MapiMailRequest request;
    std::string folder;
    EXPECT_EQ(CMapiBridge::PrepareRequest(&message, base, request, folder),
              static_cast<ULONG>(MAPI_E_ATTACHMENT_NOT_FOUND));
    EXPECT_EQ(CountEntries(base), 1);  // a.txt alone

    // The client reads the request file and deletes it: its folder goes. The
    // editor deletes a copy when the mail no longer needs it: its folder
    // goes with it.
    message.nFileCount = 1;
    ASSERT_EQ(CMapiBridge::PrepareRequest(&message, base, request, folder), SUCCESS_SUCCESS);
    std::string file = CMapiBridge::WriteRequestFile(request, folder);
    ASSERT_FALSE(file.empty());
    DeleteFileA(file.c_str());
    RemoveEmptyCopyFolder(file);
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(request.attachments.size(), 1u);
    const std::string copy = request.attachments[0];
    const std::string copyFolder = copy.substr(0, copy.rfind('\\'));
    {
        CAttachListCtrl list;
        ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 200, 200, nullptr, nullptr));
        list.InitList();
        list.AddFileSorted(copy.c_str(), CAttachListCtrl::kindTempFile);
        ASSERT_EQ(list.GetCount(), 1);
        list.DeleteTempFiles();
    }
    EXPECT_EQ(GetFileAttributesA(copyFolder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(CountEntries(base), 1);

    // Only an emptied "$$F" folder goes.
    struct Case
    {
        const char* folder;
        bool leaveFile;
        bool removed;
    } const cases[] = {
        { "$$Fempty", false, true },
        { "$$Fused", true, false },
        { "other", false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        std::string sub = base + "\\" + c.folder;
        CreateDirectoryA(sub.c_str(), nullptr);
        if (c.leaveFile)
            WriteFileBytes((sub + "\\kept.txt").c_str(), "k");
        RemoveEmptyCopyFolder(sub + "\\gone.txt");
        EXPECT_EQ(GetFileAttributesA(sub.c_str()) == INVALID_FILE_ATTRIBUTES, c.removed);
    }
}

TEST(MapiRequest, OnlyTheLibrarysOwnCopiesAreTakenAndTheyAreTakenIntoTheClientsFolder)
{
    TestSupport::TempDir temp, documents, own;
    const std::string base = std::string(temp.Path().GetString()) + "\\";
    CreateDirectoryA((base + "$$Fown").c_str(), nullptr);
    CreateDirectoryA((base + "$$Fown\\sub").c_str(), nullptr);
    CreateDirectoryA((base + "plain").c_str(), nullptr);
    for (const char* name : { "$$Fown\\copy.txt", "$$Fown\\sub\\deep.txt", "plain\\other.txt", "loose.txt" })
        WriteFileBytes((base + name).c_str(), "x");
    WriteFileBytes(documents.File("手紙.txt"), "大事");
    const std::string letter = documents.File("手紙.txt").GetString();
    // A folder shaped like the library's that leads to the documents.
    ASSERT_TRUE(UnixTool::LinkFolder((base + "$$Flink").c_str(), documents.Path()));
    char shortBase[MAX_PATH] = {};
    GetShortPathNameA(base.c_str(), shortBase, sizeof(shortBase));

    struct Case
    {
        std::string path;
        bool copy;
    } const cases[] = {
        { base + "$$Fown\\copy.txt", true },
        { std::string(shortBase) + "$$Fown\\copy.txt", true },
        { base + "plain\\..\\$$Fown\\copy.txt", true },
        { base + "$$Fown\\..\\..\\" + letter.substr(letter.rfind('\\', letter.rfind('\\') - 1) + 1), false },
        { base + "$$Flink\\手紙.txt", false },
        { base + "$$Fown\\sub\\deep.txt", false },
        { base + "plain\\other.txt", false },
        { base + "loose.txt", false },
        { base + "$$Fown", false },
        { base + "$$Fown\\missing.txt", false },
        { letter, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CHeldFile held;
        EXPECT_EQ(held.Open(c.path.c_str()) && IsMapiCopy(held, base), c.copy);
    }
    UnixTool::RemoveLink((base + "$$Flink").c_str());

    // The library's copy is taken into a folder of the client's own and is
    // gone with its folder; a file of the user is attached as it is, so
    // closing the editor never deletes it.
    std::string library = MakeUniqueFolder(MapiTempFolder());
    ASSERT_FALSE(library.empty());
    WriteFileBytes((library + "見積.txt").c_str(), "the library's copy");
    MapiMailRequest mapi;
    mapi.attachments = { library + "見積.txt", letter, base + "$$Fown\\copy.txt", library + "missing.txt" };
    CMailEditRequest request;
    BuildMapiEditRequest(mapi, own.Path().GetString(), request);
    ASSERT_EQ(request.m_tempAttachFiles.GetSize(), 1);
    const CString taken = request.m_tempAttachFiles[0];
    EXPECT_EQ(taken.Left(GetResolvedPath(own.Path()).GetLength() + 4),
              CString(GetResolvedPath(own.Path()) + "\\$$F")) << taken.Str();
    EXPECT_EQ(GetFileNameFromPath(taken), CString("見積.txt"));
    EXPECT_EQ(ReadFileBytes(taken), "the library's copy");
    EXPECT_EQ(GetFileAttributesA(library.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(request.m_attachFiles.GetSize(), 2);
    EXPECT_EQ(request.m_attachFiles[0], letter.c_str());
    EXPECT_EQ(request.m_attachFiles[1], (base + "$$Fown\\copy.txt").c_str());
}

// Another program swaps the library's folder, and later the client's, for
// a link to the user's documents once the editor is open: what the mail
// carries is the copy that was checked, and closing the editor deletes
// nothing of the user's.
TEST(MapiRequest, FoldersSwappedForLinksAfterTheCheckReachNothingOfTheUsers)
{
    TestSupport::TempDir documents, own;
    WriteFileBytes(documents.File("report.doc"), "the user's own report");
    std::string library = MakeUniqueFolder(MapiTempFolder());
    ASSERT_FALSE(library.empty());
    WriteFileBytes((library + "report.doc").c_str(), "the report the caller sent");
    MapiMailRequest mapi;
    mapi.attachments = { library + "report.doc" };
    CMailEditRequest request;
    BuildMapiEditRequest(mapi, own.Path().GetString(), request);
    ASSERT_EQ(request.m_tempAttachFiles.GetSize(), 1);
    const CString taken = request.m_tempAttachFiles[0];

    library.pop_back();
    ASSERT_EQ(GetFileAttributesA(library.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(UnixTool::LinkFolder(library.c_str(), documents.Path()));
    EXPECT_EQ(ReadFileBytes(taken), "the report the caller sent");

    {
        CAttachListCtrl list;
        ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 200, 200, nullptr, nullptr));
        list.InitList();
        list.AddFileSorted(taken, CAttachListCtrl::kindTempFile);
        ASSERT_EQ(list.GetCount(), 1);
        CString folder = GetDirectoryFromPath(taken);
        folder = folder.Left(folder.GetLength() - 1);
        ASSERT_TRUE(MoveFileA(folder, folder + "-moved"));
        ASSERT_TRUE(UnixTool::LinkFolder(folder, documents.Path()));
        list.DeleteTempFiles();
        EXPECT_EQ(ReadFileBytes(documents.File("report.doc")), "the user's own report");
        UnixTool::RemoveLink(folder);
    }
    UnixTool::RemoveLink(library.c_str());
    EXPECT_EQ(ReadFileBytes(documents.File("report.doc")), "the user's own report");
}
