#include "message/AddressList.h"
#include "message/MimeCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {
std::string S(const CString& s) { return s.Str(); }
}

TEST(HeaderWords, EncodeRunsOfDoubleByteCharacters)
{
    CMimeCodec codec;
    const struct { const char* text; const char* encoded; } cases[] = {
        {"Hello world", "Hello world"},
        {"テスト", "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?="},
        {"Re: テスト", "Re: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?="},
        {"漢字 漢字", "=?ISO-2022-JP?B?GyRCNEE7ehsoQg==?= =?ISO-2022-JP?B?GyRCNEE7ehsoQg==?="},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(codec.EncodeHeaderText(c.text)), c.encoded) << c.text;
    // Q words escape what would end the word or read as a blank.
    EXPECT_EQ(S(codec.EncodeHeaderTextQP("表")), "=?ISO-2022-JP?Q?=1b$BI=3d=1b(B?=");
    EXPECT_EQ(S(codec.DecodeHeaderText(codec.EncodeHeaderTextQP("Re:テスト"))), "Re:テスト");
}

TEST(HeaderWords, DecodeByTable)
{
    CMimeCodec codec;
    const struct { const char* name; const char* encoded; const char* decoded; } cases[] = {
        {"jis base64", "=?ISO-2022-JP?B?GyRCN29MPiRHJDkbKEI=?=", "件名です"},
        {"adjacent words join", "=?iso-2022-jp?b?GyRCJUYlOSVIGyhC?= =?ISO-2022-JP?B?GyRCN29MPiRHJDkbKEI=?=",
         "テスト件名です"},
        {"words of different charsets", "=?UTF-8?B?5pel5pys6Kqe?=\t=?EUC-JP?B?xvzL3Ljs?=", "日本語日本語"},
        {"plain text around words", "Re: =?UTF-8?B?5pel5pys6Kqe?= (fwd)", "Re: 日本語 (fwd)"},
        {"latin-1 q word with underscore", "=?ISO-8859-1?Q?x=B1_y?=", "x± y"},
        {"escape split over two words", "=?ISO-2022-JP?B?GyRCJUYlOQ==?= =?ISO-2022-JP?B?JUgbKEI=?=", "テスト"},
        {"unterminated word kept", "=?UTF-8?B?5pel5pys", "=?UTF-8?B?5pel5pys"},
        {"unknown encoding letter kept", "=?UTF-8?X?abc?=", "=?UTF-8?X?abc?="},
        {"language suffix", "=?UTF-8*ja?B?5pel?=", "日"},
        {"blank before plain text kept", "=?UTF-8?B?5pel?= x", "日 x"},
        {"raw jis outside words", "\x1b$B%F%9%H\x1b(B =?UTF-8?B?5pel?=", "テスト 日"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(codec.DecodeHeaderText(c.encoded)), c.decoded) << c.name;
    EXPECT_EQ(S(codec.DecodeHeaderText("a =?iso-2022-jp?B?GyRC?= b", true)), "iso-2022-jp");
    EXPECT_EQ(S(codec.DecodeHeaderText("no words", true)), "");
}

TEST(HeaderWords, ManyUnclosedWordsStayLinear)
{
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "=?a?B?b";
    CMimeCodec codec;
    EXPECT_EQ(codec.DecodeHeaderText(text.c_str()).GetLength(), static_cast<int>(text.size()));
}

TEST(AddressList, SplitByTable)
{
    const struct { const char* list; bool unique; std::vector<std::string> entries; } cases[] = {
        {"\"Yamada, Taro\" <taro@example.jp>, hanako@example.jp", false,
         {"\"Yamada, Taro\" <taro@example.jp>", "hanako@example.jp"}},
        {"a@example.jp (Sato, Jiro), b@example.jp", false, {"a@example.jp (Sato, Jiro)", "b@example.jp"}},
        {"A@Example.jp, a@example.JP, <a@example.jp>", true, {"A@Example.jp"}},
        {"\"表\" <hyo@example.jp>, b@example.jp", false, {"\"表\" <hyo@example.jp>", "b@example.jp"}},
        {"\"unterminated <x@example.jp>, y@example.jp", false, {"\"unterminated <x@example.jp>", "y@example.jp"}},
        {" , ,", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        CStringArray entries;
        ASSERT_TRUE(ParseAddressList(c.list, &entries, c.unique));
        ASSERT_EQ(entries.GetSize(), static_cast<int>(c.entries.size())) << c.list;
        for (int i = 0; i < entries.GetSize(); ++i)
            EXPECT_EQ(S(entries[i]), c.entries[static_cast<size_t>(i)]) << c.list;
    }
    CStringArray entries;
    EXPECT_FALSE(ParseAddressList(nullptr, &entries));
    EXPECT_FALSE(ParseAddressList("a@b", nullptr));
}

TEST(AddressList, FieldTextHasNoSeparatorAfterTheLastEntry)
{
    const struct { const char* list; const char* field; } cases[] = {
        {"a@example.jp,", "a@example.jp"},
        {"山田 <a@example.jp>,b@example.jp,", "山田 <a@example.jp>, b@example.jp"},
        {"\"Yamada, Taro\" <t@example.jp>,", "\"Yamada, Taro\" <t@example.jp>"},
        {" a@example.jp ,, b@example.jp , ", "a@example.jp, b@example.jp"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(AddressFieldText(c.list)), c.field) << c.list;
}

TEST(AddressList, BareAddressAndDisplayName)
{
    const struct { const char* entry; const char* address; const char* name; } cases[] = {
        {"\"Yamada <Taro>\" <taro@example.jp>", "taro@example.jp", "Yamada <Taro>"},
        {"山田 太郎 <taro@example.jp>", "taro@example.jp", "山田 太郎"},
        {"taro@example.jp (山田)", "taro@example.jp", "山田"},
        {"  taro@example.jp", "taro@example.jp", ""},
        {"taro@example.jp\x81\x40" "etc", "taro@example.jp", ""},
        {"<broken@example.jp", "broken@example.jp", ""},
        {"\"\"", "\"\"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(S(ExtractMailAddress(c.entry)), c.address) << c.entry;
        EXPECT_EQ(S(ExtractDisplayName(c.entry)), c.name) << c.entry;
    }
}

TEST(AddressList, ContainsWholeAddressesOnly)
{
    const struct
    {
        const char* list;
        const char* address;
        bool expected;
    } cases[] = {
        {"hanako@example.jp", "ko@example.jp", false},
        {"花子 <Hanako@Example.jp>, b@example.jp", "hanako@example.jp", true},
        {"a@example.jp,b@example.jp", "Taro <b@example.jp>", true},
        {"a@example.jp.org", "a@example.jp", false},
        {"", "a@example.jp", false},
        {"a@example.jp", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AddressListContains(c.list, c.address), c.expected) << c.list << " / " << c.address;
}

TEST(PercentForms, DecodeAndEncode)
{
    EXPECT_EQ(S(DecodePercentText("%1B%24B%24%22%1B%28B.txt")), "あ.txt");
    EXPECT_EQ(S(DecodePercentBytes("%e6%97%a5")), "\xe6\x97\xa5");
    // Escapes cut short at the end are kept, never read past.
    EXPECT_EQ(S(DecodePercentBytes("50%")), "50%");
    EXPECT_EQ(S(DecodePercentBytes("50%4")), "50%4");
    EXPECT_EQ(S(EncodePercentText("a b\r\nあ")), "a%20%62\r\n%1b%24B%24%22%1b%28B");
}

TEST(AddressList, UniqueModeIsLinearAndDropsRepeats)
{
    std::string list;
    for (int i = 0; i < 20000; i++)
        list += "User " + std::to_string(i) + " <user" + std::to_string(i % 10000) + "@example.jp>, ";
    CStringArray entries;
    entries.Add("First <USER0@example.jp>");
    DWORD start = GetTickCount();
    ASSERT_TRUE(ParseAddressList(list.c_str(), &entries, true));
    // Comparing each entry with all before it took a minute for 8,000.
    EXPECT_LT(GetTickCount() - start, 10000u);
    ASSERT_EQ(entries.GetSize(), 10000);
    EXPECT_EQ(entries[0], "First <USER0@example.jp>");
    EXPECT_EQ(entries[1], "User 1 <user1@example.jp>");
}

TEST(HeaderWords, ControlCharactersOfAWordDecodeAsBlanks)
{
    // A word is one line of text, whatever its bytes: "\r\nBcc:" sent in a
    // word would otherwise begin a header line of whoever writes it again.
    CMimeCodec codec;
    const struct { const char* encoded; const char* decoded; } cases[] = {
        {"=?UTF-8?B?eA0KQmNjOiB2QGV4YW1wbGUuY29t?=", "x  Bcc: v@example.com"},
        {"=?ISO-2022-JP?B?eA0KQmNjOiB2QGV4YW1wbGUuY29t?=", "x  Bcc: v@example.com"},
        {"=?UTF-8?Q?x=00=07=0A=7Fy?=", "x    y"},
        {"=?EUC-JP?Q?=C6=FC=0D=0A?=", "日  "},
        // Escapes of JIS in a word still work; outside words nothing changes.
        {"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", "テスト"},
        {"line one\r\nline two =?UTF-8?B?5pel?=", "line one\r\nline two 日"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(codec.DecodeHeaderText(c.encoded)), c.decoded) << c.encoded;
}

TEST(HeaderWords, WordsOfALongTextNeedNoPaddingButTheLast)
{
    // Readers stop at a word that ends in padding when another follows;
    // every word fits its room and the words decode back to the text.
    // Double-byte and single-byte characters in turn, whose JIS lengths
    // rarely come out at a multiple of three.
    std::string longRun;
    for (int i = 0; i < 40; ++i)
        longRun += i % 2 ? "日本" : "語a";
    const char* const texts[] = {
        "2024年度第3四半期営業報告書（関東地区・最終版）の補足資料と参考データ一覧.txt",
        "鈴木, 一郎（営業部　第一課、担当課長代理）",
        "a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢",
        "髙﨑 ①㈱Ⅰ№ の長いお名前の方への御案内と申し込み書類の送付について",
        longRun.c_str(),
        "短い",
    };
    CMimeCodec codec;
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        std::vector<CString> words = CMimeCodec::EncodeWords(text, strlen(text), 40, 75);
        CString joined;
        for (size_t i = 0; i < words.size(); ++i) {
            const std::string word = S(words[i]);
            EXPECT_LE(word.size(), i == 0 ? 40u : 75u) << word;
            if (i + 1 < words.size()) {
                EXPECT_NE(word.substr(word.size() - 3), "=?=") << word;
            }
            joined += (i ? " " : "") + words[i];
        }
        EXPECT_EQ(S(codec.DecodeHeaderText(joined)), text);
    }
    // Characters JIS lacks go in UTF-8; the rest stays ISO-2022-JP.
    EXPECT_EQ(CMimeCodec::EncodeWords("髙﨑", 4, 75, 75)[0].Find("=?UTF-8?B?"), 0);
    EXPECT_EQ(CMimeCodec::EncodeWords("①㈱", 4, 75, 75)[0].Find("=?ISO-2022-JP?B?"), 0);
}
