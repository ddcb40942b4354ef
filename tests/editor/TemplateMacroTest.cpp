#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "editor/MacroHelpText.h"
#include "editor/MailEditComposer.h"
#include "EditorTestUtil.h"
#include "message/MailMessage.h"
#include "message/OutgoingMailServices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using EditorTest::S;

namespace {

// 2024-05-01 09:00 -0500 and 2024-05-02 08:30 +0900 as UTC seconds.
const int64_t kSent = 1714572000;
const int64_t kReceived = 1714606200;

std::string Local(int64_t t, const char* format) { return S(CTime(t).Format(format)); }

class TemplateMacroTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        index = box.File(box.inbox, EditorTest::ListMail());
        record = box.inbox.GetRecord(index);
        ASSERT_NE(record, nullptr);
        CString entry, header, body;
        ASSERT_TRUE(box.inbox.ReadMailText(record, entry));
        CMailEditComposer::SplitStoredMail(entry, header, body);
        message.Parse(header);
    }
    std::string Expand(const char* text, int kind = 1)
    {
        return S(box.app->ReplaceTemplateMacros(text, record, "BODY-TEXT", ">BODY-TEXT", kind, &message));
    }

    EditorTest::Mailbox box;
    int index = -1;
    CMailIndexRecord* record = nullptr;
    CMailMessage message;
};

} // namespace

TEST_F(TemplateMacroTest, EveryMacroExpandsForAFixtureMail)
{
    box.app->WriteProfileInt("Setting", "TimeFormatType", 0);
    const std::string now = S(CTime::GetCurrentTime().Format("%Y/%m/%d"));
    const struct { const char* text; std::string expected; } cases[] = {
        {"%FROM%", "山田 太郎 <taro@example.co.jp>"},
        {"%FNAME%さん", "山田 太郎さん"},
        {"<%FADDRESS%>", "<taro@example.co.jp>"},
        {"%REPLY-TO%", "project@example.jp"},
        // Every second address ends a line; the next line starts with the
        // inserted blank and the one that followed the comma. The comma in
        // the quoted name does not count.
        {"%TO%", "hanako@example.jp, \"Suzuki, Ichiro\" <ichiro@example.com>,\r\n  me@corvane.example, "
                 "jiro@example.org,\r\n  saburo@example.net"},
        {"CC：%CC%\r\n", "CC：佐藤 花子 <sato@example.jp>, ME@Corvane.Example\r\n"},
        {"%SUBJECT%", "Re: [project:12] Re[2]: 会議の件"},
        {"%NHSUBJECT%", "会議の件"},
        {"%SENDDATE% %SENDTIME%", Local(kSent, "%Y/%m/%d %H:%M:%S")},
        {"%RECDATE%|%RECTIME%", Local(kReceived, "%Y/%m/%d|%H:%M:%S")},
        {"%FSDATETIME$%Y年%m月%d日$%", Local(kSent, "%Y年%m月%d日")},
        {"%FRDATETIME$%H時%M分$%", Local(kReceived, "%H時%M分")},
        {"%MESSAGEID%", "<m1@example.co.jp>"},
        {"%RADDRESS%", "me@corvane.example"},  // the account "main" received it
        {"%DATE%", now},
        {"%FDATETIME$%Y$%", S(CTime::GetCurrentTime().Format("%Y"))},
        {"%TZONE%", S(GetTimeZoneText())},
        {"%BODY%/%REFBODY%", "BODY-TEXT/>BODY-TEXT"},
        {"%$X-MAILER$%", "TestMailer 1.0"},
        {"[%$x-mailer$%][%$X-NONE$%]", "[][]"},
        {"%$%", ""},
        // Unknown words and unclosed markers stay as they are.
        {"%UNKNOWN% 100% %FROM", "%UNKNOWN% 100% %FROM"},
        {"%$X-MAILER", "%$X-MAILER"},
        {"%FDATETIME$%Y", "%FDATETIME$%Y"},
        {"%%FNAME%%", "%山田 太郎%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Expand(c.text), c.expected) << c.text;
    // The locale form of the date and time holds the year and the minutes.
    const std::string localeForm = Expand("%SENDDATETIME%");
    EXPECT_EQ(localeForm.find(Local(kSent, "%Y/")), 0u) << localeForm;
    EXPECT_NE(localeForm.find(Local(kSent, "%M:%S")), std::string::npos) << localeForm;
    EXPECT_NE(Expand("%RECDATETIME%"), "");
}

TEST_F(TemplateMacroTest, DateSettingsChooseTheFormats)
{
    box.app->WriteProfileInt("Setting", "TimeFormatType", 1);
    box.app->WriteProfileString("Setting", "FormatDate", "%Y年%#m月%#d日");
    box.app->WriteProfileString("Setting", "FormatTime", "%H時%M分");
    EXPECT_EQ(Expand("%SENDDATETIME%"), Local(kSent, "%Y年%#m月%#d日 %H時%M分"));
    EXPECT_EQ(Expand("%SENDDATE%"), Local(kSent, "%Y年%#m月%#d日"));
    EXPECT_EQ(Expand("%RECTIME%"), Local(kReceived, "%H時%M分"));
    // The current time takes the same formats (stable ones, so that the
    // clock cannot move between the two readings).
    box.app->WriteProfileString("Setting", "FormatDate", "%Y年");
    box.app->WriteProfileString("Setting", "FormatTime", "(%Y)");
    const std::string year = S(CTime::GetCurrentTime().Format("%Y"));
    EXPECT_EQ(Expand("%DATETIME%|%DATE%|%TIME%"), year + "年 (" + year + ")|" + year + "年|(" + year + ")");
    // Back to the locale form: the two settings are not used.
    box.app->WriteProfileInt("Setting", "TimeFormatType", 0);
    EXPECT_EQ(Expand("%SENDDATE%"), Local(kSent, "%Y/%m/%d"));
    EXPECT_EQ(Expand("%SENDDATETIME%").find("年"), std::string::npos);
    EXPECT_EQ(Expand("%DATETIME%").find("年"), std::string::npos);
    EXPECT_EQ(Expand("%TIME%").size(), 8u);  // "%H:%M:%S"
}

TEST_F(TemplateMacroTest, InvalidTimeFormatsGiveEmptyText)
{
    box.app->WriteProfileInt("Setting", "TimeFormatType", 1);
    box.app->WriteProfileString("Setting", "FormatDate", "%Q");
    const struct { const char* text; const char* expected; } cases[] = {
        {"[%DATE%]", "[]"},
        {"[%SENDDATE%]", "[]"},
        {"[%FDATETIME$%Y %Q$%]", "[]"},
        {"[%FSDATETIME$%$%]", "[]"},
        {"[%FDATETIME$$%]", "[]"},
        {"[%FRDATETIME$%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y$%]", "[]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Expand(c.text), c.expected) << c.text;
}

TEST_F(TemplateMacroTest, MailTextIsInsertedNeverExpanded)
{
    // A stranger's subject and body holding macros stay as they are.
    CMailIndexRecord hostile;
    hostile.SetText(CMailIndexRecord::colSubject, "%BODY% %$X-MAILER$% %FDATETIME$%Q$% %TEMPLATE%");
    hostile.SetText(CMailIndexRecord::colFrom, "\"%SUBJECT%\" <a@example.com>");
    EXPECT_EQ(S(box.app->ReplaceTemplateMacros("%SUBJECT%|%FNAME%|%BODY%", &hostile, "%FROM% %REFBODY%", "", 1,
                                               &message)),
              "%BODY% %$X-MAILER$% %FDATETIME$%Q$% %TEMPLATE%|%SUBJECT%|%FROM% %REFBODY%");
    // Header values too.
    CMailMessage headers;
    headers.Parse("X-Trap: %$X-TRAP$% %BODY%\r\n");
    EXPECT_EQ(S(box.app->ReplaceTemplateMacros("%$X-TRAP$%", &hostile, "body", "", 1, &headers)),
              "%$X-TRAP$% %BODY%");
}

TEST_F(TemplateMacroTest, TemplateMacroTakesTheHeaderFileOfTheKind)
{
    // Missing files give the built-in headers; the mail has a Cc, so the forward header keeps its line.
    std::string reply = Expand("%TEMPLATE%", 1);
    EXPECT_EQ(reply, "「山田 太郎」さんの「" + Local(kSent, "%Y/%m/%d %H:%M:%S") +
                         "」のメール\r\n「Re: [project:12] Re[2]: 会議の件」を引用しています。\r\n\r\n");
    EXPECT_NE(Expand("%TEMPLATE%", 3).find("CC：佐藤 花子"), std::string::npos);
    EXPECT_EQ(Expand("%TEMPLATE%", 5), "%TEMPLATE%");
    EXPECT_EQ(Expand("%TEMPLATE%", 0), "%TEMPLATE%");
    // A header file's own macros expand; its own "%TEMPLATE%" stays.
    ASSERT_TRUE(box.app->SaveRetHeader("%FADDRESS% wrote %TEMPLATE%:\r\n"));
    EXPECT_EQ(Expand("%TEMPLATE%", 7), "taro@example.co.jp wrote %TEMPLATE%:\r\n");
    // An empty file is an empty template, not the built-in one.
    ASSERT_TRUE(box.app->SaveFwHeader(""));
    EXPECT_EQ(Expand("[%TEMPLATE%]", 8), "[]");
    EXPECT_EQ(S(box.app->LoadFwHeader()), "");
    EXPECT_TRUE(FileExists(box.app->GetFwHeaderFilePath()));
    EXPECT_NE(box.app->GetFwHeaderFilePath().Find("\\Headers.Box\\FwHeader.dat"), -1);
}

TEST_F(TemplateMacroTest, MailWithoutCcLosesTheForwardCcLine)
{
    int plain = box.File(box.inbox, EditorTest::PlainMail());
    CMailIndexRecord* r = box.inbox.GetRecord(plain);
    ASSERT_NE(r, nullptr);
    std::string forward = S(box.app->ReplaceTemplateMacros(box.app->LoadFwHeader(), r, "", "", 3, nullptr));
    EXPECT_EQ(forward.find("CC"), std::string::npos) << forward;
    EXPECT_NE(forward.find("宛先：me@corvane.example\r\n件名：FWD：Fw: 資料\r\n"), std::string::npos) << forward;
    // The read notification's line has an ASCII colon and stays, empty.
    std::string notify = S(box.app->ReplaceTemplateMacros(box.app->LoadReadNotify(), r, "", "", 11, nullptr));
    EXPECT_NE(notify.find("\r\nCC: \r\n"), std::string::npos) << notify;
    EXPECT_NE(notify.find("受信者：me@corvane.example\r\n"), std::string::npos) << notify;
    std::string mdn = S(box.app->ReplaceTemplateMacros(box.app->LoadReadNotifyMdn(), r, "", "", 11, nullptr));
    EXPECT_EQ(mdn, "Final-Recipient: rfc822; me@corvane.example\r\nOriginal-Message-Id: <p1@example.com>\r\n"
                   "Disposition: manual-action/MDN-sent-automatically; displayed\r\n");
}

TEST_F(TemplateMacroTest, KindAndMissingMailBlankTheMailMacros)
{
    // A new mail from a template has no dates of a source.
    EXPECT_EQ(Expand("[%SENDDATE%%RECTIME%%FSDATETIME$%Y$%%FRDATETIME$%Y$%]", 5), "[]");
    EXPECT_EQ(Expand("%SUBJECT%", 5), "Re: [project:12] Re[2]: 会議の件");
    // Without a parsed header "%REPLY-TO%" waits for one.
    EXPECT_EQ(S(box.app->ReplaceTemplateMacros("%REPLY-TO%", record, "", "", 1, nullptr)), "%REPLY-TO%");
    // Without a mail every mail macro is empty; "%TEMPLATE%" stays.
    EXPECT_EQ(S(box.app->ReplaceTemplateMacros("[%FROM%%FNAME%%FADDRESS%%REPLY-TO%%TO%%CC%%SUBJECT%%NHSUBJECT%"
                                               "%SENDDATETIME%%RECDATE%%MESSAGEID%%RADDRESS%%FSDATETIME$%Y$%]"
                                               "%TEMPLATE%",
                                               nullptr, nullptr, nullptr, 1, &message)),
              "[]%TEMPLATE%");
}

TEST_F(TemplateMacroTest, FormattedDateAndHeaderMarkerOperations)
{
    CString text = "a%FSDATETIME$%Y$%b%FSDATETIME$%m$%c%FSDATETIME$%d";
    const int64_t t = kSent;
    box.app->ReplaceFormattedDateMacro(text, "%FSDATETIME$", &t);
    EXPECT_EQ(S(text), "a" + Local(t, "%Y") + "b" + Local(t, "%m") + "c%FSDATETIME$%d");
    text = "x%FRDATETIME$%Y$%y";
    box.app->ReplaceFormattedDateMacro(text, "%FRDATETIME$", nullptr);
    EXPECT_EQ(S(text), "xy");

    text = "%$X-MAILER$%|%$SUBJECT$%|%$x-mailer$%|%$NONE";
    box.app->ReplaceHeaderMarkers(text, &message);
    EXPECT_EQ(S(text), "TestMailer 1.0|Re: [project:12] Re[2]: 会議の件||%$NONE");
}

TEST_F(TemplateMacroTest, AddressListsTakeTheDisplayMode)
{
    const char* list = "\"Suzuki, Ichiro\" <ichiro@example.com>, 山田 太郎 <taro@example.co.jp>,bare@example.jp";
    const struct { int mode; const char* expected; } cases[] = {
        {0, "\"Suzuki, Ichiro\" <ichiro@example.com>,山田 太郎 <taro@example.co.jp>,bare@example.jp"},
        {1, "ichiro@example.com (Suzuki, Ichiro),taro@example.co.jp (山田 太郎),bare@example.jp"},
        {2, "ichiro@example.com,taro@example.co.jp,bare@example.jp"},
    };
    box.app->m_bAddressDispOrgNoChange = 0;
    for (const auto& c : cases) {
        box.app->m_nAddressDispType = c.mode;
        EXPECT_STREQ(box.app->FormatAddressList(list), c.expected) << c.mode;
    }
    box.app->m_bAddressDispOrgNoChange = 1;
    EXPECT_STREQ(box.app->FormatAddressList(list), list);
}

TEST_F(TemplateMacroTest, HugeTemplatesExpandInLinearTime)
{
    // Unclosed markers and a huge header value must not make the scan quadratic.
    std::string huge;
    for (int i = 0; i < 100000; ++i)
        huge += "%$A %FDATETIME$x %FSDATETIME$y ";
    std::string value(1 << 20, 'v');
    CMailMessage big;
    big.Parse(("X-Big: " + value + "\r\n").c_str());
    auto start = std::chrono::steady_clock::now();
    CString out = box.app->ReplaceTemplateMacros(huge.c_str(), record, "", "", 1, &big);
    CString marker = box.app->ReplaceTemplateMacros("%$X-BIG$%%$X-BIG$%", record, "", "", 1, &big);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(out.Str(), huge);
    EXPECT_EQ(marker.GetLength(), 2 * static_cast<int>(value.size()));
    EXPECT_LT(seconds, 5.0);
}

TEST(MacroHelpText, ListsTheMacrosEachDialogOffers)
{
    const CString header = GetMacroHelpText(false);
    const CString full = GetMacroHelpText(true);
    EXPECT_EQ(header.Find("%FROM% (差出人の名前とアドレス)  %FNAME%"), 0);
    EXPECT_NE(header.Find("%MESSAGEID% (メッセージID)\r\n%DATETIME%"), -1);
    EXPECT_EQ(header.Right(static_cast<int>(strlen("%TZONE% (このマシンのタイムゾーンの値)\r\n"))),
              "%TZONE% (このマシンのタイムゾーンの値)\r\n");
    for (const char* macro : {"%REPLY-TO%", "%RADDRESS%", "%BODY%", "%REFBODY%", "%TEMPLATE%", "%$"}) {
        EXPECT_EQ(header.Find(macro), -1) << macro;
        EXPECT_NE(full.Find(macro), -1) << macro;
    }
    EXPECT_NE(full.Find("%MESSAGEID% (メッセージID)\t\t%RADDRESS% (受信したアドレス)\r\n"), -1);
    EXPECT_STREQ(full.Right(12), "%$X-MAILER$%");
}
