// Directory searches against the private slapd of scripts/servers.d/slapd.sh
// (ldap://127.0.0.4:389, people with Japanese names stored as UTF-8).
#include <winsock2.h>

#include "net/LdapClient.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const char kHost[] = "127.0.0.4";
const int kPort = 389;
// Search scopes as the address book stores them.
const int kOneLevel = 1;
const int kSubtree = 2;
const char kSales[] = "ou=sales,dc=corvane,dc=test";
const char kReader[] = "cn=reader,dc=corvane,dc=test";
const char kReaderPassword[] = "reader-secret";

// The entries a search appended, freed with the test.
struct Results
{
    CPtrArray array;
    ~Results()
    {
        for (int i = 0; i < array.GetSize(); i++)
            delete static_cast<CLdapEntry*>(array[i]);
    }
    int Count() const { return static_cast<int>(array.GetSize()); }
    const CLdapEntry& At(int i) const { return *static_cast<const CLdapEntry*>(array[i]); }
    const CLdapEntry* WithMail(const char* mail) const
    {
        for (int i = 0; i < Count(); i++)
            if (At(i).m_strMail == mail)
                return &At(i);
        return nullptr;
    }
};

CString Attribute(const CLdapEntry& entry, const char* name)
{
    for (const auto& pair : entry.m_attributes)
        if (pair.first == name)
            return pair.second;
    return CString("<missing>");
}

struct SearchCase
{
    const char* what;
    int version;
    const char* bindName;
    const char* password;
};

class LdapVersions : public ::testing::TestWithParam<SearchCase> {};

TEST_P(LdapVersions, JapaneseFilterFindsEntryWithShiftJisValues)
{
    const SearchCase& c = GetParam();
    Results results;
    CString error;
    CLdapClient client;
    ASSERT_TRUE(client.Search(kHost, kPort, c.bindName, c.password, kSales, "(sn=山田)", kSubtree,
                              "MAIL", "cn", "description", &results.array, error, c.version, TRUE, 10))
        << error.GetString();
    ASSERT_EQ(1, results.Count());
    const CLdapEntry& entry = results.At(0);
    // The mail attribute is matched without regard to case; of its two values the first is taken.
    EXPECT_EQ(CString("yamada@corvane.test"), entry.m_strMail);
    EXPECT_EQ(CString("山田 太郎"), entry.m_strName);
    EXPECT_EQ(CString("営業部 第一課"), entry.m_strThird);
    EXPECT_EQ(CString("山田"), Attribute(entry, "sn"));
    EXPECT_EQ(CString("03-1234-5678"), Attribute(entry, "telephoneNumber"));
    EXPECT_EQ(CString("<missing>"), Attribute(entry, "mail"));
    EXPECT_EQ(CString("<missing>"), Attribute(entry, "cn"));
}

INSTANTIATE_TEST_SUITE_P(Binds, LdapVersions,
                         ::testing::Values(SearchCase{"v3 anonymous", 3, nullptr, nullptr},
                                           SearchCase{"v3 reader", 3, kReader, kReaderPassword},
                                           SearchCase{"v2 reader", 2, kReader, kReaderPassword},
                                           SearchCase{"v2 anonymous", 2, "", ""}));

TEST(LdapClient, ListsEveryEntryWithItsAttributesInServerOrder)
{
    Results results;
    CString error;
    CLdapClient client;
    ASSERT_TRUE(client.Search(kHost, kPort, kReader, kReaderPassword, kSales, "(mail=*)", kOneLevel,
                              "mail", "cn", "description", &results.array, error, 2, TRUE, 10));
    ASSERT_EQ(3, results.Count());
    const CLdapEntry* suzuki = results.WithMail("suzuki@corvane.test");
    ASSERT_NE(nullptr, suzuki);
    EXPECT_EQ(CString("鈴木 花子"), suzuki->m_strName);
    EXPECT_EQ(CString("課長"), Attribute(*suzuki, "title"));
    // "ソ" ends in the byte 0x5C; the name must come through whole.
    const CLdapEntry* noda = results.WithMail("noda@corvane.test");
    ASSERT_NE(nullptr, noda);
    EXPECT_EQ(CString("能登 ソフィア"), noda->m_strName);
    EXPECT_TRUE(noda->m_strThird.IsEmpty());
    ASSERT_FALSE(noda->m_attributes.empty());
    EXPECT_EQ(CString("objectClass"), noda->m_attributes.front().first);
}

TEST(LdapClient, ValuesStayAsSentWhenNotMarkedUtf8)
{
    Results results;
    CString error;
    ASSERT_TRUE(LdapSearch(kHost, kPort, nullptr, nullptr, kSales, "(uid=suzuki)", kSubtree,
                           "cn", "mail", "description", &results.array, error, 3, FALSE, 10));
    ASSERT_EQ(1, results.Count());
    EXPECT_EQ(CString("\xE9\x88\xB4\xE6\x9C\xA8 \xE8\x8A\xB1\xE5\xAD\x90"), results.At(0).m_strName);
    EXPECT_EQ(CString("suzuki@corvane.test"), results.At(0).m_strMail);
}

TEST(LdapClient, NothingFoundIsSuccessWithNoEntries)
{
    Results results;
    CString error;
    CLdapClient client;
    EXPECT_TRUE(client.Search(kHost, kPort, nullptr, nullptr, kSales, "(sn=存在しない)", kSubtree,
                              "mail", "cn", "description", &results.array, error, 3, TRUE, 10));
    EXPECT_EQ(0, results.Count());
}

TEST(LdapClient, SizeLimitKeepsThePartialResult)
{
    Results results;
    CString error;
    CLdapClient client;
    // ou=staff holds seven people; the server hands out four per search.
    EXPECT_TRUE(client.Search(kHost, kPort, nullptr, nullptr, "ou=staff,dc=corvane,dc=test", "(mail=*)",
                              kSubtree, "mail", "cn", "description", &results.array, error, 3, TRUE, 10));
    EXPECT_EQ(4, results.Count());
    EXPECT_EQ(CString("LDAPサーバで検索に失敗しました。Error[4]\r\n[LDAP_SIZELIMIT_EXCEEDED]"), error);
    for (int i = 0; i < results.Count(); i++)
        EXPECT_EQ(0, results.At(i).m_strName.Find("社員")) << i;
}

struct FailureCase
{
    const char* what;
    int port;
    const char* bindName;
    const char* password;
    const char* base;
    const char* filter;
    const char* error;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.what; }
void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.what; }

class LdapFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LdapFailures, ReportTheReasonAndLeaveNoEntries)
{
    const FailureCase& c = GetParam();
    Results results;
    CString error;
    CLdapClient client;
    EXPECT_FALSE(client.Search(kHost, c.port, c.bindName, c.password, c.base, c.filter, kSubtree,
                               "mail", "cn", "description", &results.array, error, 3, TRUE, 10));
    EXPECT_EQ(CString(c.error), error);
    EXPECT_EQ(0, results.Count());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LdapFailures,
    ::testing::Values(
        FailureCase{"wrong password", kPort, kReader, "wrong", kSales, "(mail=*)", "サーバで認証に失敗しました。"},
        FailureCase{"unknown bind name", kPort, "cn=nobody,dc=corvane,dc=test", "x", kSales, "(mail=*)",
                    "サーバで認証に失敗しました。"},
        FailureCase{"nothing listening", 3899, nullptr, nullptr, kSales, "(mail=*)", "サーバに接続できませんでした。"},
        FailureCase{"missing base", kPort, nullptr, nullptr, "ou=nowhere,dc=corvane,dc=test", "(mail=*)",
                    "LDAPサーバで検索に失敗しました。Error[32]\r\n[LDAP_NO_SUCH_OBJECT]"},
        FailureCase{"broken filter", kPort, nullptr, nullptr, kSales, "(mail=*",
                    "LDAPサーバで検索に失敗しました。Error[87]\r\n[LDAP_FILTER_ERROR]"}));

// A peer that takes the connection into its backlog and never says a word.
class SilentServer
{
public:
    SilentServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_socket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        listen(m_socket, 4);
        int len = sizeof(addr);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
    }
    ~SilentServer()
    {
        closesocket(m_socket);
        WSACleanup();
    }
    int Port() const { return m_port; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    int m_port = 0;
};

TEST(LdapClient, SilentServerTimesOut)
{
    SilentServer server;
    ASSERT_NE(0, server.Port());
    Results results;
    CString error;
    CLdapClient client;
    DWORD start = GetTickCount();
    EXPECT_FALSE(client.Search("127.0.0.1", server.Port(), nullptr, nullptr, kSales, "(mail=*)", kSubtree,
                               "mail", "cn", "description", &results.array, error, 3, TRUE, 2));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(CString("サーバに接続できませんでした。"), error);
    EXPECT_GE(elapsed, 1500u);
    EXPECT_LT(elapsed, 6000u);
}

TEST(LdapClient, ResultCodeNames)
{
    struct { ULONG code; const char* name; } cases[] = {
        {0, "正常に終了しました。"},
        {4, "LDAP_SIZELIMIT_EXCEEDED"},
        {9, "LDAP_REFERRAL_V2 or LDAP_PARTIAL_RESULTS"},
        {49, "LDAP_INVALID_CREDENTIALS"},
        {97, "LDAP_REFERRAL_LIMIT_EXCEEDED"},
        {14, ""},
        {98, ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.name, CLdapClient::ResultCodeName(c.code)) << c.code;
}

} // namespace
