// Reply threads worked out from Message-IDs and reference ids: the tree the
// thread window shows, the flat list of the related-mail window, and links
// written into a folder's index that hold after it is read again.
#include "viewer/MailThreadBuilder.h"
#include "viewer/MailThreadLinker.h"

#include "store/StoreTestUtil.h"
#include "store/MailIndexRecord.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Mail = CMailThreadBuilder::Mail;

Mail M(const char* id, const char* ref, bool deleted = false)
{
    Mail m;
    m.strId = id;
    m.strRef = ref;
    m.bDeleted = deleted;
    return m;
}

// The tree as text: one "name@depth" per item, "!" for the loop mark,
// in the order the items are inserted.
std::string TreeText(const std::vector<CMailThreadBuilder::Node>& nodes, const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& n : nodes) {
        int depth = 1;
        for (int p = n.nParent; p >= 0; p = nodes[static_cast<size_t>(p)].nParent)
            depth++;
        if (!text.empty())
            text += " ";
        text += names[static_cast<size_t>(n.nMail)] + "@" + std::to_string(depth) + (n.bLoop ? "!" : "");
    }
    return text;
}

std::string ListText(const std::vector<int>& rows, const std::vector<std::string>& names)
{
    std::string text;
    for (int r : rows)
        text += (text.empty() ? "" : " ") + names[static_cast<size_t>(r)];
    return text;
}

struct ThreadCase
{
    const char* name;
    std::vector<Mail> mails;  // named A, B, C ... in order
    int start;
    const char* tree;         // items under the top item
    const char* list;         // rows of the related-mail list
};

} // namespace

TEST(MailThreadBuilder, TreesAndListsOfThreads)
{
    const ThreadCase cases[] = {
        // A > B > D and A > C, opened on D.
        {"answers in two branches",
         {M("<a>", ""), M("<b>", "<a>"), M("<c>", "<a>"), M("<d>", "<b>")}, 3,
         "A@1 B@2 D@3 C@2", "A B D C"},
        {"opened on the root gives the same thread",
         {M("<a>", ""), M("<b>", "<a>"), M("<c>", "<a>"), M("<d>", "<b>")}, 0,
         "A@1 B@2 D@3 C@2", "A B D C"},
        // B and C answer a mail that is not in the folder: both stand under the top.
        {"missing parent",
         {M("<x>", ""), M("<b>", "<gone>"), M("<c>", "<gone>"), M("<d>", "<c>")}, 3,
         "B@1 C@1 D@2", "B C D"},
        // A and B answer each other: each once, the walk stops.
        {"two mails answering each other",
         {M("<a>", "<b>"), M("<b>", "<a>")}, 0,
         "B@1 A@2!", "B A"},
        {"three mails in a ring",
         {M("<a>", "<c>"), M("<b>", "<a>"), M("<c>", "<b>")}, 1,
         "C@1 A@2 B@3!", "C A B"},
        {"a mail answering itself",
         {M("<a>", "<a>"), M("<b>", "<a>")}, 1,
         "A@1 B@2", "A B"},
        // A deleted answer: the tree stops at it, the list skips it but goes on.
        {"deleted answer in the middle",
         {M("<a>", ""), M("<b>", "<a>", true), M("<c>", "<b>")}, 0,
         "A@1", "A C"},
        // Two mails with one Message-ID: the answer C is shown once.
        {"duplicate Message-ID",
         {M("<a>", ""), M("<a>", ""), M("<c>", "<a>")}, 2,
         "A@1 C@2", "A C"},
        {"mail without a thread",
         {M("<a>", ""), M("<b>", "")}, 1,
         "B@1", "B"},
    };
    for (const ThreadCase& c : cases) {
        std::vector<std::string> names;
        for (size_t i = 0; i < c.mails.size(); i++)
            names.push_back(std::string(1, static_cast<char>('A' + i)));
        CMailThreadBuilder b(c.mails);
        EXPECT_EQ(TreeText(b.BuildTree(c.start), names), c.tree) << c.name;
        EXPECT_EQ(ListText(b.BuildList(c.start), names), c.list) << c.name;
    }
}

TEST(MailThreadBuilder, KeptRootStaysUnlessDeleted)
{
    std::vector<Mail> mails = {M("<a>", ""), M("<b>", "<a>"), M("<c>", "<b>")};
    CMailThreadBuilder b(mails);
    std::vector<std::string> names = {"A", "B", "C"};
    // Keeping B as the root shows only B's part.
    EXPECT_EQ(TreeText(b.BuildTree(2, 1), names), "B@1 C@2");
    // A deleted kept root is found anew.
    mails[1].bDeleted = true;
    CMailThreadBuilder gone(mails);
    EXPECT_EQ(TreeText(gone.BuildTree(2, 1), names), "C@1");
    // With the current mail deleted as well, nothing is shown.
    mails[2].bDeleted = true;
    CMailThreadBuilder none(mails);
    EXPECT_TRUE(none.BuildTree(2, 1).empty());
}

namespace {

class MailThreadLinkerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StoreTest::OpenStore(m_store, m_dir.File("Box"));
        const char* ids[] = {"<a@x>", "<b@x>", "<c@x>", "<d@x>"};
        for (int i = 0; i < 4; i++)
            ASSERT_EQ(StoreTest::FileMail(m_store, m_dir.Path(), "m.eml", StoreTest::SimpleMail("s", ids[i])), 1);
        ASSERT_NE(m_store.GetMailList(), nullptr);
    }
    // The reference ids as a fresh store reads them from the index.
    std::vector<std::string> StoredRefs()
    {
        CMailFolderStore again;
        StoreTest::OpenStore(again, m_dir.File("Box"));
        std::vector<std::string> refs;
        CMailListData* list = again.GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            refs.push_back(list->GetMailRecord(i)->GetText(CMailIndexRecord::colReference).GetString());
        return refs;
    }

    TestSupport::TempDir m_dir;
    CMailFolderStore m_store;
};

} // namespace

TEST_F(MailThreadLinkerTest, LinksAndUnlinksSurviveReading)
{
    CMailListData& list = *m_store.GetMailList();
    ASSERT_TRUE(CMailThreadLinker::Link(list, {1, 2}, "<a@x>"));
    EXPECT_EQ(StoredRefs(), (std::vector<std::string>{"", "<a@x>", "<a@x>", ""}));
    EXPECT_EQ(CMailThreadBuilder::FromList(list).BuildList(2), (std::vector<int>{0, 1, 2}));

    ASSERT_TRUE(CMailThreadLinker::Unlink(list, 1));
    EXPECT_EQ(StoredRefs(), (std::vector<std::string>{"", "", "<a@x>", ""}));
}

TEST_F(MailThreadLinkerTest, TopIdIsNewUniqueAndReadsBackTheSame)
{
    CMailListData& list = *m_store.GetMailList();
    // The root answers nothing: it gets a new id, and mails dropped on the
    // top item take the same one.
    CString id = CMailThreadLinker::TopParentId(list, 0);
    ASSERT_FALSE(id.IsEmpty());
    EXPECT_EQ(id.Find("\r"), -1);
    EXPECT_EQ(id.Find("\n"), -1);
    EXPECT_EQ(id.Right(12), CString(".MAILTHREAD>"));
    ASSERT_TRUE(CMailThreadLinker::Link(list, {3}, id));
    std::vector<std::string> refs = StoredRefs();
    EXPECT_EQ(refs[0], id.GetString());
    EXPECT_EQ(refs[3], id.GetString());
    // A root that already answers an id keeps it.
    EXPECT_EQ(CMailThreadLinker::TopParentId(list, 0), id);
    EXPECT_EQ(CMailThreadBuilder::FromList(list).BuildList(0), (std::vector<int>{0, 3}));

    // Ids made in the same second never repeat, nor take one in use.
    std::set<std::string> seen;
    for (int i = 0; i < 2000; i++) {
        CString made = CMailThreadLinker::MakeThreadId(list, 1700000000u);
        EXPECT_TRUE(seen.insert(made.GetString()).second) << made.GetString();
        EXPECT_NE(made, id);
    }
}
