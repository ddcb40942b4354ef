#include "RulesTestUtil.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/DivideupFiling.h"
#include "transfer/RuleFolderChooser.h"

#include <gtest/gtest.h>

using namespace RulesTest;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

// One not-receive rule with the server's deletion, as the junk rule is.
std::string NotReceiveRule(const char* header1, const char* text1, const char* header2, const char* text2,
                           int orMode, int negate1)
{
    return std::string(header1) + "\t" + text1 + "\t" + header2 + "\t" + text2 + "\t12\t0\t" +
           std::to_string(orMode) + "\t" + std::to_string(negate1) + "\t0\t1\t1\t0\t0\t0\t0\t0\t0\r\n";
}

const char kJunkMembers[] = "spam@cheap-offer.example\t\t\tIconDefault\t\r\n";

} // namespace

// A rule whose condition names an address-book group without member
// addresses never matches: the receive then checks no header on the server
// and files every mail into the inbox without reading it again.
TEST(ReceiveRulesCanMatch, RulesOnEmptyGroupsNeedNoCheck)
{
    struct
    {
        const char* name;
        std::string rules;   // empty: the default junk rule is made
        const char* junk;    // the junk group's address file, null: no address book
        bool bCheck;         // a header check before download is needed
    } cases[] = {
        {"default junk rule, no address book", "", nullptr, false},
        {"default junk rule, empty junk group", "", "", false},
        {"default junk rule, member without address", "", "\t名前だけ\t\tIconDefault\t\r\n", false},
        {"default junk rule, a junk member", "", kJunkMembers, true},
        {"group that does not exist", NotReceiveRule("From", "%GL$存在しない$%", "", "", 0, 0), kJunkMembers, false},
        {"negated empty group holds for every mail", NotReceiveRule("From", "%GL$迷惑メール$%", "", "", 0, 1), "", true},
        {"Or with a plain subject", NotReceiveRule("From", "%GL$迷惑メール$%", "Subject", "広告", 1, 0), "", true},
        {"Or without a second key", NotReceiveRule("From", "%GL$迷惑メール$%", "", "", 1, 0), "", false},
        {"And with a plain subject", NotReceiveRule("Subject", "広告", "From", "%GL$迷惑メール$%", 0, 0), "", false},
        {"plain text only", NotReceiveRule("Subject", "広告", "", "", 0, 0), "", true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        RulesApp app(dir.Path());
        if (c.junk) {
            WriteAddressBook(app);
            WriteFileBytes(app.GetAddressBoxPath() + "\\迷惑メール.dat", c.junk);
        }
        if (!c.rules.empty())
            WriteFileBytes(app.MailBox() + "\\Divideup.dat", c.rules);
        CRuleFolderChooser chooser(&app);
        EXPECT_EQ(chooser.BeginReceive(), c.bCheck) << c.name;
        EXPECT_EQ(app.GetReceiveRuleSet()->AnyRuleCanMatch() != FALSE, c.bCheck) << c.name;
        // Without a rule that can match, the chooser keeps the inbox at once
        // (it does not even look for the file).
        ReceiveFilingChoice choice;
        EXPECT_EQ(chooser.ChooseFolder(dir.File("missing.eml"), choice), c.bCheck) << c.name;
    }
}

// A member added to the group between two receives counts at the next one.
TEST(ReceiveRulesCanMatch, GroupMemberAddedBeforeTheNextReceive)
{
    TempDir dir;
    RulesApp app(dir.Path());
    WriteAddressBook(app);
    WriteFileBytes(app.GetAddressBoxPath() + "\\迷惑メール.dat", "");
    CRuleFolderChooser chooser(&app);
    ASSERT_FALSE(chooser.BeginReceive());

    WriteFileBytes(app.GetAddressBoxPath() + "\\迷惑メール.dat", kJunkMembers);
    ASSERT_TRUE(chooser.BeginReceive());
    std::string junk = Mail("Spam@Cheap-Offer.example", "me@corvane.example", "", "激安");
    EXPECT_EQ(chooser.CheckReceive(junk.c_str()), 2);
    CString file = dir.File("QM2000000001.eml");
    WriteFileBytes(file, junk);
    ReceiveFilingChoice choice;
    ASSERT_TRUE(chooser.ChooseFolder(file, choice));
    // The default junk rule names the inbox; what counts is that it is met.
    EXPECT_TRUE(choice.bRuleMet);
    EXPECT_TRUE(choice.bDeleteOnServer);
}
