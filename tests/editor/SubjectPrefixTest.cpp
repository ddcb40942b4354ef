#include "editor/SubjectPrefix.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PrefixCase
{
    const char* text;
    bool reply;
    int replyLength;
    bool forward;
    int forwardLength;
};

} // namespace

TEST(SubjectPrefix, RecognisesReplyAndForwardPrefixes)
{
    const PrefixCase cases[] = {
        {"Re: x", true, 4, false, 0},
        {"RE:x", true, 3, false, 0},
        {"re :  x", true, 6, false, 0},
        {"Re[3]: x", true, 7, false, 0},
        {"Re^12> x", true, 7, false, 0},
        {"Re：x", true, 4, false, 0},  // full-width colon
        {"Re[]: x", false, 0, false, 0},
        {"Re[3: x", false, 0, false, 0},
        {"Re^: x", false, 0, false, 0},
        {"Re", false, 0, false, 0},
        {"Re x", false, 0, false, 0},
        {"Red: x", false, 0, false, 0},
        {"Fw: x", false, 0, true, 4},
        {"FWD> x", false, 0, true, 5},
        {"fwd：x", false, 0, true, 5},
        {"Fwd x", false, 0, false, 0},
        {"転送: x", false, 0, false, 0},  // only the prefixes above are known
        {"", false, 0, false, 0},
    };
    for (const auto& c : cases) {
        int n = -1;
        EXPECT_EQ(IsReplyPrefix(c.text, &n), c.reply) << c.text;
        if (c.reply) {
            EXPECT_EQ(n, c.replyLength) << c.text;
        }
        n = -1;
        EXPECT_EQ(IsForwardPrefix(c.text, &n), c.forward) << c.text;
        if (c.forward) {
            EXPECT_EQ(n, c.forwardLength) << c.text;
        }
    }
}

TEST(SubjectPrefix, BracketTagSkippedOnlyWithTextBehind)
{
    const struct { const char* text; bool tag; const char* rest; } cases[] = {
        {"[list:12] hello", true, "hello"},
        {"[ソフト] 件名", true, "件名"},  // the trail byte of ソ is a backslash, not the end
        {"[list:12]", true, "[list:12]"},
        {"[list:12]   ", true, "[list:12]   "},
        {"[open hello", false, "[open hello"},
        {"hello [x]", false, "hello [x]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsBracketTag(c.text, nullptr), c.tag) << c.text;
        EXPECT_STREQ(SkipBracketTag(c.text), c.rest) << c.text;
    }
}

TEST(SubjectPrefix, SubjectsOfRepliesForwardsAndBareSubjects)
{
    const struct { const char* source; bool dropTag; const char* reply; const char* forward; const char* bare; } cases[] = {
        {"hello", false, "Re: hello", "Fw: hello", "hello"},
        {"Re: Re: Re: hello", false, "Re: hello", "Fw: Re: Re: Re: hello", "hello"},
        {"RE: hello", false, "Re: hello", "Fw: RE: hello", "hello"},
        {"RE[3]: FW: x", false, "Re: FW: x", "Fw: RE[3]: FW: x", "FW: x"},
        {"Fwd：hello", false, "Re: Fwd：hello", "Fw: hello", "hello"},
        {"Fw: Fw: Re: hello", false, "Re: Fw: Fw: Re: hello", "Fw: Re: hello", "Re: hello"},
        {"Re", false, "Re: Re", "Fw: Re", "Re"},
        {"Re: [list:12] Re: hello", true, "Re: hello", "Fw: Re: [list:12] Re: hello", "hello"},
        {"Re: [list:12] Re: hello", false, "Re: [list:12] Re: hello", "Fw: Re: [list:12] Re: hello", "hello"},
        {"Re: Re[2]: [ml:5] Re: word", true, "Re: word", "Fw: Re: Re[2]: [ml:5] Re: word", "word"},
        {"[ml:5] Fw: Re: x", true, "Re: Fw: Re: x", "Fw: [ml:5] Fw: Re: x", "Re: x"},
        {"[only-tag]", true, "Re: [only-tag]", "Fw: [only-tag]", "[only-tag]"},
        {"転送: 会議", false, "Re: 転送: 会議", "Fw: 転送: 会議", "転送: 会議"},
        {"", false, "Re: ", "Fw: ", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(MakeReplySubject(c.source, c.dropTag), c.reply) << c.source;
        EXPECT_STREQ(MakeForwardSubject(c.source, 0), c.forward) << c.source;
        EXPECT_STREQ(MakeForwardSubject(c.source, 2), c.source) << c.source;  // sent on unchanged
        EXPECT_STREQ(GetBareSubject(c.source), c.bare) << c.source;
    }
}

TEST(SubjectPrefix, LongPrefixChainsTakeLinearTime)
{
    std::string subject;
    for (int i = 0; i < 200000; ++i)
        subject += "Re: ";
    subject += "x";
    EXPECT_STREQ(MakeReplySubject(subject.c_str(), true), "Re: x");
    EXPECT_STREQ(GetBareSubject(subject.c_str()), "x");
}
