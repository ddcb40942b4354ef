#include "message/DotStuffer.h"
#include "message/MailLineEnds.h"

#include <gtest/gtest.h>

#include <string>

TEST(DotStuffer, StuffAndUndoByTable)
{
    const struct { std::string text, stuffed; } cases[] = {
        {"", ""},
        {".", ".."},
        {"..x\r\n", "...x\r\n"},
        {"a\r\n.\r\n..\r\n...\r\n.x\r\n", "a\r\n..\r\n...\r\n....\r\n..x\r\n"},
        {"a.b\r\nc .\r\n", "a.b\r\nc .\r\n"},
        {"lf\n.x\n", "lf\n..x\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CDotStuffer::Stuff(c.text.data(), c.text.size()), c.stuffed) << c.text;
        EXPECT_EQ(CDotStuffer::Undo(c.stuffed), c.text) << c.stuffed;
    }
    // Pieces that split a line end or a line's dots stuff as the whole.
    std::string whole = "x\r\n..y\r\n.\r\n";
    for (size_t cut = 0; cut <= whole.size(); cut++) {
        CDotStuffer stuffer;
        std::string out;
        stuffer.Append(out, whole.data(), cut);
        stuffer.Append(out, whole.data() + cut, whole.size() - cut);
        EXPECT_EQ(out, CDotStuffer::Stuff(whole.data(), whole.size())) << cut;
    }
}

TEST(MailLineEnds, OutsideFilesBecomeCrLf)
{
    const struct { std::string text, normalised; } cases[] = {
        {"a\nb\n\nc\n", "a\r\nb\r\n\r\nc\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\r\nb\nc\r", "a\r\nb\nc\r"},  // one CR LF: kept as it is
        {std::string("\0\0a\nb\0\n", 8), "a\r\nb\r\n"},
        {"no line end", "no line end"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMailLineEnds::ToCrLf(c.text), c.normalised) << c.text;
}
