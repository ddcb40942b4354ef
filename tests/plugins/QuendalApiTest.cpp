// The API object's table, called by index from a plug-in written in C.
#include "PlugInTestSupport.h"

#include "addressbook/AddressManagerThread.h"
#include "plugin/PlugInHost.h"
#include "plugin/QuendalAPI.h"
#include "resources/resource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

using namespace PlugInTest;
using TestSupport::ReadFileBytes;
using TestSupport::WriteFileBytes;

namespace {

// Cancels every dialog this process shows until it is stopped, as a user
// who closes whatever opens.
class DialogCanceller
{
public:
    DialogCanceller() : m_thread([this] { Run(); }) {}
    ~DialogCanceller()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    static BOOL CALLBACK Cancel(HWND h, LPARAM)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        char cls[32] = {};
        GetClassNameA(h, cls, sizeof(cls));
        if (pid == GetCurrentProcessId() && IsWindowVisible(h) && strcmp(cls, "IME") != 0)
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    void Run()
    {
        while (!m_stop) {
            EnumWindows(Cancel, 0);
            Sleep(100);
        }
    }
    std::atomic<bool> m_stop{ false };
    std::thread m_thread;
};

// Slot, then what the plug-in wrote for it.
struct SlotCase
{
    const char* line;
};

typedef void (*DestroyFunc)(void*, UINT);
typedef int (*SequenceFunc)(void*);

void* Slot(void* api, int index)
{
    return (*reinterpret_cast<void***>(api))[index];
}

} // namespace

TEST(QuendalApi, EverySlotAnswersAPlugInCalledByIndex)
{
    TestSupport::TempDir dir;
    StoreTest::TestApp app(dir.Path());
    app.m_strTempFolderPath = "C:\\Temp\\CVM";
    CString box = app.GetAddressBoxPath();
    CreateDirectoryA(box, nullptr);
    WriteFileBytes(box + "\\Group.lst",
                   "FILE_VERSION\t1\r\n"
                   "-1\t0\t1\t1\tFriends\tFriends.dat\t0\t0\t0\t1\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n");
    WriteFileBytes(box + "\\Friends.dat", "taro@example.jp\tTaro\t\tIconDefault\t\r\n");
    CAddressManagerThread addresses;
    addresses.LoadAddressBook();
    app.m_pAddressThread = &addresses;

    HMENU hMain = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    PlugInHost().SetMainMenu(hMain);
    CQuendalAPI* api = new CQuendalAPI(&app);
    SetQuendalAPIObject(api);

    CString modulePath = CopyModule(dir.Path(), "Accepting");
    HMODULE h = LoadLibraryA(modulePath);
    ASSERT_NE(h, nullptr);
    auto run = Export<int (*)(HMODULE, char*, int)>(h, "RunApiTable");
    ASSERT_NE(run, nullptr);
    std::vector<char> out(16384);
    {
        DialogCanceller canceller;
        ASSERT_EQ(run(h, out.data(), static_cast<int>(out.size())), 1);
    }
    std::set<std::string> lines;
    std::istringstream in(out.data());
    for (std::string line; std::getline(in, line);)
        lines.insert(line);

    const std::string box16 = std::string("16=") + app.GetMailBoxFolder().GetString();
    const SlotCase cases[] = {
        { "0=0" },  // no main window in this process
        { "1=1011" },
        { "2=[abc]" },
        { "3=returned" },
        { "4=42 5 5" },  // the plug-in's section, its sub-section, another plug-in
        { "5=8" },
        { "6=ABCD#" },  // cut at the size, no terminator
        { "9=0 9" },    // no version resource: false, nothing written
        { "10=1" },
        { "11=0" },     // registered, yet false
        { "12=0 0" },
        { "13=0" },
        { "14=returned" },
        { "15=1" },
        { box16.c_str() },
        { "17=C:\\Temp\\CVM" },
        { "18=0" },
        { "19=returned" },
        { "20=1 1 1" },  // a hidden folder, made with its directory
        { "21=0" },
        { "22=0" },  // no main window to post to
        { "23=1 2021-06-01 2 0" },
        { "24=0" },
        { "25=1 -1 1" },
        { "26=0" },
        { "27=returned" },
        { "28=0" },
        { "29=0" },  // the folder dialog cancelled
        { "30=[]" },
        { "31=1" },
        { "32=returned" },
        { "33=[Taro <tar]" },  // closed, the picker hands back its selection
        { "34=[taro@exa]" },  // size − 1 bytes and a zero
        { "35=[Taro Yamada]" },
        { "36=1 PlugIn\\" },
        { "37=returned" },
        { "38=1 From:a@b;Subject:hi;" },  // the callback stopped after Subject
        { "39=1" },
        { "39b=hel#" },
        { "40=900150983cd24fb0d6963f7d28e17f72" },
        { "41=0" },
        { "42=1" },
        { "43=1 0" },
        { "44=1 0 0" },
        { "45=7 [Friends]" },
        { "46=Taro<taro@example.jp>;" },
    };
    for (const SlotCase& c : cases)
        EXPECT_EQ(lines.count(c.line), 1u) << c.line << "\nwritten:\n" << out.data();

    EXPECT_EQ(app.GetProfileInt("PlugIn\\Tester", "Count", 0), 42);
    EXPECT_STREQ(app.GetProfileString("PlugIn\\Tester\\Sub", "Name", ""), "ABCDEFGH");
    EXPECT_EQ(ReadFileBytes(box + "\\Friends.dat"),
              "taro@example.jp\tTaro\t\tIconDefault\t\r\nhanako@example.jp\tHanako\tmemo\tIconDefault\t\r\n");
    CPlugInHost::Command c;
    EXPECT_TRUE(PlugInHost().GetCommand(40000, c) && c.strText == "Run test" && c.strPrompt == "Runs the test");
    EXPECT_TRUE(PlugInHost().GetCommand(40001, c) && c.strText == "Hidden test" && c.lValue2 == 0);

    // The last slot deletes the object; the export then answers null.
    reinterpret_cast<DestroyFunc>(Slot(api, QD_Destroy))(api, 1);
    auto get = reinterpret_cast<QdGetApiFunc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "GetQuendalAPI")));
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get(), nullptr);
    app.m_pAddressThread = nullptr;
    PlugInHost().UnloadAll();
    FreeLibrary(h);
    DestroyMenu(hMain);
}

TEST(QuendalApi, SequenceNumbersStartAfterAThousandAndNeverRepeatAcrossThreads)
{
    CQuendalAPI* api = new CQuendalAPI(nullptr);
    auto next = reinterpret_cast<SequenceFunc>(Slot(api, QD_GetSequenceNumber));
    EXPECT_EQ(next(api), 1001);
    EXPECT_EQ(next(api), 1002);
    std::vector<std::thread> threads;
    std::vector<std::vector<int>> seen(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                seen[t].push_back(next(api));
        });
    for (auto& t : threads)
        t.join();
    std::set<int> all;
    for (auto& s : seen)
        all.insert(s.begin(), s.end());
    EXPECT_EQ(all.size(), 2000u);
    EXPECT_EQ(*all.begin(), 1003);
    EXPECT_EQ(*all.rbegin(), 3002);
    reinterpret_cast<DestroyFunc>(Slot(api, QD_Destroy))(api, 1);
}
