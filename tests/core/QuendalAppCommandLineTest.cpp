// The command-line pass of the application object: switches and the joined
// text that is handed on (a mailto address, a file).
#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "core/ThreadEntry.h"
#include "viewer/MailViewerThread.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Runs the pass over the given arguments (after the program name).
void Parse(CQuendalApp& app, std::vector<const char*> args, CCommandLineInfo& info)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("CVMail.exe"));
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    int savedArgc = __argc;
    char** savedArgv = __argv;
    __argc = static_cast<int>(args.size() + 1);
    __argv = argv.data();
    app.ParseCommandLine(info);
    __argc = savedArgc;
    __argv = savedArgv;
}

} // namespace

TEST(QuendalAppCommandLine, SwitchesAndJoinedTextTable)
{
    TestSupport::TempDir dir;
    CString fileWithBlank = dir.File("my mail.eml");
    TestSupport::WriteFileBytes(fileWithBlank, "x");
    CString folderWithBlank = dir.File("a folder");
    CreateDirectoryA(folderWithBlank, nullptr);

    struct Case
    {
        std::vector<const char*> args;
        const char* mailBoxPath;
        const char* mailBoxName;
        const char* account;
        const char* route;
        const char* addressBox;
        int fileMode;
        BOOL log;
        BOOL noPlugIn;
        CString text;
    } cases[] = {
        { { "/M:C:\\Mail\\Box1" }, "C:\\Mail", "Box1", "", "", "", 0, FALSE, FALSE, "" },
        { { "/M:C:\\mail" }, "C:\\", "mail", "", "", "", 0, FALSE, FALSE, "" },
        // The character after the letter is skipped whatever it is.
        { { "-Mxc:\\Mail\\Box2" }, "c:\\Mail", "Box2", "", "", "", 0, FALSE, FALSE, "" },
        { { "/A:D:\\acc.dat", "/J:D:\\route.dat", "/D:D:\\addr" }, "", "", "D:\\acc.dat", "D:\\route.dat", "D:\\addr",
          0, FALSE, FALSE, "" },
        { { "/ini", "-LOG", "-nouseplugin" }, "", "", "", "", "", 1, TRUE, TRUE, "" },
        { { "/LOGX", "/INIT", "/NOUSE", "/Q" }, "", "", "", "", "", 0, FALSE, FALSE, "" },
        { { "mailto:a@example.com?subject=hi", "there" }, "", "", "", "", "", 0, FALSE, FALSE,
          "mailto:a@example.com?subject=hi there " },
        { { fileWithBlank }, "", "", "", "", "", 0, FALSE, FALSE, "\"" + fileWithBlank + "\" " },
        { { folderWithBlank }, "", "", "", "", "", 0, FALSE, FALSE, folderWithBlank + " " },
        { { "\"quoted already\"" }, "", "", "", "", "", 0, FALSE, FALSE, "\"quoted already\" " },
    };
    for (const Case& c : cases) {
        CQuendalApp app;
        CCommandLineInfo info;
        Parse(app, c.args, info);
        SCOPED_TRACE(c.args[0]);
        EXPECT_EQ(app.m_strMailBoxPathOverride, CString(c.mailBoxPath));
        EXPECT_EQ(app.m_strMailBoxNameOverride, CString(c.mailBoxName));
        EXPECT_EQ(app.m_strAccountFileOverride, CString(c.account));
        EXPECT_EQ(app.m_strRouteFileOverride, CString(c.route));
        EXPECT_EQ(app.m_strAddressBoxOverride, CString(c.addressBox));
        EXPECT_EQ(app.IsProfileFileMode() ? 1 : 0, c.fileMode);
        EXPECT_EQ(app.m_bCommLog, c.log);
        EXPECT_EQ(app.m_bNoUsePlugIn, c.noPlugIn);
        EXPECT_EQ(app.m_strCmdLineText, c.text);
        EXPECT_EQ(info.m_strFileName, c.text);
    }
}

namespace {

// A viewer thread with a window, as the viewer work will make it.
class CWindowedViewer : public CMailViewerThread
{
public:
    BOOL InitInstance() override
    {
        m_wnd.CreateEx(0, AfxRegisterWndClass("CVMTestViewer", 0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
        m_pMainWnd = &m_wnd;
        return TRUE;
    }
    int ExitInstance() override
    {
        m_wnd.DestroyWindow();
        m_pMainWnd = nullptr;
        return CMailViewerThread::ExitInstance();
    }
    CWnd m_wnd;
};

} // namespace

TEST(QuendalAppThreads, RegistryFindsLiveViewersAndDropsFinishedOnes)
{
    CQuendalApp app;
    auto* viewer = new CWindowedViewer;
    viewer->m_nFolderId = 7;
    ASSERT_TRUE(viewer->CreateThread());
    // The window is made in InitInstance, after the queue exists.
    for (int i = 0; i < 200 && !viewer->m_pMainWnd; i++)
        Sleep(10);
    HANDLE h = nullptr;
    DuplicateHandle(GetCurrentProcess(), viewer->m_hThread, GetCurrentProcess(), &h, 0, FALSE, DUPLICATE_SAME_ACCESS);
    DWORD id = viewer->m_nThreadID;
    app.AddViewThread(viewer);
    EXPECT_TRUE(app.HasViewThread());
    EXPECT_TRUE(app.IsFolderInViewer(7));
    EXPECT_FALSE(app.IsFolderInViewer(8));

    PostThreadMessageA(id, 1404, 0, 0);
    EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
    CloseHandle(h);
    EXPECT_FALSE(app.HasViewThread());
    EXPECT_FALSE(app.IsFolderInViewer(7));
}

TEST(QuendalAppDispatch, ConsumesItsNumbersWithoutAMainWindowAndPassesOthers)
{
    CQuendalApp app;
    for (UINT n : { 689u, 1346u, 1351u, 1352u, 1355u, 1386u, 1405u, 1440u, 1478u }) {
        MSG msg = { nullptr, n, 0, 0 };
        EXPECT_TRUE(app.DispatchThreadMessage(&msg)) << n;
    }
    for (UINT n : { 1337u, 1404u, 1494u, static_cast<UINT>(WM_PAINT) }) {
        MSG msg = { nullptr, n, 0, 0 };
        EXPECT_FALSE(app.DispatchThreadMessage(&msg)) << n;
    }
}

// Any program can post these numbers with any values to the main window or
// the thread: nothing is taken for an address, and a number the program
// only posts to the thread is not served when it names a window.
TEST(QuendalAppDispatch, ObjectMessagesTakeOnlyTheirOwnTokensFromTheThreadQueue)
{
    CQuendalApp app;
    CPostedObjectTable& table = CPostedObjectTable::Instance();
    std::string local = "not handed over";
    const LPARAM forged[] = { 1, 0x7FF0DEAD, static_cast<LPARAM>(0xFFFFFFFFFFFF0000ull),
                              reinterpret_cast<LPARAM>(&local) };
    const HWND window = GetDesktopWindow();
    for (UINT n : { 1375u, 1376u, 1389u, 1399u, 1400u, 1401u, 1439u, 1495u, 1497u }) {
        for (LPARAM lParam : forged) {
            for (WPARAM wParam : { 0u, 1u }) {
                MSG toThread = { nullptr, n, wParam, lParam };
                EXPECT_TRUE(app.DispatchThreadMessage(&toThread)) << n;
                MSG toWindow = { window, n, wParam, lParam };
                EXPECT_FALSE(app.DispatchThreadMessage(&toWindow)) << n;
            }
        }
    }
    EXPECT_EQ(local, "not handed over");

    // A token of the table is served once: the mail text is taken (there is
    // no folder to import it into), and the same token again finds nothing.
    const size_t before = table.GetCount();
    const LPARAM token = table.Put(1401, std::make_shared<std::string>("Subject: x\r\n\r\nbody\r\n.\r\n"));
    MSG window1401 = { window, 1401, 0, token };
    EXPECT_FALSE(app.DispatchThreadMessage(&window1401));
    EXPECT_EQ(table.GetCount(), before + 1);
    MSG thread1401 = { nullptr, 1401, 0, token };
    EXPECT_TRUE(app.DispatchThreadMessage(&thread1401));
    EXPECT_EQ(table.GetCount(), before);
}
