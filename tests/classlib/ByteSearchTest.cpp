#include "classlib/ByteSearch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A text with the searched bytes at every place around the sixteen-byte
// steps, compared with the C library's answers from every start.
TEST(ByteSearch, FindsWhatTheLibraryFindsFromEveryStart)
{
    std::string text;
    for (int i = 0; i < 70; ++i)
        text += static_cast<char>('a' + i % 7);
    text[17] = '-';
    text[31] = '\n';
    text[32] = '-';
    text[33] = '-';
    text[47] = '\n';
    text[48] = '-';
    text[60] = '\x81';
    text += "\n--";  // a match at the very end
    const std::vector<std::string> needles = {"\n--", "\n-", "ab", "gab", "\x81" "e", "--", "zz", "a"};
    for (size_t len = 0; len <= text.size(); ++len) {
        std::string_view view(text.data(), len);
        for (size_t from = 0; from <= len + 1; ++from) {
            for (char c : {'-', '\n', 'g', '\x81', 'z'})
                ASSERT_EQ(ByteSearch::Find(view, c, from), view.find(c, from)) << len << " " << from << " " << c;
            for (const std::string& n : needles)
                ASSERT_EQ(ByteSearch::Find(view, n, from), view.find(n, from)) << len << " " << from << " " << n;
        }
    }
    EXPECT_EQ(ByteSearch::Find(text.data(), 0, 'a'), nullptr);
}

TEST(ByteSearch, StringSearchesStopAtTheEndOfEveryAlignment)
{
    // The same texts at every offset from an aligned block.
    alignas(16) char buffer[96];
    const char* const texts[] = {"", "=", "a=?b", "abcdefghijklmnopq=?", "=x=y=?", "no words here at all, none",
                                 "abc=", "?=?="};
    for (const char* t : texts) {
        for (size_t offset = 0; offset < 16; ++offset) {
            memset(buffer, '=', sizeof(buffer));
            char* s = buffer + offset;
            memcpy(s, t, strlen(t) + 1);
            EXPECT_EQ(ByteSearch::FindInString(s, '='), strchr(s, '=')) << t << " " << offset;
            EXPECT_EQ(ByteSearch::FindInString(s, "=?"), strstr(s, "=?")) << t << " " << offset;
        }
    }
}

} // namespace
