#include "store/MailListData.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

#include <thread>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

std::string Le32(int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    std::string s(4, '\0');
    for (int i = 0; i < 4; i++)
        s[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return s;
}

CMailIndexRecord* MakeRecord(int offset, int length, const char* subject)
{
    CMailIndexRecord* r = new CMailIndexRecord;
    r->m_nDataOffset = offset;
    r->m_nDataLength = length;
    r->m_bRead = 1;
    r->m_bAttach = 1;
    r->m_nTotalSize = 1234;
    r->m_nLabel = 99;
    r->m_crLabel = 0x123456;
    r->m_nBookmark = 7;
    r->m_nPriority = 2;
    r->m_nPartNumber = 0;
    r->m_nFlags = 0x12;
    r->SetText(CMailIndexRecord::colSubject, subject);
    r->SetText(CMailIndexRecord::colFrom, "A <a@example.com>");
    r->SetText(CMailIndexRecord::colDate, "2024/05/01 09:00:00 +0900");
    r->SetText(CMailIndexRecord::colFileName, "QM1714521600.eml");
    return r;
}

// Byte ranges where two files differ.
std::vector<std::pair<size_t, size_t>> Diff(const std::string& a, const std::string& b)
{
    std::vector<std::pair<size_t, size_t>> out;
    size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n;) {
        if (i < a.size() && i < b.size() && a[i] == b[i]) {
            i++;
            continue;
        }
        size_t j = i;
        while (j < n && !(j < a.size() && j < b.size() && a[j] == b[j]))
            j++;
        out.push_back({i, j});
        i = j;
    }
    return out;
}

} // namespace

TEST(IndexFile, RecordLayoutIsByteExact)
{
    TempDir dir;
    CMailListData list;
    list.SetFilePath(dir.File("Index.lst"));
    ASSERT_TRUE(list.ReadFromFile());
    CMailIndexRecord* first = MakeRecord(0, 100, "件名\tタブ");
    ASSERT_TRUE(list.AppendRecord(first));  // the empty folder's list is loaded: it owns the record
    CMailIndexRecord* second = MakeRecord(100, 50, "two\r\nlines\rlone");
    ASSERT_TRUE(list.AppendRecord(second));
    int secondPos = second->m_nRecordPos;

    std::string text1 = std::string("件名 タブ") + "\tA <a@example.com>\t\t\t2024/05/01 09:00:00 +0900\t\t\t\t\t\t" +
                        "ISO-2022-JP\tQM1714521600.eml";
    std::string bin1 = std::string("\0\1", 2) + Le32(0) + Le32(0) + Le32(100) + Le32(0) + std::string("\1", 1) +
                       Le32(1234) + Le32(99) + Le32(0x123456) + std::string("\0", 1) + Le32(7) + Le32(2) + Le32(0) +
                       Le32(0x12);
    ASSERT_EQ(bin1.size(), 48u);
    std::string rec1 = bin1 + text1 + "\r\n";
    std::string text2 = std::string("twolines\rlone") + "\tA <a@example.com>\t\t\t2024/05/01 09:00:00 +0900\t\t\t\t\t\t" +
                        "ISO-2022-JP\tQM1714521600.eml";
    std::string bin2 = std::string("\0\1", 2) + Le32(static_cast<int32_t>(rec1.size())) + Le32(100) + Le32(50) +
                       Le32(0) + std::string("\1", 1) + Le32(1234) + Le32(99) + Le32(0x123456) +
                       std::string("\0", 1) + Le32(7) + Le32(2) + Le32(0) + Le32(0x12);
    EXPECT_EQ(secondPos, static_cast<int>(rec1.size()));
    EXPECT_EQ(ReadFileBytes(dir.File("Index.lst")), rec1 + bin2 + text2 + "\r\n");

    // Loading gives the same values back.
    ASSERT_TRUE(list.ReadFromFile());
    ASSERT_EQ(list.GetMailCount(), 2);
    CMailIndexRecord* r = list.GetMailRecord(1);
    EXPECT_EQ(r->GetText(CMailIndexRecord::colSubject), "twolines\rlone");
    EXPECT_EQ(r->m_nDataOffset, 100);
    EXPECT_EQ(r->GetLabelColor(), 0x123456u);
    EXPECT_EQ(r->m_nFlags, 0x12);
    EXPECT_EQ(list.GetMailRecord(0)->m_nRecordPos, 0);
}

TEST(IndexFile, InPlaceUpdatesRewriteOnlyTheirOwnRun)
{
    TempDir dir;
    CMailListData list;
    list.SetFilePath(dir.File("Index.lst"));
    for (int i = 0; i < 3; i++) {
        CMailIndexRecord* r = MakeRecord(i * 100, 100, "subject");
        r->m_bRead = 0;
        list.AppendRecord(r);
        delete r;
    }
    ASSERT_TRUE(list.ReadFromFile());
    ASSERT_EQ(list.GetUnreadCount(), 3);
    CMailIndexRecord* mid = list.GetMailRecord(1);
    size_t pos = static_cast<size_t>(mid->m_nRecordPos);

    struct Case
    {
        const char* name;
        std::function<void()> update;
        size_t from, to;  // offsets within the record
    };
    const Case cases[] = {
        {"read", [&] { list.SetOpen(mid); }, 1, 2},
        {"label", [&] { list.SetColorLabel(mid, 3, 0xABCDEF); }, 23, 31},
        {"attachment", [&] { list.SetAttachInfo(mid, FALSE, 999); }, 18, 23},
        {"bookmark", [&] { list.SetBookmark(mid, 5, TRUE); }, 32, 33},
        {"flags", [&] { list.SetMailFlags(mid, 0x13, TRUE); }, 44, 45},
        {"delete", [&] { list.SetDeleted(mid, TRUE); }, 0, 1},
    };
    for (const Case& c : cases) {
        std::string before = ReadFileBytes(dir.File("Index.lst"));
        c.update();
        std::string after = ReadFileBytes(dir.File("Index.lst"));
        auto d = Diff(before, after);
        ASSERT_FALSE(d.empty()) << c.name;
        for (const auto& range : d) {
            EXPECT_GE(range.first, pos + c.from) << c.name;
            EXPECT_LE(range.second, pos + c.to) << c.name;
        }
    }
    EXPECT_EQ(list.GetUnreadCount(), 2);
    // Marking a read mail read again writes nothing.
    std::string before = ReadFileBytes(dir.File("Index.lst"));
    list.SetOpen(mid);
    EXPECT_EQ(ReadFileBytes(dir.File("Index.lst")), before);
    EXPECT_EQ(list.GetUnreadCount(), 2);

    CMailListData again;
    again.SetFilePath(dir.File("Index.lst"));
    ASSERT_TRUE(again.ReadFromFile());
    EXPECT_EQ(again.GetMailCount(), 2);
    EXPECT_EQ(again.GetDeletedOnLoadCount(), 1);
}

TEST(IndexFile, LoaderCases)
{
    TempDir dir;
    CString path = dir.File("Index.lst");
    CMailListData list;
    list.SetFilePath(path);
    // Missing file: an empty, successful load.
    EXPECT_TRUE(list.ReadFromFile());
    EXPECT_EQ(list.GetMailCount(), 0);

    for (int i = 0; i < 3; i++)
        list.AppendRecord(MakeRecord(i * 10, 10, "s"));
    std::string whole = ReadFileBytes(path);

    // A record torn by an interrupted append is left out, and the next
    // append cuts it off first.
    for (size_t cut : {whole.size() - 1, whole.size() - 30, whole.size() - 70}) {
        WriteFileBytes(path, whole.substr(0, cut));
        CMailListData torn;
        torn.SetFilePath(path);
        ASSERT_TRUE(torn.ReadFromFile());
        EXPECT_EQ(torn.GetMailCount(), 2) << cut;
        CMailIndexRecord* r = MakeRecord(30, 10, "next");
        ASSERT_TRUE(torn.AppendRecord(r));
        CMailListData reread;
        reread.SetFilePath(path);
        ASSERT_TRUE(reread.ReadFromFile());
        ASSERT_EQ(reread.GetMailCount(), 3) << cut;
        EXPECT_EQ(reread.GetMailRecord(2)->GetText(0), "next");
    }

    // A live record at position, offset and length 0 marks a damaged file.
    std::string zero = std::string(48, '\0') + "x\r\n";
    WriteFileBytes(path, whole + zero.substr(0, 0) + std::string(48, '\0') + "bad\r\n");
    CMailListData bad;
    bad.SetFilePath(path);
    // The first record itself is sound (length 10), the last is not.
    EXPECT_FALSE(bad.ReadFromFile());

    // Only deleted records: empty, loaded, all counted as deleted.
    std::string deleted = whole;
    for (size_t p = 0; p < deleted.size();) {
        deleted[p] = 1;
        p = deleted.find("\r\n", p + 48) + 2;
    }
    WriteFileBytes(path, deleted);
    CMailListData none;
    none.SetFilePath(path);
    ASSERT_TRUE(none.ReadFromFile());
    EXPECT_TRUE(none.IsLoaded());
    EXPECT_EQ(none.GetMailCount(), 0);
    EXPECT_EQ(none.GetDeletedOnLoadCount(), 3);
}

TEST(IndexRecord, DefaultsLabelsAndSubjectKeys)
{
    CMailIndexRecord r;
    EXPECT_EQ(r.m_nPriority, 3);
    EXPECT_EQ(r.GetText(CMailIndexRecord::colCharset), "ISO-2022-JP");
    r.m_nLabel = 99;
    r.m_crLabel = 0x123456;
    EXPECT_EQ(r.GetLabelColor(), 0x123456u);
    r.m_nLabel = 16;
    EXPECT_EQ(r.GetLabelColor(), 0u);
    r.m_nLabel = 4;
    EXPECT_EQ(r.GetLabelColor(), 0x00007Fu);

    struct Case
    {
        const char* subject;
        const char* noTag;
        const char* sortKey;
    };
    const Case cases[] = {
        {"[ml:123] Re: 会議", "Re: 会議", "会議"},
        {"Re: Fwd: [ml:1] RE[2]: 件名", "Re: Fwd: [ml:1] RE[2]: 件名", "件名"},
        {"[only]", "[only]", ""},
        {"plain", "plain", "plain"},
        {"Re:ソ", "Re:ソ", "ソ"},
    };
    for (const Case& c : cases) {
        CMailIndexRecord rec;
        rec.SetText(CMailIndexRecord::colSubject, c.subject);
        EXPECT_STREQ(rec.GetSubjectNoTag(), c.noTag) << c.subject;
        EXPECT_STREQ(rec.GetSortSubject(), c.sortKey) << c.subject;
    }
}

TEST(IndexRecord, TextsReadFromAnIndexAreTheOnesStored)
{
    // Each record's text part as it lies in the file, and the columns a
    // reader must see; the sent time read before the texts are built must be
    // the one read after.
    struct Case
    {
        std::string text;
        std::vector<std::string> columns;  // 12, or fewer: the rest as a new record has them
    };
    static const char kWithNul[] = "a\0b\tf\tt\tc\t2024/01/02 03:04:05 -0500\tr\td\ti\tref\tacc\tcs\tname\textra\tmore";
    const Case cases[] = {
        {"会議\tA <a@x.jp>\tb@x.jp\tc@x.jp\t2024/05/01 09:00:00 +0900\t2024/05/01 09:01:00 +0900\tQM1\t<m@x>\t<r@x>\tacc\t"
         "UTF-8\tQM1.eml",
         {"会議", "A <a@x.jp>", "b@x.jp", "c@x.jp", "2024/05/01 09:00:00 +0900", "2024/05/01 09:01:00 +0900", "QM1",
          "<m@x>", "<r@x>", "acc", "UTF-8", "QM1.eml"}},
        // A short line keeps the defaults (the charset) of the columns it lacks.
        {"短い\tB <b@x.jp>\tto\t\t2024/06/30 23:59:59 GMT",
         {"短い", "B <b@x.jp>", "to", "", "2024/06/30 23:59:59 GMT", "", "", "", "", "", "ISO-2022-JP", ""}},
        // Columns past the last are not taken; a NUL ends a column.
        {std::string(kWithNul, sizeof(kWithNul) - 1),
         {"a", "f", "t", "c", "2024/01/02 03:04:05 -0500", "r", "d", "i", "ref", "acc", "cs", "name"}},
        {"", {"", "", "", "", "", "", "", "", "", "", "ISO-2022-JP", ""}},
    };
    TempDir dir;
    CString path = dir.File("Index.lst");
    std::string file;
    for (size_t i = 0; i < std::size(cases); i++) {
        std::unique_ptr<CMailIndexRecord> r(MakeRecord(static_cast<int>(i) * 10, 10, "x"));
        r->m_nRecordPos = static_cast<int>(file.size());
        unsigned char bin[CMailIndexRecord::binarySize];
        r->BuildBinary(bin);
        file += std::string(reinterpret_cast<const char*>(bin), sizeof(bin)) + cases[i].text + "\r\n";
    }
    WriteFileBytes(path, file);
    CMailListData list;
    list.SetFilePath(path);
    ASSERT_TRUE(list.ReadFromFile());
    ASSERT_EQ(list.GetMailCount(), static_cast<int>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); i++) {
        CMailIndexRecord* r = list.GetMailRecord(static_cast<int>(i));
        CMailIndexRecord built;
        built.SetText(CMailIndexRecord::colDate, cases[i].columns[CMailIndexRecord::colDate].c_str());
        built.SetText(CMailIndexRecord::colReceived, cases[i].columns[CMailIndexRecord::colReceived].c_str());
        EXPECT_EQ(r->GetSendTime(), built.GetSendTime()) << i;
        EXPECT_EQ(r->GetSendLocalTime(), built.GetSendLocalTime()) << i;
        EXPECT_EQ(r->GetReceiveTime(), built.GetReceiveTime()) << i;
        for (int c = 0; c < CMailIndexRecord::columnCount; c++) {
            EXPECT_EQ(std::string(r->GetTextView(c)), cases[i].columns[static_cast<size_t>(c)]) << i << " view " << c;
            EXPECT_EQ(r->GetText(c).Str(), cases[i].columns[static_cast<size_t>(c)]) << i << " column " << c;
        }
    }

    // A column set on a record read from the file leaves the others as they
    // were, and the whole index written again reads back the same.
    CMailIndexRecord* first = list.GetMailRecord(0);
    first->SetText(CMailIndexRecord::colSubject, "変更");
    EXPECT_EQ(first->GetText(CMailIndexRecord::colFrom), "A <a@x.jp>");
    ASSERT_TRUE(list.SaveIndex());
    CMailListData again;
    again.SetFilePath(path);
    ASSERT_TRUE(again.ReadFromFile());
    ASSERT_EQ(again.GetMailCount(), list.GetMailCount());
    for (int i = 0; i < again.GetMailCount(); i++)
        EXPECT_EQ(again.GetMailRecord(i)->BuildLine(), list.GetMailRecord(i)->BuildLine()) << i;
    EXPECT_EQ(again.GetMailRecord(0)->GetText(CMailIndexRecord::colSubject), "変更");
}

TEST(IndexRecord, TextsAskedForOnTwoThreadsAtOnceAreWhole)
{
    TempDir dir;
    CMailListData list;
    list.SetFilePath(dir.File("Index.lst"));
    const int count = 2000;
    for (int i = 0; i < count; i++) {
        std::unique_ptr<CMailIndexRecord> r(MakeRecord(i * 10, 10, ("件名がやや長いメール " + std::to_string(i)).c_str()));
        ASSERT_TRUE(list.AppendRecord(r.get()));
    }
    ASSERT_TRUE(list.ReadFromFile());
    ASSERT_EQ(list.GetMailCount(), count);
    auto readAll = [&list](int* pBad) {
        for (int i = 0; i < count; i++) {
            const CMailIndexRecord* r = list.GetMailRecord(i);
            if (r->GetText(CMailIndexRecord::colSubject).Str() != "件名がやや長いメール " + std::to_string(i) ||
                r->GetText(CMailIndexRecord::colFileName) != "QM1714521600.eml")
                (*pBad)++;
        }
    };
    int bad1 = 0, bad2 = 0;
    std::thread other(readAll, &bad2);
    readAll(&bad1);
    other.join();
    EXPECT_EQ(bad1, 0);
    EXPECT_EQ(bad2, 0);
}
