// Helpers of the editor tests: a mailbox with an account, folders of the
// kinds replies care about, and real-looking Japanese mails filed into them.
#pragma once

#include "core/AccountDataSet.h"
#include "core/DateTimeUtil.h"
#include "message/Base64.h"
#include "message/JapaneseCode.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace EditorTest {

inline std::string S(const CString& s) { return s.Str(); }

// An encoded word of a Shift_JIS text sent as ISO-2022-JP.
inline std::string JisWord(const char* sjis)
{
    CString jis = SjisToJis(sjis);
    return "=?ISO-2022-JP?B?" + CBase64::EncodeToString(jis.GetString(), jis.GetLength()) + "?=";
}

// An encoded word of a UTF-8 text.
inline std::string Utf8Word(const char* utf8)
{
    return "=?UTF-8?B?" + CBase64::EncodeToString(utf8, strlen(utf8)) + "?=";
}

// A list mail in ISO-2022-JP from a sender five hours behind UTC, to five
// addresses (one of them the user's, in another case in Cc), with a
// Reply-To, a request for a read notification and a thread behind it.
inline std::string ListMail()
{
    // As it came off the wire: the line ".隠し行" dot-stuffed.
    CString body = SjisToJis("山田です。\r\n\r\n来週の会議は延期します。\r\n..隠し行\r\n");
    return "From: " + JisWord("山田 太郎") + " <taro@example.co.jp>\r\n"
           "To: hanako@example.jp, \"Suzuki, Ichiro\" <ichiro@example.com>, me@corvane.example, jiro@example.org, "
           "saburo@example.net\r\n"
           "Cc: " + Utf8Word(u8"佐藤 花子") + " <sato@example.jp>, ME@Corvane.Example\r\n"
           "Subject: " + JisWord("Re: [project:12] Re[2]: 会議の件") + "\r\n"
           "Date: Wed, 01 May 2024 09:00:00 -0500\r\n"
           "Message-ID: <m1@example.co.jp>\r\n"
           "In-Reply-To: <m0@example.com>\r\n"
           "References: <a1@example.com> <m0@example.com>\r\n"
           "Reply-To: project@example.jp\r\n"
           "X-Mailer: TestMailer 1.0\r\n"
           "X-ReceiveAcount: main\r\n"
           "X-Priority: 2\r\n"
           "Disposition-Notification-To: taro@example.co.jp\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
           "Content-Transfer-Encoding: 7bit\r\n"
           "\r\n" + body.Str();
}

// A UTF-8 mail without Cc, Reply-To or thread.
inline std::string PlainMail()
{
    std::string body = u8"転送をお願いします。\r\n";
    return "From: " + Utf8Word(u8"鈴木 一郎") + " <ichiro@example.com>\r\n"
           "To: me@corvane.example\r\n"
           "Subject: " + Utf8Word(u8"FWD：Fw: 資料") + "\r\n"
           "Date: Thu, 02 May 2024 18:30:00 +0900\r\n"
           "Message-ID: <p1@example.com>\r\n"
           "X-ReceiveAcount: main\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: 8bit\r\n"
           "\r\n" + body;
}

// The user's own sent mail, as the sent folder keeps it.
inline std::string SentMail()
{
    return "From: Me <me@corvane.example>\r\n"
           "To: client@example.jp\r\n"
           "Cc: boss@example.jp\r\n"
           "Subject: " + JisWord("見積もり") + "\r\n"
           "Date: Fri, 03 May 2024 10:00:00 +0900\r\n"
           "Message-ID: <s1@corvane.example>\r\n"
           "X-SendAcount: main\r\n"
           "X-SignName: work\r\n"
           "\r\n"
           "sent text\r\n";
}

// A mailbox in a temporary folder with the account "main" (me@corvane.example)
// and three folders: an inbox, a sent folder and a mailing-list folder that
// drops the list tag of replies.
struct Mailbox
{
    TestSupport::TempDir dir;
    std::unique_ptr<StoreTest::TestApp> app;
    CMailFolderStore inbox, sent, list;

    Mailbox()
    {
        app.reset(new StoreTest::TestApp(dir.Path()));
        // Start-up works the zone out; dates are shown in it.
        app->m_lTimeZoneBias = ComputeTimeZoneBias();
        CAccountData* account = static_cast<CAccountData*>(app->m_pAccountDataSet->CreateNewRecord());
        account->SetAccountName("main");
        account->SetMailAddress("me@corvane.example");
        StoreTest::OpenStore(inbox, dir.Path() + "\\In", 1, 1);
        StoreTest::OpenStore(sent, dir.Path() + "\\Sent", 2, 2);
        StoreTest::OpenStore(list, dir.Path() + "\\List", 3, 1);
        CFolderRecord r = list.GetFolderRecord();
        r.m_bStripTagOnReply = TRUE;
        r.m_bApplyBelow = TRUE;
        list.SetFolderRecord(r);
    }
    ~Mailbox()
    {
        inbox.Close();
        sent.Close();
        list.Close();
    }
    // Files a mail; returns its index.
    int File(CMailFolderStore& store, const std::string& text, const char* received = "2024/05/02 08:30:00 +0900")
    {
        int index = -1;
        CString path = dir.File("incoming.eml");
        TestSupport::WriteFileBytes(path, text);
        EXPECT_EQ(store.AddNewMailData(path, received, FALSE, FALSE, nullptr, &index), 1);
        DeleteFileA(path);
        return index;
    }
};

} // namespace EditorTest
