// The received-id file: its line format, stamps, and ids that must never be
// recorded or matched.
#include "net/ReceivedIdList.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace TestSupport;

namespace {

// A list that a receive pass writes, from its first save on.
void StartPassOn(CReceivedIdList& list, const CString& path)
{
    list.SetFilePath(path);
    list.Reset();
    list.StartPass();
}

} // namespace

TEST(ReceivedIdList, KeepsIdsWithTheirStampsAndNeverAnEmptyId)
{
    TempDir dir;
    CString path = dir.File("ids.dat");
    WriteFileBytes(path, "a@x\t3\t1000\r\n\t4\t1001\r\nb@x\t5\t\r\n");
    CReceivedIdList list;
    list.SetFilePath(path);
    EXPECT_EQ(list.GetLiveCount(), 2);  // the line without an id is dropped
    EXPECT_EQ(list.GetStamp("a@x"), "1000");
    EXPECT_EQ(list.FindId(""), nullptr);
    EXPECT_EQ(list.AddId("", 1, ""), nullptr);

    EXPECT_TRUE(list.MarkIdDeleted("a@x"));
    EXPECT_EQ(list.FindId("a@x"), nullptr);
    long long before = CReceivedIdList::CurrentTime();
    ASSERT_TRUE(list.WriteToFile(FALSE));
    std::string text = ReadFileBytes(path);
    ASSERT_EQ(text.compare(0, 6, "b@x\t5\t"), 0) << text;
    long long stamp = atoll(text.c_str() + 6);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, CReceivedIdList::CurrentTime());
    EXPECT_EQ(text.find("a@x"), std::string::npos);
}

TEST(ReceivedIdList, FirstSaveOfAPassRewritesLaterOnesAppend)
{
    TempDir dir;
    CString path = dir.File("ids.dat");
    WriteFileBytes(path, "old\t1\t5\r\n");
    CReceivedIdList list;
    StartPassOn(list, path);  // the pass starts from the server's listing, not the file
    ASSERT_TRUE(list.AddIdAndSave("n1", 1, "10"));
    ASSERT_TRUE(list.AddIdAndSave("n2", 2, "11"));
    EXPECT_EQ(ReadFileBytes(path), "n1\t1\t10\r\nn2\t2\t11\r\n");
}

// A mail noted before filing counts as received once it is confirmed by a
// later line of its id, or found in the folder it was noted for; otherwise
// it is new mail again.
TEST(ReceivedIdList, PendingRecordsCountOnlyForMailTheFolderHolds)
{
    TempDir dir;
    CString path = dir.File("ids.dat");
    CReceivedIdList writer;
    StartPassOn(writer, path);
    ASSERT_TRUE(writer.AddIdAndSave("known", 1, "10"));
    ASSERT_TRUE(writer.AddPendingAndSave("confirmed", 2, 7, "QM1"));
    ASSERT_TRUE(writer.AddIdAndSave("confirmed", 2, "11"));
    ASSERT_TRUE(writer.AddPendingAndSave("filed", 3, 7, "QM2"));      // stopped after filing
    ASSERT_TRUE(writer.AddPendingAndSave("not filed", 4, 7, "QM3"));  // stopped before
    ASSERT_TRUE(writer.AddPendingAndSave("other folder", 5, 8, "QM2"));

    CReceivedIdList list;
    list.SetFilePath(path);
    ASSERT_TRUE(list.ReadFromFile(TRUE));
    std::vector<std::pair<int, std::string>> asked;
    EXPECT_TRUE(list.ResolvePending([&](int nFolder, const CString& name) {
        asked.emplace_back(nFolder, name.Str());
        return nFolder == 7 && name == "QM2";
    }));
    EXPECT_EQ(asked, (std::vector<std::pair<int, std::string>>{{7, "QM2"}, {7, "QM3"}, {8, "QM2"}}));
    for (const char* id : {"known", "confirmed", "filed"})
        EXPECT_NE(list.FindId(id), nullptr) << id;
    for (const char* id : {"not filed", "other folder"})
        EXPECT_EQ(list.FindId(id), nullptr) << id;
    ASSERT_TRUE(list.WriteToFile(FALSE));
    std::string text = ReadFileBytes(path);
    EXPECT_EQ(text.find("QM"), std::string::npos) << text;
}

namespace {

// The live records of a list by id; an id live twice fails the test.
std::map<std::string, CReceivedIdRecord*> LiveById(CReceivedIdList& list)
{
    std::map<std::string, CReceivedIdRecord*> byId;
    for (int i = 0; i < list.GetRecordCount(); i++) {
        CReceivedIdRecord* r = list.GetIdRecord(i);
        if (r && !r->m_bDeleted) {
            EXPECT_TRUE(byId.emplace(r->m_strId.Str(), r).second) << r->m_strId.Str();
        }
    }
    return byId;
}

} // namespace

// A list of an account that leaves its mail on the server holds many ids;
// settling it and copying it give what a line-by-line search gives.
TEST(ReceivedIdList, LongListsSettleAndCopyAsShortOnes)
{
    const int kIds = 20000;
    TempDir dir;
    CString path = dir.File("ids.dat");
    // Every id once; every tenth once more later (the later line is kept);
    // every seventh noted before filing, of which every other one was
    // confirmed by a line after it and the rest are in the folder or not.
    std::string text;
    auto id = [](int n) { return "uid-" + std::to_string(n); };
    for (int n = 0; n < kIds; n++) {
        if (n % 7 == 3)
            text += id(n) + "\t" + std::to_string(n) + "\t100\t9\tQM" + std::to_string(n) + "\r\n";
        else
            text += id(n) + "\t" + std::to_string(n) + "\t100\r\n";
    }
    for (int n = 0; n < kIds; n++) {
        if (n % 10 == 0 && n % 7 != 3)
            text += id(n) + "\t" + std::to_string(n + 1) + "\t200\r\n";
        if (n % 7 == 3 && n % 2 == 0)
            text += id(n) + "\t" + std::to_string(n) + "\t300\r\n";
    }
    WriteFileBytes(path, text);

    CReceivedIdList list;
    list.SetFilePath(path);
    std::vector<int> asked;
    EXPECT_TRUE(list.ResolvePending([&](int nFolder, const CString& name) {
        EXPECT_EQ(nFolder, 9);
        int n = atoi(name.Mid(2));
        asked.push_back(n);
        return n % 3 == 0;  // in the folder
    }));
    std::map<std::string, CReceivedIdRecord*> settled = LiveById(list);
    int expectedAsked = 0;
    for (int n = 0; n < kIds; n++) {
        bool pending = n % 7 == 3, confirmed = pending && n % 2 == 0;
        expectedAsked += pending && !confirmed ? 1 : 0;
        bool kept = !pending || confirmed || n % 3 == 0;
        auto it = settled.find(id(n));
        ASSERT_EQ(it != settled.end(), kept) << n;
        if (!kept)
            continue;
        EXPECT_TRUE(it->second->m_strPendingName.IsEmpty()) << n;
        const char* stamp = confirmed ? "300" : (n % 10 == 0 && !pending) ? "200" : "100";
        EXPECT_EQ(it->second->m_strStamp, stamp) << n;
    }
    EXPECT_EQ(static_cast<int>(asked.size()), expectedAsked);
    EXPECT_TRUE(std::is_sorted(asked.begin(), asked.end()));

    // Copied into a list that knows some of the ids already: those take the
    // copied number and stamp, the others are added once each.
    CReceivedIdList copy;
    copy.Reset();
    for (int n = 0; n < kIds; n += 4)
        copy.AppendId(id(n).c_str(), -1);
    copy.AppendId("only-here", 5);
    copy.CopyFrom(list);
    std::map<std::string, CReceivedIdRecord*> copied = LiveById(copy);
    for (int n = 0; n < kIds; n++) {
        auto from = settled.find(id(n));
        auto to = copied.find(id(n));
        if (from == settled.end()) {
            EXPECT_EQ(to != copied.end(), n % 4 == 0) << n;
            continue;
        }
        ASSERT_NE(to, copied.end()) << n;
        EXPECT_EQ(to->second->m_nNumber, from->second->m_nNumber) << n;
        EXPECT_EQ(to->second->m_strStamp, from->second->m_strStamp) << n;
    }
    EXPECT_EQ(copied.size(), settled.size() + 1 + [&] {
        size_t only = 0;
        for (int n = 0; n < kIds; n += 4)
            only += settled.count(id(n)) ? 0 : 1;
        return only;
    }());
    EXPECT_EQ(copied.count("only-here"), 1u);
}

// What a list says of one filing: a note made before it, and whether a later
// line of the same id confirmed it.
TEST(ReceivedIdList, TellsAFilingNotedFromOneRecorded)
{
    TempDir dir;
    CString path = dir.File("ids.dat");
    CReceivedIdList writer;
    StartPassOn(writer, path);
    ASSERT_TRUE(writer.AddIdAndSave("plain", 1, "10"));
    ASSERT_TRUE(writer.AddPendingAndSave("recorded", 2, 7, "QM1"));
    ASSERT_TRUE(writer.AddIdAndSave("recorded", 2, ""));
    ASSERT_TRUE(writer.AddPendingAndSave("noted", 3, 7, "QM2"));

    CReceivedIdList list;
    list.SetFilePath(path);
    using Note = CReceivedIdList::FilingNote;
    const struct
    {
        int folder;
        const char* name;
        Note note;
    } cases[] = {
        {7, "QM1", Note::confirmed},
        {7, "QM2", Note::unconfirmed},
        {8, "QM2", Note::none},  // another folder
        {7, "QM3", Note::none},
        {7, "", Note::none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(list.FindFilingNote(c.folder, c.name), c.note) << c.folder << " " << c.name;
}
