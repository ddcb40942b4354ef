// The library as other programs reach it: through the system's Simple MAPI
// stub, which loads the library that the default mail client names. A
// stand-in client window in this process takes the hand-over requests.
#include "mapibridge/MapiBridge.h"
#include "plugin/MapiRequestFile.h"
#include "plugin/SharedMemory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <mapi.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::WriteFileBytes;

namespace {

CString LibraryPath()
{
    CString path = CString("Z:") + CVM_QDMAPI;
    path.Replace('/', '\\');
    return path;
}

// Names the library as the default mail client's for the test's length.
class MailClientRegistration
{
public:
    MailClientRegistration()
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_mail,
                        nullptr);
        char old[256] = {};
        DWORD size = sizeof(old) - 1;
        if (RegQueryValueExA(m_mail, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS)
            m_oldDefault = old;
        RegSetValueExA(m_mail, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("CorvaneMail"), 12);
        HKEY client = nullptr;
        RegCreateKeyExA(m_mail, "CorvaneMail", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &client, nullptr);
        size = sizeof(old) - 1;
        old[0] = '\0';
        if (RegQueryValueExA(client, "DllPath", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS)
            m_oldDllPath = old;
        CString path = LibraryPath();
        RegSetValueExA(client, "DllPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.GetString()),
                       static_cast<DWORD>(path.GetLength() + 1));
        RegCloseKey(client);
    }
    ~MailClientRegistration()
    {
        RegSetValueExA(m_mail, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_oldDefault.c_str()),
                       static_cast<DWORD>(m_oldDefault.size() + 1));
        HKEY client = nullptr;
        if (RegOpenKeyExA(m_mail, "CorvaneMail", 0, KEY_ALL_ACCESS, &client) == ERROR_SUCCESS) {
            if (m_oldDllPath.empty())
                RegDeleteValueA(client, "DllPath");
            else
                RegSetValueExA(client, "DllPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_oldDllPath.c_str()),
                               static_cast<DWORD>(m_oldDllPath.size() + 1));
            RegCloseKey(client);
        }
        RegCloseKey(m_mail);
    }

private:
    HKEY m_mail = nullptr;
    std::string m_oldDefault, m_oldDllPath;
};

// A window of the client's class on a thread of its own that takes the
// queued requests when asked, as the running client does (or, made deaf,
// one that never answers; made late, one whose window comes after a while,
// as a client that is starting).
class StandInClient
{
public:
    explicit StandInClient(bool bAnswers = true, DWORD dwLateMs = 0) : m_bAnswers(bAnswers), m_dwLateMs(dwLateMs)
    {
        m_thread = std::thread([this] { Run(); });
        while (!m_hWnd && !dwLateMs)
            Sleep(10);
    }
    HWND Window() const { return m_hWnd; }
    ~StandInClient()
    {
        while (!m_hWnd)
            Sleep(10);
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    std::vector<std::vector<BYTE>> Requests()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_requests;
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<StandInClient*>(GetWindowLongPtrA(h, GWLP_USERDATA));
        if (message == 1494 && self && self->m_bAnswers) {
            // The caller goes on once the request is taken: it is kept
            // under the lock, so that the requests read next include it.
            std::lock_guard<std::mutex> hold(self->m_lock);
            std::vector<std::vector<BYTE>> taken;
            ReadSharedMemory(taken);
            self->m_requests.insert(self->m_requests.end(), taken.begin(), taken.end());
            return 0;
        }
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcA(h, message, wParam, lParam);
    }
    void Run()
    {
        Sleep(m_dwLateMs);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CVMWndClass";
        RegisterClassA(&wc);
        HWND h = CreateWindowExA(0, "CVMWndClass", "Corvane Mail", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 120, 80,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_hWnd = h;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        UnregisterClassA("CVMWndClass", wc.hInstance);
    }

    bool m_bAnswers;
    DWORD m_dwLateMs;
    std::thread m_thread;
    volatile HWND m_hWnd = nullptr;
    std::mutex m_lock;
    std::vector<std::vector<BYTE>> m_requests;
};

template <typename T> T Export(HMODULE h, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, name)));
}

} // namespace

TEST(MapiStub, SendMailThroughTheSystemStubReachesTheClientWithEveryField)
{
    MailClientRegistration registration;
    OpenSharedMemoryForReading();
    StandInClient client;
    HMODULE stub = LoadLibraryA("mapi32.dll");
    ASSERT_NE(stub, nullptr);
    HMODULE library = GetModuleHandleA("QdMapi.dll");
    ASSERT_NE(library, nullptr) << "the stub did not load the library the mail client names";

    auto logon = Export<LPMAPILOGON>(stub, "MAPILogon");
    auto logoff = Export<LPMAPILOGOFF>(stub, "MAPILogoff");
    auto send = Export<LPMAPISENDMAIL>(stub, "MAPISendMail");
    ASSERT_TRUE(logon && logoff && send);
    LHANDLE session = 0;
    EXPECT_EQ(logon(0, nullptr, nullptr, 0, 0, &session), static_cast<ULONG>(SUCCESS_SUCCESS));
    EXPECT_EQ(session, reinterpret_cast<LHANDLE>(library));

    TestSupport::TempDir dir;
    WriteFileBytes(dir.File("見積.txt"), "見積の本文");
    WriteFileBytes(dir.File("data.bin"), std::string("\0\1\2", 3));
    CString f1 = dir.File("見積.txt"), f2 = dir.File("data.bin");
    MapiRecipDesc recips[] = {
        { 0, MAPI_TO, const_cast<char*>("山田 太郎"), const_cast<char*>("SMTP:yamada@example.jp"), 0, nullptr },
        { 0, MAPI_TO, nullptr, const_cast<char*>("plain@example.jp"), 0, nullptr },
        { 0, MAPI_CC, const_cast<char*>("鈴木"), const_cast<char*>("suzuki@example.jp"), 0, nullptr },
        { 0, MAPI_BCC, nullptr, const_cast<char*>("SMTP:hidden@example.jp"), 0, nullptr },
    };
    MapiFileDesc files[] = {
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(f1.GetString()), nullptr, nullptr },
        { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(f2.GetString()), const_cast<char*>("表示名.bin"), nullptr },
    };
    MapiMessage message = { 0, const_cast<char*>("お見積りの件&body=x"), const_cast<char*>("本文です。\r\n二行目"),
                            nullptr, nullptr, nullptr, 0, nullptr, 4, recips, 2, files };
    EXPECT_EQ(send(session, 0, &message, 0, 0), static_cast<ULONG>(SUCCESS_SUCCESS));

    MapiMailRequest request;
    bool found = false;
    for (const std::vector<BYTE>& r : client.Requests()) {
        WORD command;
        DWORD length;
        if (r.size() < 6)
            continue;
        std::memcpy(&command, r.data(), 2);
        std::memcpy(&length, r.data() + 2, 4);
        if (command != kHandOverMapiCommand || length != r.size() - 6)
            continue;
        std::string path(r.begin() + 6, r.end());
        found = ParseMapiRequest(ReadFileBytes(path.c_str()), request);
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(request.to, "山田 太郎 <yamada@example.jp>,plain@example.jp,");
    EXPECT_EQ(request.cc, "鈴木 <suzuki@example.jp>,");
    EXPECT_EQ(request.bcc, "hidden@example.jp,");
    EXPECT_EQ(request.subject, "お見積りの件&body=x");
    EXPECT_EQ(request.body, "本文です。\r\n二行目");
    ASSERT_EQ(request.attachments.size(), 2u);
    EXPECT_EQ(ReadFileBytes(request.attachments[0].c_str()), "見積の本文");
    EXPECT_EQ(ReadFileBytes(request.attachments[1].c_str()), std::string("\0\1\2", 3));
    EXPECT_NE(request.attachments[0].find("見積.txt"), std::string::npos);
    EXPECT_NE(request.attachments[1].find("表示名.bin"), std::string::npos);

    // A missing attachment is the caller's error, not a success.
    CString gone = dir.File("gone.txt");
    MapiFileDesc missing = { 0, 0, static_cast<ULONG>(-1), const_cast<char*>(gone.GetString()), nullptr, nullptr };
    message.nFileCount = 1;
    message.lpFiles = &missing;
    EXPECT_EQ(send(session, 0, &message, 0, 0), static_cast<ULONG>(MAPI_E_ATTACHMENT_NOT_FOUND));

    EXPECT_EQ(logoff(session, 0, 0, 0), static_cast<ULONG>(SUCCESS_SUCCESS));

    // The exports that do no work answer success, and leave out-parameters alone.
    lpMapiMessage read = reinterpret_cast<lpMapiMessage>(0x1234);
    lpMapiRecipDesc resolved = reinterpret_cast<lpMapiRecipDesc>(0x5678);
    EXPECT_EQ(Export<LPMAPIREADMAIL>(library, "MAPIReadMail")(session, 0, nullptr, 0, 0, &read), 0u);
    EXPECT_EQ(read, reinterpret_cast<lpMapiMessage>(0x1234));
    EXPECT_EQ(Export<LPMAPIRESOLVENAME>(library, "MAPIResolveName")(session, 0, nullptr, 0, 0, &resolved), 0u);
    EXPECT_EQ(resolved, reinterpret_cast<lpMapiRecipDesc>(0x5678));
    EXPECT_EQ(Export<LPMAPIADDRESS>(library, "MAPIAddress")(session, 0, nullptr, 0, nullptr, 0, nullptr, 0, 0, nullptr,
                                                             nullptr),
              0u);
    EXPECT_EQ(Export<LPMAPIDELETEMAIL>(library, "MAPIDeleteMail")(session, 0, nullptr, 0, 0), 0u);
    EXPECT_EQ(Export<LPMAPIDETAILS>(library, "MAPIDetails")(session, 0, nullptr, 0, 0), 0u);
    EXPECT_EQ(Export<LPMAPIFREEBUFFER>(library, "MAPIFreeBuffer")(nullptr), 0u);
    EXPECT_EQ(Export<LPMAPISAVEMAIL>(library, "MAPISaveMail")(session, 0, nullptr, 0, 0, nullptr), 0u);
    EXPECT_EQ(Export<LPMAPISENDDOCUMENTS>(library, "MAPISendDocuments")(0, nullptr, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(FindWindowA(nullptr, "QuendalCommunicationWnd") != nullptr, true);
    FreeLibrary(stub);
}

TEST(MapiHandOver, TheCallerWaitsUntilTheClientTakesTheRequestAndNoLonger)
{
    OpenSharedMemoryForReading();
    std::vector<std::vector<BYTE>> stale;
    ReadSharedMemory(stale);
    const std::string request = "C:\\temp\\$$F1\\Request.txt";
    const std::string noProgram = "C:\\nowhere\\CVMail.exe";
    const std::string starter = "C:\\windows\\system32\\ipconfig.exe";
    struct Case
    {
        const char* what;
        bool client, answers;
        DWORD late;
        const std::string& program;
        DWORD timeout;
        ULONG result;
        DWORD atLeast, below;
    } cases[] = {
        { "a running client answers at once", true, true, 0, noProgram, 20000, SUCCESS_SUCCESS, 0, 3000 },
        { "a client that never answers", true, false, 0, noProgram, 1500, MAPI_E_FAILURE, 1400, 4000 },
        { "no client and no program to start", false, false, 0, noProgram, 20000, MAPI_E_FAILURE, 0, 1000 },
        { "a client still starting", true, true, 1500, starter, 20000, SUCCESS_SUCCESS, 1400, 6000 },
    };
    for (const Case& c : cases) {
        std::unique_ptr<StandInClient> client;
        if (c.client)
            client = std::make_unique<StandInClient>(c.answers, c.late);
        DWORD start = GetTickCount();
        EXPECT_EQ(CMapiBridge::HandToClient(request, c.program, c.timeout), c.result) << c.what;
        DWORD took = GetTickCount() - start;
        EXPECT_GE(took, c.atLeast) << c.what;
        EXPECT_LT(took, c.below) << c.what;
        if (c.result == SUCCESS_SUCCESS) {
            // The request leaves the block a moment before the client has it in hand.
            for (int i = 0; i < 40 && client->Requests().empty(); ++i)
                Sleep(50);
            ASSERT_EQ(client->Requests().size(), 1u) << c.what;
            std::vector<BYTE> taken = client->Requests()[0];
            EXPECT_EQ(std::string(taken.begin() + 6, taken.end()), request) << c.what;
            // The client's window comes to the front for the user who waits.
            // (The display's focus follows a moment later.)
            for (int i = 0; i < 40 && GetForegroundWindow() != client->Window(); ++i)
                Sleep(50);
            EXPECT_EQ(GetForegroundWindow(), client->Window()) << c.what;
        }
        client.reset();
        ReadSharedMemory(stale);
    }
}
