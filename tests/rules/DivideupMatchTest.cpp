#include "message/MailMessage.h"
#include "RulesTestUtil.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/DivideupFiling.h"

#include <gtest/gtest.h>

using namespace RulesTest;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

// The receive set the cases run against, one rule per line (index: name).
const char kReceiveRules[] =
    // 0 label only: important mail gets label 3, the next rules file it
    "Subject\t【重要】\t\t\t0\t0\t0\t0\t0\t0\t0\t1\t3\t0\t1\t0\t0\r\n"
    // 1 junk senders: not fetched, deleted on the server
    "From\t%GL$迷惑メール$%\t\t\t12\t0\t0\t0\t0\t1\t1\t0\t-1\t0\t0\t0\t1\r\n"
    // 2 meetings
    "Subject\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
    // 3 the list, by To/Cc or by its list header (Or)
    "To-CC\tml-news@list.example\tX-ML-Name\tcorvane-news\t11\t1\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
    // 4 the customer's mail that is not an invoice (And, negation)
    "From\t@sakura-shoji.co.jp\tSubject\t請求\t10\t0\t0\t0\t1\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
    // 5 invoices from the customer group
    "From\t%GL$取引先$%\tSubject\t請求書\t13\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1\t0\r\n"
    // 6 big newsletters (size at least 50000)
    "<= Size\t50000\tSubject\tメルマガ\t11\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
    // 7 monitoring alerts larger than 1000 bytes (negated size)
    "Size <=\t1000\tFrom\talert@monitor.example\t4\t0\t0\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
    // 8 an old project whose folder was removed by hand
    "Subject\t旧プロジェクト\t\t\t99\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
    // 9 another label-only rule; its folder never takes the mail
    "Subject\t重要\t\t\t4\t0\t0\t0\t0\t0\t0\t1\t7\t0\t1\t0\t0\r\n";

struct Case
{
    const char* name;
    std::string mail;
    int firstRule;  // the first rule that accepts the mail, -1 none
    int folder;     // where the mail is filed
    int label;      // the label it gets, 0 none
    BOOL markRead;
};

std::vector<Case> Cases()
{
    const std::string iso = "=?ISO-2022-JP?B?GyRCIVo9RU1XIVsycTVEJE4kKkNOJGkkOxsoQg==?=";  // 【重要】会議のお知らせ
    const std::string yamada = "=?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?=";          // 山田 太郎
    const std::string invoice = "=?UTF-8?B?6KuL5rGC5pu46YCB5LuY44Gu44GU5qGI5YaF?=";         // 請求書送付のご案内
    const std::string suzuki = "=?UTF-8?B?6Yi05pyoIOiKseWtkA==?=";                          // 鈴木 花子
    const std::string magazine = "=?UTF-8?B?44Oh44Or44Oe44KsIOesrDEy5Y+3?=";                // メルマガ 第12号
    const std::string rawJis = "\x1b$B<R302q5DJs9p\x1b(B";                                    // 社外会議報告 in raw JIS
    return {
        { "junk sender of the group, address in any case", Mail("\"当選\" <WINNER@lottery.EXAMPLE>", "me@corvane.example", "", "ご当選のお知らせ"), 1, kJunk, 0, FALSE },
        { "encoded ISO-2022-JP subject, labelled and filed", Mail(suzuki + " <suzuki@corvane.example>", "me@corvane.example", "", iso), 0, kWork, 3, FALSE },
        { "raw JIS subject", Mail("suzuki@corvane.example", "me@corvane.example", "", rawJis), 2, kWork, 0, FALSE },
        { "list address second in a multi-address Cc", Mail("news@list.example", "me@corvane.example", "a@corvane.example, \"ML\" <ml-news@list.example>", "今週の話題"), 3, kList, 0, FALSE },
        { "list header only (Or)", Mail("news@list.example", "undisclosed-recipients:;", "", "今週の話題", "X-ML-Name: Corvane-News\r\n"), 3, kList, 0, FALSE },
        { "customer mail that is not an invoice", Mail(yamada + " <yamada@SAKURA-shoji.co.jp>", "me@corvane.example", "", "打ち合わせ日程"), 4, kWork, 0, FALSE },
        { "customer group invoice, UTF-8 subject, marked read", Mail(yamada + " <yamada@sakura-shoji.co.jp>", "me@corvane.example", "", invoice), 5, kInvoice, 0, TRUE },
        { "invoice from outside the group", Mail("billing@other.example", "me@corvane.example", "", invoice), -1, kInbox, 0, FALSE },
        { "big newsletter", Mail("info@shop.example", "me@corvane.example", "", magazine, "", 60000), 6, kList, 0, FALSE },
        { "small newsletter", Mail("info@shop.example", "me@corvane.example", "", magazine), -1, kInbox, 0, FALSE },
        { "big alert", Mail("alert@monitor.example", "me@corvane.example", "", "CPU 使用率", "", 2000), 7, kTrash, 0, FALSE },
        { "small alert: a negated size never holds for lack of a header", Mail("alert@monitor.example", "me@corvane.example", "", "CPU 使用率"), -1, kInbox, 0, FALSE },
        { "rule whose folder is gone files into the inbox", Mail("pm@corvane.example", "me@corvane.example", "", "旧プロジェクトの件"), 8, kInbox, 0, FALSE },
        { "two label-only rules: the first labels, neither moves", Mail("boss@corvane.example", "me@corvane.example", "", "【重要】週末の予定"), 0, kInbox, 3, FALSE },
        { "nothing matches", Mail("friend@example.com", "me@corvane.example", "", "週末の予定"), -1, kInbox, 0, FALSE },
    };
}

} // namespace

TEST(DivideupMatch, ReceivedMailsLandInTheirRulesFolders)
{
    TempDir dir;
    RulesApp app(dir.Path());
    WriteAddressBook(app);
    WriteFileBytes(app.MailBox() + "\\Divideup.dat", kReceiveRules);
    ASSERT_TRUE(app.LoadFilterRules());
    CDivideupDataSet* set = app.GetReceiveRuleSet();
    ASSERT_EQ(set->GetRuleCount(), 10);

    for (const Case& c : Cases()) {
        CMailMessage header;
        header.ParseHeaderText(c.mail.c_str());
        int size = static_cast<int>(c.mail.size());
        CDivideupData* first = set->FindFirstMatch(header, size);
        EXPECT_EQ(first ? first->m_nIndex : -1, c.firstRule) << c.name;
        ReceiveFilingChoice choice;
        ASSERT_TRUE(ChooseReceiveFolder(app, header, size, choice)) << c.name;
        EXPECT_EQ(choice.pFolder->GetFolderId(), c.folder) << c.name;
        EXPECT_EQ(choice.filter.bUseLabel ? choice.filter.nLabel : 0, c.label) << c.name;
        EXPECT_EQ(choice.filter.bForceRead, c.markRead) << c.name;
        EXPECT_EQ(choice.bRuleMet, c.firstRule >= 0) << c.name;

        // A session that holds the received file gets the same answer.
        CString file = dir.File("QM2000000001.eml");
        WriteFileBytes(file, c.mail);
        ReceiveFilingChoice fromFile;
        ASSERT_TRUE(ChooseReceiveFolderForFile(app, file, fromFile)) << c.name;
        EXPECT_EQ(fromFile.pFolder, choice.pFolder) << c.name;
        EXPECT_EQ(fromFile.filter.nLabel, choice.filter.nLabel) << c.name;
    }
}

TEST(DivideupMatch, ServerMailsAreCheckedBeforeDownloadOnlyAgainstTheFirstMatch)
{
    TempDir dir;
    RulesApp app(dir.Path());
    WriteAddressBook(app);
    WriteFileBytes(app.MailBox() + "\\Divideup.dat", kReceiveRules);
    ASSERT_TRUE(BeginReceiveFiltering(app));
    struct
    {
        std::string mail;
        int decision;
    } cases[] = {
        { Mail("spam@cheap-offer.example", "me@corvane.example", "", "激安"), CDivideupDataSet::kSkipDelete },
        // An earlier rule that lets the mail in decides first.
        { Mail("spam@cheap-offer.example", "me@corvane.example", "", "【重要】お支払い"), CDivideupDataSet::kDownload },
        { Mail("yamada@sakura-shoji.co.jp", "me@corvane.example", "", "会議"), CDivideupDataSet::kDownload },
    };
    for (auto& c : cases) {
        CMailMessage header;
        header.ParseHeaderText(c.mail.c_str());
        EXPECT_EQ(CheckServerMail(app, header, static_cast<int>(c.mail.size())), c.decision) << c.mail;
        EXPECT_EQ(CheckServerMailHeader(app, c.mail.c_str()), c.decision) << c.mail;
    }

    // Filtering at receive off: everything is fetched into the inbox.
    app.WriteProfileInt("Setting", "DivideUpAtReceive", 0);
    EXPECT_FALSE(BeginReceiveFiltering(app));
    CMailMessage junk;
    junk.ParseHeaderText(cases[0].mail.c_str());
    EXPECT_EQ(CheckServerMail(app, junk, 100), CDivideupDataSet::kDownload);
    ReceiveFilingChoice choice;
    ASSERT_TRUE(ChooseReceiveFolder(app, junk, 100, choice));
    EXPECT_EQ(choice.pFolder->GetFolderId(), kInbox);
}

TEST(DivideupMatch, EmptyConditionsHoldInAndModeOnly)
{
    CMailMessage header;
    header.ParseHeaderText("From: a@example.jp\r\nSubject: Weekly ABC report\r\n\r\n");
    struct
    {
        const char* line;
        bool match;
    } cases[] = {
        { "Subject\tabc\t\t\t1\t0\t0\t0\t0", true },   // And, condition 2 empty
        { "Subject\tabc\t\t\t1\t0\t1\t0\t0", true },   // Or, condition 2 empty
        { "Subject\tabc\t\t\t1\t0\t0\t1\t0", false },  // negated
        { "Subject\txyz\t\t\t1\t0\t1\t1\t0", true },   // Or, negated
        { "\t\t\t\t1\t0\t1\t0\t0", false },           // Or without any condition never matches
        { "\t\t\t\t1\t0\t0\t0\t0", true },            // And without any condition matches all
    };
    TempDir dir;
    for (auto& c : cases) {
        WriteFileBytes(dir.File("r.dat"), std::string(c.line) + "\r\n");
        CDivideupDataSet set;
        set.SetFilePath(dir.File("r.dat"));
        ASSERT_TRUE(set.ReadFromFile());
        ASSERT_EQ(set.GetRuleCount(), 1);
        EXPECT_EQ(set.GetRule(0)->Match(header, 100) != FALSE, c.match) << c.line;
    }
}

TEST(DivideupMatch, SentMailIsFiledByTheSendSetOrIntoTheSentFolder)
{
    TempDir dir;
    RulesApp app(dir.Path());
    WriteFileBytes(app.MailBox() + "\\Divideup.dat", "To-CC\tyamada@\t\t\t13\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
    WriteFileBytes(app.MailBox() + "\\DivideupS.dat",
                   "To-CC\tyamada@sakura-shoji.co.jp\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
                   "Subject\t旧プロジェクト\t\t\t99\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
    CString toYamada = dir.File("sent1.eml");
    WriteFileBytes(toYamada, Mail("me@corvane.example", "boss@corvane.example", "yamada@sakura-shoji.co.jp", "見積"));
    CString oldProject = dir.File("sent2.eml");
    WriteFileBytes(oldProject, Mail("me@corvane.example", "pm@corvane.example", "", "旧プロジェクト"));
    struct
    {
        int atSend, useReceiveSet;
        const CString* file;
        int folder;
    } cases[] = {
        { 0, 0, &toYamada, kSent },
        { 1, 0, &toYamada, kWork },
        { 1, 1, &toYamada, kInvoice },
        { 1, 0, &oldProject, kSent },  // that rule's folder is gone
    };
    for (auto& c : cases) {
        app.WriteProfileInt("Setting", "DivideUpAtSend", c.atSend);
        app.WriteProfileInt("Setting", "DivideUpUseReceiveSet", c.useReceiveSet);
        CMailFolderStore* folder = ChooseSentFolder(app, *c.file);
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->GetFolderId(), c.folder) << c.atSend << c.useReceiveSet << c.file->GetString();
    }
}
