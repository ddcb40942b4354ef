#include "message/MailMessage.h"
#include "RulesTestUtil.h"
#include "transfer/DivideupFiling.h"
#include "transfer/ReceiveNotifyDataSet.h"

#include <gtest/gtest.h>

using namespace RulesTest;
using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const char kNotify[] =
    "From\tboss@corvane.example\t\t\tC:\\Sounds\\boss.wav\r\n"
    "Subject\t至急\tTo-CC\tme@corvane.example\tC:\\Sounds\\急ぎ.wav\r\n"
    "From\t%GL$取引先$%\t\t\tC:\\Sounds\\customer.mid\r\n"
    "\t\tX-ML-Name\tcorvane-news\tC:\\Sounds\\news.wav\r\n"
    "Subject\t\t\t\t\r\n";  // an empty text holds for any mail that has the header

} // namespace

TEST(ReceiveNotifyDataSet, RulesChooseTheSoundsOfAReceivedMailInTableOrder)
{
    TempDir dir;
    RulesApp app(dir.Path());
    WriteAddressBook(app);
    app.LoadFilterRules();  // prepares the address-book group conditions
    WriteFileBytes(app.GetNotifyPath(), kNotify);
    CReceiveNotifyDataSet* rules = app.GetNotifyRules();
    ASSERT_EQ(rules->GetRuleCount(), 5);
    rules->GetRule(4)->m_bDeleted = 1;  // deleted rules take no part

    const std::string urgent = "=?ISO-2022-JP?B?GyRCO2o1XiEnGyhCIA==?=";  // "至急： "
    struct
    {
        const char* name;
        std::string mail;
        std::vector<std::string> sounds;
    } cases[] = {
        { "only condition 1", Mail("Boss <BOSS@corvane.example>", "me@corvane.example", "", "予定"), { "C:\\Sounds\\boss.wav" } },
        { "two rules, table order", Mail("boss@corvane.example", "team@corvane.example", "Me <me@corvane.example>", urgent + "確認"), { "C:\\Sounds\\boss.wav", "C:\\Sounds\\急ぎ.wav" } },
        { "both conditions needed", Mail("a@corvane.example", "other@corvane.example", "", "至急"), {} },
        { "group member", Mail("山田 <yamada@sakura-shoji.co.jp>", "me@corvane.example", "", "見積"), { "C:\\Sounds\\customer.mid" } },
        { "only condition 2", Mail("news@list.example", "me@corvane.example", "", "ニュース", "X-ML-Name: Corvane-News\r\n"), { "C:\\Sounds\\news.wav" } },
    };
    for (auto& c : cases) {
        CMailMessage header;
        header.ParseHeaderText(c.mail.c_str());
        CStringArray sounds;
        EXPECT_EQ(CollectNotifySounds(app, header, sounds), static_cast<int>(c.sounds.size())) << c.name;
        std::vector<std::string> got;
        for (int i = 0; i < sounds.GetSize(); ++i)
            got.push_back(sounds[i].Str());
        EXPECT_EQ(got, c.sounds) << c.name;
    }

    // Written back, deleted rules dropped, every other byte kept.
    ASSERT_TRUE(rules->WriteToFile());
    std::string expected = kNotify;
    expected.erase(expected.find("Subject\t\t\t\t\r\n"));
    EXPECT_EQ(ReadFileBytes(app.GetNotifyPath()), expected);
}
