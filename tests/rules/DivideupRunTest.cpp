#include "RulesTestUtil.h"
#include "store/MailFolderStore.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/DivideupRun.h"

#include <gtest/gtest.h>

using namespace RulesTest;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const char kRules[] =
    "Subject\t【重要】\t\t\t0\t0\t0\t0\t0\t0\t0\t1\t3\t0\t1\t0\t0\r\n"                     // label only
    "Subject\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1\t0\r\n"                           // mark-read plays no part here
    "From\t@sakura-shoji.co.jp\tSubject\t請求書\t13\t1\t0\t0\t0\t1\t1\t1\t99\t255\t0\t0\t0\r\n"  // custom colour
    "Subject\t週報\t\t\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n";                           // the folder being run

// Subject, read flag and label of every live mail of a folder, in index order.
std::vector<std::string> Summary(CMailFolderStore& folder)
{
    std::vector<std::string> out;
    CMailListData* list = folder.GetMailList();
    for (int i = 0; list && i < list->GetAllRecordCount(); ++i) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (r->m_bDeleted)
            continue;
        CString s;
        s.Format("%s|%s|%d|%u", r->GetText(CMailIndexRecord::colSubject).GetString(), r->m_bRead ? "read" : "unread",
                 r->m_nLabel, static_cast<unsigned>(r->m_crLabel));
        out.push_back(s.Str());
    }
    return out;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(DivideupRun, RunOverAFolderMovesAndLabelsMailsAndTheStoreKeepsIt)
{
    TempDir dir;
    RulesApp app(dir.Path());
    WriteFileBytes(app.MailBox() + "\\r.dat", kRules);
    CDivideupDataSet rules;
    rules.SetFilePath(app.MailBox() + "\\r.dat");
    ASSERT_TRUE(rules.ReadFromFile());

    CMailFolderStore* inbox = app.FindFolder(kInbox);
    const std::string important = Mail("boss@corvane.example", "me@corvane.example", "", "【重要】会議の件");
    ASSERT_EQ(StoreTest::FileMail(*inbox, dir.Path(), "QM1000000001.eml", important), 1);
    ASSERT_EQ(StoreTest::FileMail(*inbox, dir.Path(), "QM1000000002.eml", Mail("a@corvane.example", "me@corvane.example", "", "会議室"), TRUE), 1);
    ASSERT_EQ(StoreTest::FileMail(*inbox, dir.Path(), "QM1000000003.eml", Mail("yamada@sakura-shoji.co.jp", "me@corvane.example", "", "請求書の件")), 1);
    StoreFilterResult labelled;
    labelled.bMarked = labelled.bUseLabel = TRUE;
    labelled.nLabel = 5;
    CString path = dir.File("QM1000000004.eml");
    WriteFileBytes(path, Mail("boss@corvane.example", "me@corvane.example", "", "【重要】お知らせ"));
    ASSERT_EQ(inbox->AddNewMailData(path, "2024/05/13 10:00:00 +0900", FALSE, FALSE, nullptr, nullptr, &labelled), 1);
    ASSERT_EQ(StoreTest::FileMail(*inbox, dir.Path(), "QM1000000005.eml", Mail("me@corvane.example", "team@corvane.example", "", "週報")), 1);

    DivideupRunOptions unreadOnly;
    unreadOnly.nTarget = 0;
    unreadOnly.bKeepExistingLabel = TRUE;
    DivideupRunResult result = RunDivideupOverFolder(app, *inbox, rules, unreadOnly);
    EXPECT_EQ(result.nVisited, 4);
    EXPECT_EQ(result.nMoved, 2);
    EXPECT_EQ(result.nLabelled, 2);

    // The read mail waits for a run over the selection.
    int readMail = 1;
    DivideupRunOptions selection;
    selection.nTarget = 3;
    selection.bNoColorLabel = TRUE;
    std::vector<int> selected = { readMail };
    result = RunDivideupOverFolder(app, *inbox, rules, selection, &selected);
    EXPECT_EQ(result.nMoved, 1);

    const Lines inboxAfter = { "【重要】お知らせ|unread|5|0", "週報|unread|0|0" };
    const Lines workAfter = { "【重要】会議の件|unread|3|0", "会議室|read|0|0" };
    const Lines invoiceAfter = { "請求書の件|unread|99|255" };
    EXPECT_EQ(Summary(*inbox), inboxAfter);
    EXPECT_EQ(Summary(*app.FindFolder(kWork)), workAfter);
    EXPECT_EQ(Summary(*app.FindFolder(kInvoice)), invoiceAfter);
    EXPECT_EQ(StoreTest::StoredMails(*app.FindFolder(kWork))[0], important);

    // A restart reads the same from the folders' files.
    struct
    {
        int id, kind;
        const Lines* expected;
    } folders[] = { { kInbox, 1, &inboxAfter }, { kWork, 0, &workAfter }, { kInvoice, 0, &invoiceAfter } };
    for (auto& f : folders) {
        CMailFolderStore reopened;
        StoreTest::OpenStore(reopened, app.FindFolder(f.id)->GetFolderPath(), f.id, f.kind);
        EXPECT_EQ(Summary(reopened), *f.expected) << f.id;
    }
}
