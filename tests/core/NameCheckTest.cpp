// Names that become one directory or file inside the mailbox.
#include "core/NameCheck.h"
#include "resources/resource.h"
#include "resources/utils/UtilsResource.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(NameCheck, NamesThatWouldLeaveOrBreakTheirDirectoryAreRefused)
{
    struct Case { const char* name; UINT id; } cases[] = {
        { "仕事", 0 },             { "ソフト開発", 0 },  // 0x5C as a second byte is no separator
        { "a.b", 0 },              { "新しいフォルダ", 0 }, { "con_notes", 0 }, { "COM10", 0 },
        { "", IDS_NAME_EMPTY },    { ".", IDS_DOT_NAMES }, { "..", IDS_DOT_NAMES },
        { "a\\b", IDS_INVALID_NAME_CHARS }, { "..\\..\\x", IDS_INVALID_NAME_CHARS }, { "a/b", IDS_INVALID_NAME_CHARS },
        { "c:x", IDS_INVALID_NAME_CHARS },  { "a*", IDS_INVALID_NAME_CHARS },       { "a\tb", IDS_INVALID_NAME_CHARS },
        { "name.", IDS_NAME_TRAILING },     { "name ", IDS_NAME_TRAILING },
        { "CON", 57655 }, { "nul", 57655 }, { "com1", 57655 }, { "LPT9.txt", 57655 }, { "aux .log", 57655 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckEntryName(c.name), c.id) << c.name;
}
