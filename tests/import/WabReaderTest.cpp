// Windows Address Book import through the stand-in WAB library, found the
// way the real one is: the registry's DLLPath with its variables expanded.
#include "support/TestSupport.h"

#include "store/WabAddress.h"
#include "store/WabReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const char kKey[] = "Software\\Microsoft\\WAB\\DLLPath";

CString ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    CString folder = path;
    return folder.Left(folder.ReverseFind('\\'));
}

// Points the registry at the stand-in for the life of the object.
struct StandInRegistered
{
    HMODULE hStandIn;
    explicit StandInRegistered(const char* value = "%CVM_WAB_DIR%\\CvmTestWab.dll")
    {
        SetEnvironmentVariableA("CVM_WAB_DIR", ProgramFolder());
        HKEY h;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(h, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(strlen(value) + 1));
        RegCloseKey(h);
        // Held here as well, so its counters outlive the reader's handle.
        hStandIn = LoadLibraryA(ProgramFolder() + "\\CvmTestWab.dll");
    }
    ~StandInRegistered()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        if (hStandIn)
            FreeLibrary(hStandIn);
    }
    int Outstanding()
    {
        auto f = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(hStandIn, "StandInWabOutstanding")));
        return f ? f() : -1;
    }
    std::string LastFile()
    {
        auto f = reinterpret_cast<const char* (*)()>(
            reinterpret_cast<void*>(GetProcAddress(hStandIn, "StandInWabLastFile")));
        return f ? f() : "";
    }
};

} // namespace

TEST(WabImport, OnlySmtpEntriesAreReturned)
{
    TempDir dir;
    StandInRegistered standIn;
    ASSERT_NE(standIn.hStandIn, nullptr);
    WriteFileBytes(dir.File("book.wab"),
                   "3001001E=山田 太郎\t3002001E=SMTP\t3003001E=taro@example.jp\t3004001E=メモ\r\n"
                   "3001001E=lower\t3002001E=smtp\t3003001E=lower@example.jp\r\n"
                   "3001001E=Fax\t3002001E=FAX\t3003001E=0312345678\r\n"
                   "3001001E=No Address\t3002001E=SMTP\r\n"
                   "3002001E=SMTP\t3003001E=nick@example.jp\t3A4F001E=nick first\t3004001E=comment last\t"
                   "0FFF0003=1\r\n"
                   "3002001E=SMTP\t3003001E=c@example.jp\t3004001E=comment\t3A4F001E=nickname\r\n");
    CPtrArray list;
    {
        CWabReader reader(dir.File("book.wab"));
        ASSERT_TRUE(reader.IsOpen()) << reader.m_strError.GetString();
        EXPECT_EQ(standIn.LastFile(), dir.File("book.wab").Str());
        ASSERT_TRUE(reader.ReadAddresses(list));
    }
    struct Expected
    {
        const char* address;
        const char* name;
        const char* note;
    };
    const Expected expected[] = {
        {"taro@example.jp", "山田 太郎", "メモ"},
        {"", "No Address", ""},
        {"nick@example.jp", "", "comment last"},
        {"c@example.jp", "", "nickname"},
    };
    ASSERT_EQ(list.GetSize(), 4);
    for (int i = 0; i < 4; ++i) {
        auto* a = static_cast<CWabAddress*>(list[i]);
        EXPECT_EQ(a->m_strAddress, expected[i].address) << i;
        EXPECT_EQ(a->m_strDisplayName, expected[i].name) << i;
        EXPECT_EQ(a->m_strNote, expected[i].note) << i;
        EXPECT_EQ(a->m_strAddressType, "SMTP") << i;
    }
    ClearWabAddressList(list);
    EXPECT_EQ(list.GetSize(), 0);
    // Every row, entry id, table, container, book and WAB object went back.
    EXPECT_EQ(standIn.Outstanding(), 0);
}

TEST(WabImport, FailuresReadNothing)
{
    TempDir dir;
    CPtrArray list;
    {
        // The file cannot be opened by the library.
        StandInRegistered standIn;
        CWabReader reader(dir.File("missing.wab"));
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_FALSE(reader.ReadAddresses(list));
        EXPECT_EQ(standIn.Outstanding(), 0);
    }
    {
        // No registry entry: the old library name, which is not there.
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        CWabReader reader(dir.File("missing.wab"));
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_NE(reader.m_strError.Find("WAB16.DLL"), -1);
        EXPECT_FALSE(reader.ReadAddresses(list));
    }
    {
        // A library without WABOpen.
        StandInRegistered standIn("kernel32.dll");
        CWabReader reader(dir.File("missing.wab"));
        EXPECT_FALSE(reader.IsOpen());
    }
    EXPECT_EQ(list.GetSize(), 0);
}
