// The import side of the main window without its dialogs: mail files filed
// whole into a folder, the ".eml" files of a folder, the names of a
// multiple selection; and the one empty answer to the mail bridge's greeting.
#include "mainwnd/FolderDrop.h"
#include "mainwnd/MailFileImport.h"
#include "mainwnd/MainFrame.h"
#include "resources/resource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string StoredText(CMailFolderStore& store, int index)
{
    CString text;
    if (!store.ReadMailText(store.GetMailList()->GetMailRecord(index), text))
        return "";
    return StoreTest::FiledText(text.Str());
}

} // namespace

TEST(MailFileImport, AMailFileIsFiledWholeEvenWithDotLines)
{
    TestSupport::TempDir dir;
    CMailFolderStore store;
    StoreTest::OpenStore(store, dir.File("Folder"));
    // LF line ends, a lone "." line and a line that starts with dots.
    const std::string mail = "From: a@example.jp\nSubject: 点の行\nMessage-ID: <dot@x>\n\n一行目\n.\n..二つ\n最後\n";
    TestSupport::WriteFileBytes(dir.File("dots.eml"), mail);
    TestSupport::WriteFileBytes(dir.File("empty.eml"), "");
    ASSERT_TRUE(MailFileImport::AddMailFile(store, dir.File("dots.eml"), FALSE));
    EXPECT_FALSE(MailFileImport::AddMailFile(store, dir.File("empty.eml"), FALSE));
    EXPECT_FALSE(MailFileImport::AddMailFile(store, dir.File("missing.eml"), FALSE));
    ASSERT_EQ(store.GetMailCount(), 1);
    std::string expected = "From: a@example.jp\r\nSubject: 点の行\r\nMessage-ID: <dot@x>\r\n\r\n一行目\r\n.\r\n..二つ\r\n最後\r\n";
    EXPECT_EQ(StoredText(store, 0), expected);
    EXPECT_EQ(store.GetMailList()->GetMailRecord(0)->GetText(CMailIndexRecord::colSubject), CString("点の行"));
    // A file dropped on the folder tree is filed the same way.
    EXPECT_EQ(CFolderDrop::DropFiles(&store, { dir.File("dots.eml"), dir.File("empty.eml") }), 1);
    ASSERT_EQ(store.GetMailCount(), 2);
    EXPECT_EQ(StoredText(store, 1), expected);
    store.Close();
}

TEST(MailFileImport, FolderAndDialogNames)
{
    TestSupport::TempDir dir;
    for (const char* name : { "b.eml", "A.EML", "note.txt", "c.eml.bak" })
        TestSupport::WriteFileBytes(dir.File(name), "x");
    CreateDirectoryA(dir.File("d.eml"), nullptr);
    EXPECT_EQ(MailFileImport::EmlFilesInFolder(dir.Path()),
              (std::vector<CString>{ dir.File("A.EML"), dir.File("b.eml") }));

    const char single[] = "C:\\mail\\one.mbx\0";
    EXPECT_EQ(MailFileImport::SplitFileDialogNames(single, sizeof(single)), (std::vector<CString>{ "C:\\mail\\one.mbx" }));
    const char several[] = "C:\\mail\0one.mbx\0two.mbx\0";
    EXPECT_EQ(MailFileImport::SplitFileDialogNames(several, sizeof(several)),
              (std::vector<CString>{ "C:\\mail\\one.mbx", "C:\\mail\\two.mbx" }));
    const char none[] = "\0";
    EXPECT_TRUE(MailFileImport::SplitFileDialogNames(none, sizeof(none)).empty());
}

namespace {

// The window that greets the main window and records every answer.
struct Answers
{
    std::vector<std::string> data;
    std::vector<HWND> from;
};

LRESULT CALLBACK GreeterProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        auto* answers = reinterpret_cast<Answers*>(GetWindowLongPtrA(h, GWLP_USERDATA));
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        answers->from.push_back(reinterpret_cast<HWND>(wParam));
        answers->data.push_back(std::string(static_cast<const char*>(cds->lpData), cds->cbData));
        return TRUE;
    }
    return DefWindowProcA(h, message, wParam, lParam);
}

} // namespace

TEST(MainFrameCopyData, TheGreetingGetsOneEmptyAnswer)
{
    TestSupport::TempDir dir;
    TestSupport::InstallMessageBoxRecorder();
    std::unique_ptr<StoreTest::TestApp> app(new StoreTest::TestApp(dir.Path()));
    ASSERT_TRUE(app->CreateDefaultMailBox());
    CMainFrame* frame = new CMainFrame;
    app->m_pMainFrame = frame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
    HWND hFrame = frame->m_hWnd;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = GreeterProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CopyDataGreeter";
    RegisterClassA(&wc);
    HWND greeter = CreateWindowExA(0, "CopyDataGreeter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    Answers answers;
    SetWindowLongPtrA(greeter, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answers));

    // Whatever the request holds, none of it comes back.
    static const char kGreeting[] = "Corvane Mail MAPI Connection!";
    COPYDATASTRUCT cds = { 7, sizeof(kGreeting), const_cast<char*>(kGreeting) };
    SendMessageA(hFrame, WM_COPYDATA, reinterpret_cast<WPARAM>(greeter), reinterpret_cast<LPARAM>(&cds));
    ASSERT_EQ(answers.data.size(), 1u);
    EXPECT_EQ(answers.data[0], std::string(1, '\0'));
    EXPECT_EQ(answers.from[0], hFrame);
    // A sender that is no window gets nothing, and nothing breaks.
    SendMessageA(hFrame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    EXPECT_EQ(answers.data.size(), 1u);

    DestroyWindow(greeter);
    UnregisterClassA("CopyDataGreeter", wc.hInstance);
    DestroyWindow(hFrame);
}
