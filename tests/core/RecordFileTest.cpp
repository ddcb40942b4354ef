#include "core/QDDataStrgSet.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

struct Row : CDataStrgRecord
{
    std::vector<std::string> fields;
};

// A table that keeps every field and rejects lines whose column 2 is "reject".
class RowTable : public CQDDataStrgSet
{
public:
    CDataStrgRecord* CreateNewRecord() override
    {
        Row* r = new Row;
        AddRecord(r);
        return r;
    }
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override
    {
        if (nColumn == 2 && std::string(pszField) == "reject")
            return FALSE;
        static_cast<Row*>(pRecord)->fields.push_back(pszField);
        return TRUE;
    }
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override
    {
        CString line;
        const Row* r = static_cast<Row*>(pRecord);
        for (size_t i = 0; i < r->fields.size(); ++i) {
            if (i)
                line += '\t';
            line += CleanField(r->fields[i].c_str());
        }
        WriteLine(file, line + "\r\n");
    }
    void OnSkipRecord(int nIndex) override { skipped.push_back(nIndex); }

    Row* At(int i) const { return static_cast<Row*>(GetRecord(i)); }
    std::vector<int> skipped;
};

std::string Dump(const RowTable& t)
{
    std::string out;
    for (int i = 0; i < const_cast<RowTable&>(t).GetRecordCount(TRUE); ++i) {
        for (const std::string& f : t.At(i)->fields)
            out += "[" + f + "]";
        out += "|";
    }
    return out;
}

} // namespace

TEST(RecordFile, SplitsLinesAndFields)
{
    struct Case { const char* name; std::string file; const char* rows; };
    const Case cases[] = {
        {"crlf with empty line and trailing tab", "a\tb\r\n\r\nc\t\r\n", "[a][b]|[c][]|"},
        {"lf only", "a\tb\n\nc\t\n", "[a][b]|[c][]|"},
        {"cr only", "a\tb\r\rc\t\r", "[a][b]|[c][]|"},
        {"no final line break", "x\ty", "[x][y]|"},
        {"nul ends the text", std::string("a\tb\r\nc\0d\r\ne\r\n", 12), "[a][b]|[c]|"},
        {"rejected line is dropped, later lines read", "1\t2\treject\t4\r\n5\t6\t7\r\n", "[5][6][7]|"},
        {"double-byte text kept", "表\tソ\r\n", "[表][ソ]|"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        RowTable t;
        t.SetFilePath(dir.File("t.dat"));
        WriteFileBytes(dir.File("t.dat"), c.file);
        ASSERT_TRUE(t.ReadFromFile()) << c.name;
        EXPECT_EQ(Dump(t), c.rows) << c.name;
        for (int i = 0; i < t.GetRecordCount(TRUE); ++i)
            EXPECT_EQ(t.At(i)->m_nIndex, i) << c.name;
    }
}

TEST(RecordFile, MissingFileIsAnEmptyLoadedTable)
{
    TempDir dir;
    RowTable t;
    t.SetFilePath(dir.File("none.dat"));
    EXPECT_FALSE(t.IsLoaded());
    EXPECT_EQ(t.GetRecordCount(), 0);  // reads first
    EXPECT_TRUE(t.IsLoaded());
}

TEST(RecordFile, WriteLeavesOutDeletedRecordsUnlessAsked)
{
    TempDir dir;
    RowTable t;
    t.SetFilePath(dir.File("t.dat"));
    WriteFileBytes(dir.File("t.dat"), "a\r\nb\r\nc\r\n");
    ASSERT_TRUE(t.ReadFromFile());
    t.MarkRecordDeleted(t.GetRecord(1));
    ASSERT_TRUE(t.WriteToFile(FALSE));
    EXPECT_EQ(ReadFileBytes(dir.File("t.dat")), "a\r\nc\r\n");
    EXPECT_EQ(t.skipped, std::vector<int>{1});
    EXPECT_EQ(t.GetRecordCount(), 3);  // still held in memory
    ASSERT_TRUE(t.WriteToFile(TRUE));
    EXPECT_EQ(ReadFileBytes(dir.File("t.dat")), "a\r\nb\r\nc\r\n");
}

TEST(RecordFile, TabsAndLineBreaksInTextNeverSplitARecord)
{
    TempDir dir;
    RowTable t;
    t.SetFilePath(dir.File("t.dat"));
    Row* r = static_cast<Row*>(t.CreateNewRecord());
    r->fields = {"name\twith tab", "two\r\nlines"};
    ASSERT_TRUE(t.WriteToFile());
    RowTable back;
    back.SetFilePath(dir.File("t.dat"));
    ASSERT_TRUE(back.ReadFromFile());
    EXPECT_EQ(Dump(back), "[name with tab][two  lines]|");
}

TEST(RecordFile, AppendAddsOneLineAndReadOnlyFileIsRewritten)
{
    TempDir dir;
    CString path = dir.File("t.dat");
    RowTable t;
    t.SetFilePath(path);
    WriteFileBytes(path, "a\r\n");
    ASSERT_TRUE(t.ReadFromFile());
    Row extra;
    extra.fields = {"b", "c"};
    ASSERT_TRUE(t.AppendRecordToFile(&extra));
    EXPECT_EQ(ReadFileBytes(path), "a\r\nb\tc\r\n");

    SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(t.WriteToFile());
    EXPECT_EQ(ReadFileBytes(path), "a\r\n");
}

TEST(RecordFile, FailedWriteKeepsTheOldTable)
{
    TempDir dir;
    CString path = dir.File("t.dat");
    WriteFileBytes(path, "keep\r\n");
    RowTable t;
    t.SetFilePath(path);
    ASSERT_TRUE(t.ReadFromFile());
    static_cast<Row*>(t.GetRecord(0))->fields = {"changed"};
    TestSupport::ClearMessages();
    HANDLE lock = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(t.WriteToFile());
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(path), "keep\r\n");
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("で書き込みエラーが発生しました。"), std::string::npos);
}

TEST(RecordFile, RecordListKeepsIndexesInOrder)
{
    RowTable t;
    for (int i = 0; i < 3; ++i)
        t.CreateNewRecord();
    CDataStrgRecord* last = t.GetRecord(2);
    t.RemoveRecord(t.GetRecord(1));
    ASSERT_EQ(t.GetRecordCount(TRUE), 2);
    EXPECT_EQ(t.GetRecord(1), last);
    EXPECT_EQ(last->m_nIndex, 1);
    Row* inserted = new Row;
    t.InsertRecord(0, inserted);
    EXPECT_EQ(inserted->m_nIndex, 0);
    EXPECT_EQ(last->m_nIndex, 2);
    EXPECT_EQ(t.GetNextRecord(inserted), t.GetRecord(1));
    EXPECT_EQ(t.GetPrevRecord(inserted), nullptr);
    EXPECT_EQ(t.GetRecord(5), nullptr);
    t.RemoveRecord(nullptr);
}
