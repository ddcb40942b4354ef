#include "editor/ExternalEditor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(ExternalEditor, CommandLineQuotesTheFileWhereTheOptionSaysOrAtTheEnd)
{
    struct Case
    {
        const char* option;
        const char* expected;
    };
    const Case cases[] = {
        {"/w $FILE$", "editor.exe /w \"C:\\t\\$Q$1.txt\""},
        {"", "editor.exe  \"C:\\t\\$Q$1.txt\""},
        {"-a", "editor.exe -a \"C:\\t\\$Q$1.txt\""},
        {"$FILE$ -x", "editor.exe \"C:\\t\\$Q$1.txt\" -x"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CExternalEditor::BuildCommandLine("editor.exe", c.option, "C:\\t\\$Q$1.txt"), c.expected)
            << c.option;
}

TEST(ExternalEditor, TemporaryFilesTakeTheExtensionAsked)
{
    CString txt = CExternalEditor::MakeTempFileName("txt");
    EXPECT_EQ(txt.Right(4), CString(".txt"));
    EXPECT_NE(txt.Find("$Q$"), -1);
    CString plain = CExternalEditor::MakeTempFileName("");
    EXPECT_EQ(plain.Right(4).CompareNoCase(".tmp"), 0);
}

TEST(ExternalEditor, TemporaryFilesGoIntoTheFolderAskedAndLeaveItEmpty)
{
    TestSupport::TempDir dir;
    CString html = CExternalEditor::MakeTempFileName("html", dir.Path() + "\\");
    EXPECT_EQ(html.Left(dir.Path().GetLength() + 4), dir.Path() + "\\$Q$");
    EXPECT_EQ(html.Right(5), CString(".html"));
    // Only the name is taken: the file is the editor's to write.
    EXPECT_FALSE(TestSupport::FileExists(html));
    EXPECT_TRUE(CExternalEditor::MakeTempFileName("html", dir.File("missing\\")).IsEmpty());
}
