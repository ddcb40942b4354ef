// Hidden folders over a directory of their own and the copy of a mail filed
// for a sending account, as plug-ins reach them through the API object.
#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "plugin/QuendalAPI.h"
#include "store/FolderData.h"
#include "store/FolderRecord.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <string>

using TestSupport::ReadFileBytes;

namespace {

struct HiddenApp : StoreTest::TestApp
{
    explicit HiddenApp(const CString& root) : StoreTest::TestApp(root)
    {
        CFolderRecord r;
        r.m_nId = 1;
        r.m_nKind = CFolderRecord::kindInbox;
        r.m_strName = "受信箱";
        r.m_strPath = root + "\\MailBox\\In.Box";
        CreateDirectoryA(r.m_strPath, nullptr);
        m_pInbox = AddFolder(0, 0, nullptr, r);
        r.m_nId = 2;
        r.m_nKind = CFolderRecord::kindSent;
        r.m_strName = "送信済み";
        r.m_strPath = root + "\\MailBox\\Out.Box";
        CreateDirectoryA(r.m_strPath, nullptr);
        AddFolder(0, 0, nullptr, r);
        m_pAccountDataSet = new CAccountDataSet;
        CDataStrgRecord* a = m_pAccountDataSet->CreateNewRecord();
        m_pAccountDataSet->SetRecordField(0, "仕事", a);
        m_pAccountDataSet->SetRecordField(2, "me@corvane.example", a);
    }
    CMailFolderStore* m_pInbox;
};

// What the plug-in's callbacks saw and answered.
struct FilterLog
{
    std::string subject, text, flagText;
    const char* answer = nullptr;
    int flag = 0;
    int done = 0;
};

const char* CALLBACK TextFilter(const char* subject, const char*, const char*, const char*, const char*,
                                const char* text, LPARAM user)
{
    auto* log = reinterpret_cast<FilterLog*>(user);
    log->subject = subject;
    log->text = text;
    return log->answer ? log->answer : text;
}

int CALLBACK FlagFilter(const char*, const char*, const char*, const char*, const char* text, LPARAM user)
{
    auto* log = reinterpret_cast<FilterLog*>(user);
    log->flagText = text;
    return log->flag;
}

void CALLBACK Done(LPARAM user)
{
    reinterpret_cast<FilterLog*>(user)->done++;
}

class HiddenFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app = new HiddenApp(m_dir.Path());
        m_api = new CQuendalAPI(m_app);
        const std::string mail = "From: Sender <sender@example.com>\r\nTo: me@corvane.example\r\n"
                                 "Subject: 見積書\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\n\r\n"
                                 "一行目\r\n.点で始まる行\r\n";
        ASSERT_EQ(StoreTest::FileMail(*m_app->m_pInbox, m_dir.Path(), "m.eml", mail), 1);
    }
    void TearDown() override
    {
        m_api->Destroy(1);
        delete m_app;
        // The folder registry posts counts to this thread; the next test
        // reads its queue.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    std::vector<std::string> Mails(int nFolderId)
    {
        CMailFolderStore* s = m_app->FindFolder(nFolderId);
        return s ? StoreTest::StoredMails(*s) : std::vector<std::string>();
    }

    TestSupport::TempDir m_dir;
    HiddenApp* m_app = nullptr;
    CQuendalAPI* m_api = nullptr;
};

} // namespace

TEST_F(HiddenFolderTest, HiddenFoldersStayOutOfTheFolderList)
{
    CString dir = m_dir.File("Plug\\Queue");
    int id = m_api->CreateFolder(dir, "待ち");
    ASSERT_GT(id, 2);
    CMailFolderStore* hidden = m_app->FindFolder(id);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->GetKind(), CFolderRecord::kindHidden);
    EXPECT_STREQ(hidden->GetFolderName(), "待ち");
    EXPECT_TRUE(DirectoryExists(dir));
    // The same directory again is the same folder; a listed folder's
    // directory is never opened a second time.
    EXPECT_EQ(m_api->CreateFolder(dir + "\\", "別名"), id);
    EXPECT_EQ(m_api->CreateFolder(m_app->m_pInbox->GetFolderPath(), "受信箱の上"), 0);
    EXPECT_EQ(m_app->GetFolderCount(), 3);

    // The sending folder of task notices is one such folder, made once.
    int send = m_app->GetSendTempFolder();
    ASSERT_GT(send, 0);
    EXPECT_EQ(m_app->GetSendTempFolder(), send);
    EXPECT_STREQ(m_app->FindFolder(send)->GetFolderName(), "SendTempFolder");
    EXPECT_EQ(m_app->FindFolder(send)->GetFolderPath().CompareNoCase(m_dir.File("MailBox\\Out.Box\\Temp")), 0);

    // Writing the folder list leaves both out.
    m_app->SaveFolderList();
    std::string list = ReadFileBytes(m_app->GetFolderDataPath());
    EXPECT_NE(list.find("受信箱"), std::string::npos);
    EXPECT_EQ(list.find("待ち"), std::string::npos);
    EXPECT_EQ(list.find("SendTempFolder"), std::string::npos);
}

TEST_F(HiddenFolderTest, CopyForAnAccountCarriesTheAccountHeaderAndWhatTheFiltersSay)
{
    int target = m_api->CreateFolder(m_dir.File("Queue"), "待ち");
    ASSERT_GT(target, 0);
    FilterLog log;
    EXPECT_TRUE(m_api->CopyMailToFolder(target, "仕事", 1, 0, TextFilter, FlagFilter, Done,
                                        reinterpret_cast<LPARAM>(&log)));
    // The filter sees the mail as it was received, dots and all.
    EXPECT_EQ(log.subject, "見積書");
    EXPECT_EQ(log.text.find("QM"), std::string::npos);
    EXPECT_NE(log.text.find("\r\n.点で始まる行\r\n"), std::string::npos);
    EXPECT_EQ(log.flagText.rfind("X-SendAcount: 仕事\r\nFrom", 0), 0u) << ::testing::PrintToString(log.flagText.substr(0, 60));
    EXPECT_EQ(log.done, 1);
    std::vector<std::string> mails = Mails(target);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].rfind("X-SendAcount: 仕事\r\nFrom: Sender", 0), 0u) << ::testing::PrintToString(mails[0].substr(0, 60));
    EXPECT_NE(mails[0].find("\r\n.点で始まる行\r\n"), std::string::npos);
    // The send job finds the mail's account.
    EXPECT_TRUE(m_app->FindFolder(target)->MatchMailSendAccount(0, "仕事"));

    // A filter that writes a new text: the index takes its header.
    log.answer = "From: me@corvane.example\r\nTo: boss@corvane.example\r\nSubject: 転送します\r\n\r\n本文\r\n";
    EXPECT_TRUE(m_api->CopyMailToFolder(target, "仕事", 1, 0, TextFilter, nullptr, nullptr,
                                        reinterpret_cast<LPARAM>(&log)));
    CMailIndexRecord* second = m_app->FindFolder(target)->GetRecord(1);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->GetText(CMailIndexRecord::colSubject), "転送します");
    EXPECT_STREQ(second->GetText(CMailIndexRecord::colTo), "boss@corvane.example");

    // Refused: a filter that cancels, an unknown account, folder or mail.
    struct Refusal
    {
        const char* name;
        int target, source, index;
        const char* account;
        QdCopyTextFilter filter;
    } const refusals[] = {
        { "filter cancels", target, 1, 0, "仕事",
          [](const char*, const char*, const char*, const char*, const char*, const char*, LPARAM) -> const char* {
              return nullptr;
          } },
        { "unknown account", target, 1, 0, "私用", nullptr },
        { "unknown source", target, 99, 0, "仕事", nullptr },
        { "unknown target", 99, 1, 0, "仕事", nullptr },
        { "unknown mail", target, 1, 5, "仕事", nullptr },
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        EXPECT_FALSE(m_api->CopyMailToFolder(r.target, r.account, r.source, r.index, r.filter, nullptr, nullptr, 0));
    }
    EXPECT_EQ(Mails(target).size(), 2u);
}
