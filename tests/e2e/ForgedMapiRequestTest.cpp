// Another program of the session queues a Simple MAPI hand-over of its own
// making: the client must not take a request file from anywhere, nor treat
// a file of the user as a copy it may delete, nor send or delete one through
// a folder swapped for a link after its check.
#include "archive/MailPart.h"
#include "archive/UnixTool.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "plugin/MapiRequestFile.h"
#include "net/NetTestSupport.h"
#include "plugin/SharedMemory.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kStartTimeout = 60000;
// Sends to itself through the test Postfix.
const int kUser = 143;

// Queues command 6 with the path, as the library does, and wakes the client.
void QueueRequestPath(HWND main, const std::string& path)
{
    std::vector<BYTE> bytes = MakeHandOverRequest(kHandOverMapiCommand, path);
    DWORD ticket = 0;
    ASSERT_TRUE(WriteSharedMemory(static_cast<DWORD>(bytes.size()), bytes.data(), &ticket));
    PostMessageA(main, 1494, 0, 0);
    EXPECT_TRUE(WaitSharedMemoryTaken(20000, ticket));
}

std::string Request(const std::string& attachment, const char* pszTo = "victim@example.jp")
{
    MapiMailRequest r;
    r.to = pszTo;
    r.subject = "forged";
    r.attachments = { attachment };
    return FormatMapiRequest(r);
}

} // namespace

TEST(ForgedMapiRequest, FilesOutsideTheLibrarysFoldersSurviveAndForeignRequestFilesAreRefused)
{
    TestSupport::TempDir dir, documents;
    const CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n"
                                "EditorAutoBackup=dword:0\r\n");
    CreateDirectoryA(mailbox, nullptr);
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("試験");
        a->SetMailAddress("cvmtest@cvm.test");
        ASSERT_TRUE(accounts.WriteToFile(FALSE));
    }
    const std::string letter = documents.File("大事な手紙.txt").GetString();
    TestSupport::WriteFileBytes(letter.c_str(), "消えてはならない");

    E2e::CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);

    // A request file in the user's documents: neither read nor deleted.
    const std::string outside = documents.File("Request.txt").GetString();
    TestSupport::WriteFileBytes(outside.c_str(), Request(letter));
    QueueRequestPath(main, outside);
    EXPECT_EQ(program.WaitForWindow("CVMEditWndClass", nullptr, 3000), nullptr);
    EXPECT_TRUE(TestSupport::FileExists(outside.c_str()));

    // A request in a folder shaped like the library's, naming the letter:
    // the letter is attached as it is, and closing the editor leaves it.
    const std::string folder = MakeUniqueFolder(MapiTempFolder());
    ASSERT_FALSE(folder.empty());
    TestSupport::WriteFileBytes((folder + "Request.txt").c_str(), Request(letter));
    QueueRequestPath(main, folder + "Request.txt");
    HWND editor = program.WaitForWindow("CVMEditWndClass", nullptr, 20000);
    ASSERT_NE(editor, nullptr);
    HWND list = GetDlgItem(GetDlgItem(editor, 0xE900), IDC_ME_ATTACH_LIST);
    for (int i = 0; i < 100 && E2e::ListItemCount(list) < 1; ++i)
        Sleep(100);
    ASSERT_EQ(E2e::ListItemCount(list), 1);
    EXPECT_EQ(E2e::ListItemText(list, 0, 0), CString("大事な手紙.txt"));
    EXPECT_FALSE(TestSupport::FileExists((folder + "Request.txt").c_str()));
    PostMessageA(editor, WM_CLOSE, 0, 0);
    if (HWND confirm = program.WaitForDialogWithControl(IDC_SC_DISCARD, 10000))
        E2e::PressButton(confirm, IDC_SC_DISCARD);
    EXPECT_TRUE(E2e::WaitUntil(20000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, editor));
    EXPECT_EQ(TestSupport::ReadFileBytes(letter.c_str()), "消えてはならない");

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    EXPECT_EQ(TestSupport::ReadFileBytes(letter.c_str()), "消えてはならない");
}

// The program checks the library's folder, takes its copy and opens the
// editor; then another program puts a link to the user's documents, which
// hold a file of the same name, where the folder was. The mail carries the
// copy that was checked, and once it is sent the program's copy is gone
// while the documents keep their file.
TEST(ForgedMapiRequest, AFolderSwappedForALinkAfterTheCheckSendsAndDeletesOnlyTheProgramsCopy)
{
    CVM_NEED_SERVER(E2e::CEditorSession::SmtpAnswers(), "Postfix");
    TestSupport::TempDir dir, documents;
    E2e::CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(kUser, "SendConfirmDialog=dword:0\r\n"));
    const CString maildir = NetTest::ClearMaildir(kUser);
    TestSupport::WriteFileBytes(documents.File("report.txt"), "利用者の手元の報告書");
    HWND main = session.Start();
    ASSERT_NE(main, nullptr);

    std::string folder = MakeUniqueFolder(MapiTempFolder());
    ASSERT_FALSE(folder.empty());
    TestSupport::WriteFileBytes((folder + "report.txt").c_str(), "送り手の報告書");
    const std::string to = std::string(NetTest::UserName(kUser).GetString()) + "@cvm.test";
    TestSupport::WriteFileBytes((folder + "Request.txt").c_str(), Request(folder + "report.txt", to.c_str()));
    QueueRequestPath(main, folder + "Request.txt");
    ASSERT_TRUE(session.WaitForEditorCount(1)) << session.Windows();
    HWND editor = session.Editors()[0];
    HWND list = GetDlgItem(E2e::CEditorSession::ViewOf(editor), IDC_ME_ATTACH_LIST);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return E2e::ListItemCount(static_cast<HWND>(h)) == 1; }, list));

    // The library's folder went with its files; a link takes its name.
    folder.pop_back();
    if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ASSERT_TRUE(MoveFileA(folder.c_str(), (folder + "-moved").c_str()));
    }
    ASSERT_TRUE(UnixTool::LinkFolder(folder.c_str(), documents.Path()));

    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    std::vector<std::string> mails = E2e::CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << session.Windows();
    std::string sent;
    ASSERT_TRUE(ArchiveTest::ExtractAttachment(mails[0], "report.txt", sent)) << mails[0].substr(0, 2000);
    EXPECT_EQ(sent, "送り手の報告書");
    EXPECT_TRUE(session.WaitForEditorCount(0)) << session.Windows();

    // The program's copy goes with its editor; the documents keep theirs.
    const CString ownFolders = session.MailBox() + "\\Out.Box\\Temp\\$$F*";
    EXPECT_TRUE(E2e::WaitUntil(20000, [](void* p) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(static_cast<const CString*>(p)->GetString(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            return true;
        FindClose(h);
        return false;
    }, const_cast<CString*>(&ownFolders)));
    EXPECT_EQ(TestSupport::ReadFileBytes(documents.File("report.txt")), "利用者の手元の報告書");
    EXPECT_EQ(E2e::CloseAfterSending(session.Program(), main), 0);
    EXPECT_EQ(TestSupport::ReadFileBytes(documents.File("report.txt")), "利用者の手元の報告書");
    UnixTool::RemoveLink(folder.c_str());
}
