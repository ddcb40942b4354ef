// Reading a whole file: its bytes as they are, and one size limit.
#include "classlib/ClassLib.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

TEST(ReadWholeFile, BytesAsStoredAndFailures)
{
    TestSupport::TempDir dir;
    struct Case
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        { "empty", "" },
        { "text", "a\r\nb\r\n" },
        { "zeros", std::string("x\0y\0", 4) },
        { "large", std::string(3 << 20, 'z') },  // several reads' worth
    };
    for (const Case& c : cases) {
        TestSupport::WriteFileBytes(dir.File(c.name), c.bytes);
        std::string data = "old";
        EXPECT_TRUE(ReadWholeFile(dir.File(c.name), data)) << c.name;
        EXPECT_EQ(data, c.bytes) << c.name;
    }

    std::string data = "old";
    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(data.empty());

    // A file held open for writing is refused when writers are to be kept out.
    CString busy = dir.File("busy");
    HANDLE writer = CreateFileA(busy, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0,
                                nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(ReadWholeFile(busy, data));
    EXPECT_FALSE(ReadWholeFile(busy, data, CFile::shareDenyWrite));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(writer);
}

TEST(ReadWholeFile, RefusesAFileOverTheLimitWithoutReadingIt)
{
    TestSupport::TempDir dir;
    CString path = dir.File("huge");
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxWholeFileSize) + 1;  // sparse: nothing is written
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    std::string data;
    EXPECT_FALSE(ReadWholeFile(path, data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    EXPECT_TRUE(data.empty());
}
