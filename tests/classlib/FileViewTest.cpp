// A file mapped for reading: its bytes as they are, one size limit, and the
// file free to be replaced once the view is closed.
#include "classlib/ClassLib.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileView, BytesAsStoredWhileOthersWriteAndReplaceAfterClose)
{
    TestSupport::TempDir dir;
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "a\r\nb\r\n"},
        {"zeros", std::string("x\0y\0", 4)},
        {"large", std::string(3 << 20, 'z')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CString path = dir.File(c.name);
        TestSupport::WriteFileBytes(path, c.bytes);
        // A writer holding the file open (a filing run) does not keep it from
        // being read.
        HANDLE writer = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        CFileView view;
        ASSERT_TRUE(view.Open(path, kMaxWholeFileSize));
        EXPECT_EQ(std::string(view.Bytes()), c.bytes);
        CloseHandle(writer);
        view.Close();
        EXPECT_TRUE(view.Bytes().empty());
        // Closed, the view no longer holds the file: it can be replaced.
        TestSupport::WriteFileBytes(dir.File("new"), "new");
        EXPECT_TRUE(MoveFileExA(dir.File("new"), path, MOVEFILE_REPLACE_EXISTING));
    }

    CFileView view;
    EXPECT_FALSE(view.Open(dir.File("missing"), kMaxWholeFileSize));
    TestSupport::WriteFileBytes(dir.File("ten"), "0123456789");
    EXPECT_FALSE(view.Open(dir.File("ten"), 9));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    EXPECT_TRUE(view.Open(dir.File("ten"), 10));
    EXPECT_EQ(view.Bytes(), "0123456789");
}
