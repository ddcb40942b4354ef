// Vonlink.dll against the stand-in remote-access library.
#include "RasStandIn.h"

#include "dialhelper/Vonlink.h"

#include <raserror.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Vonlink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hModule = LoadLibraryA("Vonlink.dll");
        ASSERT_NE(nullptr, m_hModule);
        ASSERT_TRUE(RasStandIn::Find(m_setScript, m_readCalls)) << "the stand-in rasapi32.dll was not loaded";
        RasStandIn::Script script;
        m_setScript(&script);
    }
    void TearDown() override
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
    }
    template <class PFN>
    PFN Export(const char* name) const
    {
        return reinterpret_cast<PFN>(reinterpret_cast<void*>(GetProcAddress(m_hModule, name)));
    }
    std::string Calls() const { return RasStandIn::Calls(m_readCalls); }

    HMODULE m_hModule = nullptr;
    RasStandIn::PFN_SetScript m_setScript = nullptr;
    RasStandIn::PFN_ReadCalls m_readCalls = nullptr;
};

TEST_F(Vonlink, ExportsExactlyTheSixWrappersByNameAndOrdinal)
{
    auto base = reinterpret_cast<const BYTE*>(m_hModule);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, dir.VirtualAddress);
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    EXPECT_EQ(1u, exports->Base);
    EXPECT_EQ(6u, exports->NumberOfFunctions);
    ASSERT_EQ(6u, exports->NumberOfNames);
    auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    auto ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    const char* expected[] = {"QDRasDial", "QDRasEnumConnections", "QDRasEnumEntries",
                              "QDRasGetConnectStatus", "QDRasGetEntryDialParams", "QDRasHangUp"};
    for (int i = 0; i < 6; i++) {
        EXPECT_STREQ(expected[i], reinterpret_cast<const char*>(base + names[i]));
        EXPECT_EQ(i, ordinals[i]) << expected[i];  // ordinal = Base + this index
        EXPECT_EQ(GetProcAddress(m_hModule, expected[i]),
                  GetProcAddress(m_hModule, MAKEINTRESOURCEA(i + 1))) << expected[i];
    }
}

TEST_F(Vonlink, EnumEntriesPassesArgumentsAndResultsThrough)
{
    auto pfn = Export<PFN_QDRasEnumEntries>("QDRasEnumEntries");
    ASSERT_NE(nullptr, pfn);
    std::vector<RASENTRYNAMEA> entries(128);
    for (auto& entry : entries)
        entry.dwSize = sizeof(RASENTRYNAMEA);
    DWORD cb = static_cast<DWORD>(entries.size() * sizeof(RASENTRYNAMEA));
    DWORD count = 0;
    EXPECT_EQ(0u, pfn(nullptr, nullptr, entries.data(), &cb, &count));
    ASSERT_EQ(2u, count);
    EXPECT_STREQ("会社", entries[0].szEntryName);
    EXPECT_STREQ("自宅", entries[1].szEntryName);

    // An error code of the service comes back unchanged, with the size it asks for.
    DWORD small = sizeof(RASENTRYNAMEA);
    EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL), pfn(nullptr, "C:\\pb.pbk", entries.data(), &small, &count));
    EXPECT_EQ(2 * sizeof(RASENTRYNAMEA), small);
    std::string calls = Calls();
    EXPECT_NE(std::string::npos, calls.find("RasEnumEntriesA reserved=(null) phonebook=(null) dwSize=ok")) << calls;
    EXPECT_NE(std::string::npos, calls.find("phonebook=C:\\pb.pbk")) << calls;
}

TEST_F(Vonlink, EveryWrapperReachesItsFunctionUnchanged)
{
    RasStandIn::Script script;
    script.passwordStored = TRUE;
    script.dialResult = ERROR_PORT_NOT_AVAILABLE;
    m_setScript(&script);

    RASDIALPARAMSA params = {};
    params.dwSize = sizeof(params);
    strcpy(params.szEntryName, "会社");
    BOOL stored = FALSE;
    EXPECT_EQ(0u, Export<PFN_QDRasGetEntryDialParams>("QDRasGetEntryDialParams")("C:\\pb.pbk", &params, &stored));
    EXPECT_TRUE(stored);
    EXPECT_STREQ("stored-user", params.szUserName);

    HRASCONN hConn = nullptr;
    EXPECT_EQ(static_cast<DWORD>(ERROR_PORT_NOT_AVAILABLE),
              Export<PFN_QDRasDial>("QDRasDial")(nullptr, nullptr, &params, 2, nullptr, &hConn));
    EXPECT_NE(nullptr, hConn);

    RASCONNSTATUSA status = {};
    status.dwSize = 1;  // the service checks the record size; the wrapper must not
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_SIZE),
              Export<PFN_QDRasGetConnectStatus>("QDRasGetConnectStatus")(hConn, &status));

    RASCONNA connections[4] = {};
    connections[0].dwSize = sizeof(RASCONNA);
    DWORD cb = sizeof(connections);
    DWORD count = 99;
    EXPECT_EQ(0u, Export<PFN_QDRasEnumConnections>("QDRasEnumConnections")(connections, &cb, &count));
    EXPECT_EQ(0u, count);

    EXPECT_EQ(0u, Export<PFN_QDRasHangUp>("QDRasHangUp")(hConn));

    char handle[32];
    snprintf(handle, sizeof(handle), "%p", static_cast<void*>(hConn));
    std::string calls = Calls();
    EXPECT_NE(std::string::npos, calls.find("RasGetEntryDialParamsA phonebook=C:\\pb.pbk entry=会社 dwSize=ok"))
        << calls;
    EXPECT_NE(std::string::npos,
              calls.find("RasDialA ext=(null) phonebook=(null) dwSize=ok entry=会社 user=stored-user "
                         "password=stored-pw notifier=2"))
        << calls;
    EXPECT_NE(std::string::npos, calls.find("RasEnumConnectionsA dwSize=ok cb=" + std::to_string(sizeof(connections))))
        << calls;
    EXPECT_NE(std::string::npos, calls.find(std::string("RasHangUpA handle=") + handle)) << calls;
}

} // namespace
