// Two address book windows write the same files from the copies they read:
// neither may drop what the other wrote meanwhile.
#include "addressbook/AddressFileMerge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using AddressFileMerge::GroupListKey;
using AddressFileMerge::MergeLines;

namespace {

// Lines written one to a character: "abc" is the lines a, b and c.
std::string Lines(const char* letters)
{
    std::string text;
    for (const char* p = letters; *p; ++p)
        text += std::string(1, *p) + "\r\n";
    return text;
}

struct MergeCase
{
    std::string base, mine, theirs, merged;
};

void ExpectMerges(const std::vector<MergeCase>& cases)
{
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.base + " / " + c.mine + " / " + c.theirs);
        EXPECT_EQ(MergeLines(c.base, c.mine, c.theirs), c.merged);
    }
}

} // namespace

TEST(AddressFileMerge, EntriesAddedAndDeletedOnEitherSideAllSurvive)
{
    const char* const cases[][4] = {
        { "ab", "ab", "ab", "ab" },
        { "ab", "abc", "abd", "abdc" },  // both added; theirs after the line it follows
        { "abc", "ac", "abcd", "acd" },  // I deleted b, they added d
        { "abc", "abcd", "ac", "acd" },  // they deleted b, I added d
        { "abc", "ab", "bc", "b" },      // each deleted one
        { "aab", "aab", "ab", "ab" },    // one of two equal lines deleted
        { "ac", "xac", "abc", "xabc" },  // theirs goes after the line it follows
        { "abc", "cab", "abcd", "cdab" },  // my new order stays
        { "ab", "ab", "", "" },          // the other side emptied the file
    };
    std::vector<MergeCase> lines;
    for (const auto& c : cases)
        lines.push_back({ Lines(c[0]), Lines(c[1]), Lines(c[2]), Lines(c[3]) });
    ExpectMerges(lines);
}

TEST(AddressFileMerge, GroupLinesAreOneGroupByTheirId)
{
    const std::string header = "FILE_VERSION\t1\r\n";
    const std::string root = "-1\t0\t1\t0\tアドレス帳\tAddress.dat\t0\t0\t0\t1\r\n";
    const std::string work = "0\t0\t1\t1\t仕事\t仕事.dat\t0\t0\t0\t0\r\n";
    const std::string workOpen = "0\t0\t1\t1\t仕事\t仕事.dat\t0\t0\t0\t1\r\n";
    const std::string workRenamed = "0\t0\t1\t1\t職場\t仕事.dat\t0\t0\t0\t0\r\n";
    const std::string family = "0\t0\t1\t2\t家族\t家族.dat\t0\t0\t0\t0\r\n";
    const std::string friends = "0\t0\t1\t3\t友人\t友人.dat\t0\t0\t0\t0\r\n";
    const std::string base = header + root + work;

    EXPECT_EQ(GroupListKey(header), header);
    EXPECT_EQ(GroupListKey(work), GroupListKey(workRenamed));
    EXPECT_NE(GroupListKey(work), GroupListKey(family));
    // A window that only closes (its tree as read) keeps a group another
    // window created, and that group stays below its parent.
    EXPECT_EQ(MergeLines(base, base, header + root + family + work, GroupListKey), header + root + family + work);
    // Both created a group: both stay.
    EXPECT_EQ(MergeLines(base, base + friends, base + family, GroupListKey), base + family + friends);
    // One renamed a group the other only expanded or left: the rename stays
    // unless this side changed the group too.
    EXPECT_EQ(MergeLines(base, base, header + root + workRenamed, GroupListKey), header + root + workRenamed);
    EXPECT_EQ(MergeLines(base, header + root + workOpen, header + root + workRenamed, GroupListKey),
              header + root + workOpen);
    // A group deleted elsewhere is not written back.
    EXPECT_EQ(MergeLines(base, base, header + root, GroupListKey), header + root);
}

TEST(AddressFileMerge, ALastLineWithoutItsLineEndStaysALineOfItsOwn)
{
    ExpectMerges({
        // Another program appended C without a line end; this window added D.
        { "A\r\nB\r\n", "A\r\nB\r\nD\r\n", "A\r\nB\r\nC", "A\r\nB\r\nC\r\nD\r\n" },
        // This window read the file so; its own write ends every line.
        { "A\r\nB\r\nC", "A\r\nB\r\nC\r\nD\r\n", "A\r\nB\r\nC", "A\r\nB\r\nC\r\nD\r\n" },
        // Lines ended by LF alone, and empty lines, as the tables read them.
        { "A\nB\n", "A\r\nB\r\nD\r\n", "A\n\nB\nC\n", "A\r\nB\r\nC\r\nD\r\n" },
    });
}
