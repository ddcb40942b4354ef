#include "core/Md5.h"

#include <gtest/gtest.h>

#include <string>

TEST(Md5, MatchesTheReferenceVectors)
{
    struct Case { const char* text; const char* hex; };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        // APOP example of RFC 1939
        {"<1896.697170952@dbc.mtview.ca.us>tanstaaf", "c4c9334bac560ecc979e58001b3e22fb"},
    };
    for (const Case& c : cases) {
        char out[33];
        GetMD5HexString(c.text, out);
        EXPECT_STREQ(out, c.hex) << c.text;
    }
}

TEST(HmacMd5, MatchesTheReferenceVectors)
{
    char out[33];
    GetHmacMD5HexString("what do ya want for nothing?", "Jefe", out);
    EXPECT_STREQ(out, "750c783e6ab0b503eaa86e310a5db738");

    unsigned char digest[16];
    std::string key16(16, '\x0b');
    HmacMD5("Hi There", 8, key16.data(), key16.size(), digest);
    EXPECT_EQ(digest[0], 0x92);
    EXPECT_EQ(digest[15], 0x9d);

    // A key longer than a block counts as its digest (RFC 2104 test 6).
    std::string key80(80, '\xaa');
    HmacMD5("Test Using Larger Than Block-Size Key - Hash Key First", 54, key80.data(), key80.size(), digest);
    EXPECT_EQ(digest[0], 0x6b);
    EXPECT_EQ(digest[15], 0xcd);
    unsigned char keyDigest[16];
    MD5Context c;
    MD5Init(&c);
    MD5Update(&c, key80.data(), key80.size());
    MD5Final(keyDigest, &c);
    unsigned char viaDigest[16];
    HmacMD5("Test Using Larger Than Block-Size Key - Hash Key First", 54, keyDigest, 16, viaDigest);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(digest), 16), std::string(reinterpret_cast<char*>(viaDigest), 16));

    // CRAM-MD5 example of RFC 2195
    GetHmacMD5HexString("<1896.697170952@postoffice.reston.mci.net>", "tanstaaftanstaaf", out);
    EXPECT_STREQ(out, "b913a602c7eda7a495b4e6e7334d3890");
}
