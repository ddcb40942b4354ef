#include "store/MailListData.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

struct Mail
{
    const char* subject;
    const char* from;
    const char* to;
    const char* date;
    const char* received;
    int size;
    int attach;
    int label;
    int bookmark;
    const char* id;
    const char* ref;
};

// A loaded list made of the mails, in this file order.
void Fill(CMailListData& list, const CString& path, const std::vector<Mail>& mails)
{
    list.SetFilePath(path);
    for (size_t i = 0; i < mails.size(); i++) {
        const Mail& m = mails[i];
        CMailIndexRecord r;
        r.m_nDataOffset = static_cast<int>(i) * 10;
        r.m_nDataLength = 10;
        r.m_nTotalSize = m.size;
        r.m_bAttach = static_cast<BYTE>(m.attach);
        r.m_nLabel = m.label;
        r.m_nBookmark = m.bookmark;
        r.SetText(CMailIndexRecord::colSubject, m.subject);
        r.SetText(CMailIndexRecord::colFrom, m.from);
        r.SetText(CMailIndexRecord::colTo, m.to);
        r.SetText(CMailIndexRecord::colDate, m.date);
        r.SetText(CMailIndexRecord::colReceived, m.received);
        r.SetText(CMailIndexRecord::colMessageId, m.id);
        r.SetText(CMailIndexRecord::colReference, m.ref);
        list.AppendRecord(&r);
    }
    ASSERT_TRUE(list.ReadFromFile());
}

std::string Order(CMailListData& list)
{
    std::string s;
    for (int i = 0; i < list.GetViewCount(); i++)
        s += static_cast<char>('a' + list.GetViewIndex(i));
    return s;
}

std::string Levels(CMailListData& list)
{
    std::string s;
    for (int i = 0; i < list.GetViewCount(); i++)
        s += static_cast<char>('0' + list.GetViewLevel(i));
    return s;
}

const std::vector<Mail> kMails = {
    // subject, from, to, date, received, size, attach, label, bookmark, id, ref
    {"Re: beta", "Zed <z@example.com>", "m@x", "2024/05/03 10:00:00 +0900", "2024/05/01 10:00:00 +0900", 300, 1, 2, 5, "<a>", ""},
    {"alpha", "Amy <y@example.com>", "b@x", "2024/05/01 10:00:00 +0900", "2024/05/03 10:00:00 +0900", 100, 0, 9, 1, "<b>", "<a>"},
    {"[tag] gamma", "Bob <a@example.com>", "z@x", "2024/05/02 10:00:00 +0900", "2024/05/02 10:00:00 +0900", 200, 1, 0, 3, "<c>", "<b>"},
    {"beta", "Cat <c@example.com>", "a@x", "2024/05/02 10:00:00 +0900", "2024/05/04 10:00:00 +0900", 200, 0, 1, 2, "<d>", ""},
};

} // namespace

TEST(MailListSort, EveryColumnBothDirections)
{
    TempDir dir;
    CMailListData list;
    Fill(list, dir.File("Index.lst"), kMails);
    struct Case
    {
        int column;
        const char* ascending;
    };
    // Ties fall to the sent time, then the record index.
    const Case cases[] = {
        {0, "bdca"},   // attachment flag
        {1, "bdac"},   // sort subject: alpha, beta (sent first), beta ("Re: " stripped), gamma
        {2, "cdba"},   // bare From address
        {3, "bcda"},   // sent time, equal times by index
        {4, "acbd"},   // received time
        {5, "bcda"},   // size
        {6, "dbac"},   // To
        {8, "bdca"},   // bookmark
        {10, "dabc"},  // reference
        {12, "abcd"},  // file order
    };
    for (const Case& c : cases) {
        list.Sort(c.column, TRUE, FALSE, 0, TRUE);
        EXPECT_EQ(Order(list), c.ascending) << "column " << c.column;
        list.Sort(c.column, FALSE, FALSE, 0, TRUE);
        std::string desc(c.ascending);
        std::reverse(desc.begin(), desc.end());
        EXPECT_EQ(Order(list), desc) << "column " << c.column << " descending";
    }
    // Column 9: with the subject mode the sort subject, else the raw column.
    list.Sort(9, TRUE, TRUE, 0, TRUE);
    EXPECT_EQ(Order(list), "bdac");
    list.Sort(9, TRUE, FALSE, 0, TRUE);
    EXPECT_EQ(Order(list), "acbd");  // "Re: beta" < "[tag] gamma" < "alpha" < "beta" in byte order
}

TEST(MailListSort, SameSortTwiceDoesNothing)
{
    TempDir dir;
    CMailListData list;
    Fill(list, dir.File("Index.lst"), kMails);
    list.Sort(3, TRUE, FALSE, 0);
    EXPECT_EQ(Order(list), "bcda");
    // Reorder the rows behind the list's back: an unchanged sort is skipped.
    list.Sort(12, TRUE, FALSE, 0);
    list.Sort(3, TRUE, FALSE, 0);
    EXPECT_EQ(Order(list), "bcda");
}

TEST(MailListThreads, RepliesNestUnderTheirParents)
{
    TempDir dir;
    CMailListData list;
    Fill(list, dir.File("Index.lst"), kMails);
    list.SetThreadMode(TRUE);
    list.Sort(12, TRUE, FALSE, 0, TRUE);
    // a <- b <- c; d alone.
    EXPECT_EQ(Order(list), "abcd");
    EXPECT_EQ(Levels(list), "0120");
    list.CollapseThread(0);
    EXPECT_EQ(Order(list), "ad");
    list.ExpandThread(0);
    EXPECT_EQ(Order(list), "abcd");
    EXPECT_EQ(Levels(list), "0120");

    // Deleting a collapsed root shows its direct children as collapsed roots.
    list.CollapseThread(0);
    list.SetDeleted(list.GetMailRecord(0), TRUE);
    list.RemoveDeletedRecords();
    EXPECT_EQ(Order(list), "bd");
    EXPECT_TRUE(list.GetMailRecord(1)->m_bCollapsed);
    list.ExpandThread(0);
    EXPECT_EQ(Order(list), "bcd");
}

TEST(MailListThreads, AllThreadsOpenAndCloseTogether)
{
    TempDir dir;
    CMailListData list;
    std::vector<Mail> mails = kMails;
    mails.push_back({"Re: beta", "x@x", "", "2024/05/05 10:00:00", "", 1, 0, 0, 0, "<e>", "<d>"});
    Fill(list, dir.File("Index.lst"), mails);
    // Without thread display there is nothing to open or close.
    list.Sort(12, TRUE, FALSE, 0, TRUE);
    list.SetAllThreadsCollapsed(TRUE);
    EXPECT_EQ(Order(list), "abcde");

    list.SetThreadMode(TRUE);
    list.Sort(12, TRUE, FALSE, 0, TRUE);
    EXPECT_EQ(Levels(list), "01201");
    list.SetAllThreadsCollapsed(TRUE);
    EXPECT_EQ(Order(list), "ad");
    list.SetAllThreadsCollapsed(TRUE);
    EXPECT_EQ(Order(list), "ad");
    // One thread opened by hand, then all: each subtree appears once.
    list.ExpandThread(1);
    EXPECT_EQ(Order(list), "ade");
    list.SetAllThreadsCollapsed(FALSE);
    EXPECT_EQ(Order(list), "abcde");
    EXPECT_EQ(Levels(list), "01201");
}

TEST(MailListThreads, RepliesFindTheirParentByTheWholeMessageId)
{
    // Message-IDs that share their first bytes, one the start of another:
    // an answer goes only under the mail whose ID it names in full, and the
    // answers to one mail follow in the order they were sent.
    TempDir dir;
    CMailListData list;
    const std::vector<Mail> mails = {
        {"a", "x@x", "", "2024/05/01 10:00:00", "", 1, 0, 0, 0, "<20240501.0001@example.jp>", ""},
        {"b", "x@x", "", "2024/05/01 10:00:00", "", 1, 0, 0, 0, "<20240501.0001@example.jp.2>", ""},
        {"c", "x@x", "", "2024/05/03 10:00:00", "", 1, 0, 0, 0, "<c>", "<20240501.0001@example.jp>"},
        {"d", "x@x", "", "2024/05/02 10:00:00", "", 1, 0, 0, 0, "<d>", "<20240501.0001@example.jp.2>"},
        {"e", "x@x", "", "2024/05/02 10:00:00", "", 1, 0, 0, 0, "<e>", "<20240501.0001@example.jp>"},
        {"f", "x@x", "", "2024/05/01 10:00:00", "", 1, 0, 0, 0, "<f>", "<20240501.0001@example"},
    };
    Fill(list, dir.File("Index.lst"), mails);
    list.SetThreadMode(TRUE);
    list.Sort(12, TRUE, FALSE, 0, TRUE);
    EXPECT_EQ(Order(list), "aecbdf");
    EXPECT_EQ(Levels(list), "011010");
}

TEST(MailListThreads, SelfAndMutualRepliesNeitherHangNorVanish)
{
    TempDir dir;
    CMailListData list;
    std::vector<Mail> mails = {
        {"self", "x@x", "", "2024/05/01 10:00:00", "", 1, 0, 0, 0, "<s>", "<s>"},
        {"ping", "x@x", "", "2024/05/02 10:00:00", "", 1, 0, 0, 0, "<p>", "<q>"},
        {"pong", "x@x", "", "2024/05/03 10:00:00", "", 1, 0, 0, 0, "<q>", "<p>"},
        {"r1", "x@x", "", "2024/05/04 10:00:00", "", 1, 0, 0, 0, "<1>", "<3>"},
        {"r2", "x@x", "", "2024/05/05 10:00:00", "", 1, 0, 0, 0, "<2>", "<1>"},
        {"r3", "x@x", "", "2024/05/06 10:00:00", "", 1, 0, 0, 0, "<3>", "<2>"},
        {"dup", "x@x", "", "2024/05/07 10:00:00", "", 1, 0, 0, 0, "<p>", ""},
    };
    Fill(list, dir.File("Index.lst"), mails);
    list.SetThreadMode(TRUE);
    for (int column = 0; column <= 13; column++) {
        for (BOOL asc : {TRUE, FALSE}) {
            list.Sort(column, asc, FALSE, 0, TRUE);
            std::string order = Order(list);
            std::string sorted = order;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(sorted, "abcdefg") << "column " << column;
        }
    }
    // A reply filed before the mail it answers becomes its child on arrival.
    CMailIndexRecord* reply = new CMailIndexRecord;
    reply->m_nDataOffset = 100;
    reply->m_nDataLength = 10;
    reply->SetText(CMailIndexRecord::colMessageId, "<late-reply>");
    reply->SetText(CMailIndexRecord::colReference, "<late>");
    ASSERT_TRUE(list.AppendRecord(reply));
    list.LinkThread(reply);
    CMailIndexRecord* parent = new CMailIndexRecord;
    parent->m_nDataOffset = 110;
    parent->m_nDataLength = 10;
    parent->SetText(CMailIndexRecord::colMessageId, "<late>");
    ASSERT_TRUE(list.AppendRecord(parent));
    EXPECT_TRUE(list.LinkThread(parent));
    EXPECT_EQ(reply->m_nParent, parent->m_nIndex);
    list.Sort(12, TRUE, FALSE, 0, TRUE);
    EXPECT_EQ(Order(list).substr(7), "ih");
}
