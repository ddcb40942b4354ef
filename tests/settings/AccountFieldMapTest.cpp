// The account pages and the wizard read and write the columns of
// "Account.dat" through one field table.
#include "core/AccountDataSet.h"
#include "resources/settings/SettingsResource.h"
#include "settings/AccountFieldMap.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A record with a distinct value in every column.
CAccountData Distinct()
{
    CAccountData a;
    for (int c = 0; c < CAccountData::ColumnCount; ++c) {
        CString text;
        text.Format("text%d", c);
        a.SetText(c, text);
        a.SetInt(c, c == 19 ? 1 : (CAccountData::GetColumnType(c) == CAccountData::colFlag ? 1 : c + 100));
    }
    a.SetInt(10, 2);
    a.SetInt(13, 1);
    a.SetInt(15, 1);
    a.SetInt(29, 2);
    return a;
}

} // namespace

TEST(AccountFieldTable, EveryEditedColumnHasOneFieldAndTheOthersNone)
{
    std::set<int> columns;
    for (const AccountField& f : GetAccountFields())
        EXPECT_TRUE(columns.insert(f.nColumn).second) << "column " << f.nColumn << " twice";
    // Column 9 has no control, column 30 is never touched.
    std::set<int> expected;
    for (int c = 0; c < CAccountData::ColumnCount; ++c) {
        if (c != 9 && c != 30)
            expected.insert(c);
    }
    EXPECT_EQ(columns, expected);
}

TEST(AccountFieldTable, ShowingAndTakingBackKeepsEveryColumn)
{
    CAccountData source = Distinct();
    source.SetInt(9, 0);
    AccountFieldValues fields;
    AccountToFields(&source, fields);
    CAccountData target;
    target.SetInt(9, 1);
    FieldsToAccount(fields, target);
    for (int c = 0; c < CAccountData::ColumnCount; ++c) {
        if (c == 9 || c == 30)
            continue;
        CAccountData::ColumnType type = CAccountData::GetColumnType(c);
        if (type == CAccountData::colText || type == CAccountData::colPassword)
            EXPECT_STREQ(target.GetText(c), source.GetText(c)) << "column " << c;
        else
            EXPECT_EQ(target.GetInt(c), source.GetInt(c)) << "column " << c;
    }
    EXPECT_EQ(target.GetInt(9), 1) << "a column without a control keeps its value";
}

TEST(AccountFieldTable, ShownValuesOfSpecialColumns)
{
    struct Case
    {
        const char* what;
        void (*set)(CAccountData&);
        int control;
        const char* text;  // null: compare the value
        int value;
    } cases[] = {
        { "stored SMTP port 0 shows 25", [](CAccountData& a) { a.SetSmtpPort(0); }, IDC_ACC_SMTP_PORT, "25", 0 },
        { "stored receive port 0 shows 110", [](CAccountData& a) { a.SetReceivePort(0); }, IDC_ACC_RECV_PORT, "110", 0 },
        { "IMAP port 0 still shows 110", [](CAccountData& a) { a.SetProtocol(1); a.SetReceivePort(0); }, IDC_ACC_RECV_PORT, "110", 0 },
        { "a port is shown as stored", [](CAccountData& a) { a.SetReceivePort(995); }, IDC_ACC_RECV_PORT, "995", 0 },
        { "Bcc \"0\" shows empty", [](CAccountData& a) { a.SetBccAddress("0"); }, IDC_ACC_FIXED_BCC, "", 0 },
        { "a Bcc address is shown", [](CAccountData& a) { a.SetBccAddress("b@x.jp"); }, IDC_ACC_FIXED_BCC, "b@x.jp", 0 },
        { "APOP selects the second choice", [](CAccountData& a) { a.SetReceiveAuth(1); }, IDC_ACC_AUTH_STD, nullptr, 1 },
        { "CRAM-MD5 selects the second choice", [](CAccountData& a) { a.SetReceiveAuth(2); }, IDC_ACC_AUTH_STD, nullptr, 1 },
        { "any other value selects it too", [](CAccountData& a) { a.SetReceiveAuth(5); }, IDC_ACC_AUTH_STD, nullptr, 1 },
        { "standard", [](CAccountData& a) { a.SetReceiveAuth(0); }, IDC_ACC_AUTH_STD, nullptr, 0 },
        { "the password is shown plain", [](CAccountData& a) { a.SetPassword("秘密"); }, IDC_ACC_RECV_PASSWORD, "秘密", 0 },
    };
    for (const Case& c : cases) {
        CAccountData a;
        c.set(a);
        AccountFieldValues fields;
        AccountToFields(&a, fields);
        if (c.text)
            EXPECT_STREQ(fields.Text(c.control), c.text) << c.what;
        else
            EXPECT_EQ(fields.Value(c.control), c.value) << c.what;
    }
}

TEST(AccountFieldTable, TakenValuesOfSpecialColumns)
{
    struct Case
    {
        const char* what;
        int protocol, authChoice;
        const char* smtpPort;
        const char* bcc;
        int expectAuth, expectSmtpPort;
        const char* expectBcc;
    } cases[] = {
        { "standard stores 0", 0, 0, "25", "", 0, 25, "" },
        { "POP3 with the second choice stores APOP", 0, 1, "25", "", 1, 25, "" },
        { "IMAP4 with the second choice stores CRAM-MD5", 1, 1, "25", "", 2, 25, "" },
        { "a cleared port stores 0", 0, 0, "", "", 0, 0, "" },
        { "a port is a plain decimal conversion", 0, 0, "587x", "", 0, 587, "" },
        { "a Bcc shown empty is stored empty", 0, 0, "25", "", 0, 25, "" },
    };
    for (const Case& c : cases) {
        CAccountData a;
        a.SetBccAddress("0");
        AccountFieldValues fields;
        AccountToFields(&a, fields);
        fields.Value(IDC_ACC_POP3) = c.protocol;
        fields.Value(IDC_ACC_AUTH_STD) = c.authChoice;
        fields.Text(IDC_ACC_SMTP_PORT) = c.smtpPort;
        fields.Text(IDC_ACC_FIXED_BCC) = c.bcc;
        FieldsToAccount(fields, a);
        EXPECT_EQ(a.GetReceiveAuth(), c.expectAuth) << c.what;
        EXPECT_EQ(a.GetSmtpPort(), c.expectSmtpPort) << c.what;
        EXPECT_STREQ(a.GetText(41), c.expectBcc) << c.what;
    }
}

TEST(AccountFieldTable, WizardTakesOnlyItsFieldsAndTheRestKeepNewRecordDefaults)
{
    CAccountData a;
    AccountFieldValues fields;
    AccountToFields(&a, fields);
    fields.Text(IDC_ACC_ACCOUNT_NAME) = "仕事";
    fields.Value(IDC_ACC_POP3) = 1;
    fields.Text(IDC_ACC_RECV_PORT) = "143";
    fields.Value(IDC_ACC_AUTH_STD) = 1;
    fields.Text(IDC_ACC_IMAP_DIR) = "INBOX.x";  // shown by the wizard, kept by the account dialog only
    fields.Text(IDC_ACC_SMTP_USER) = "other";
    fields.Value(IDC_ACC_TIMEOUT) = 60;
    a.SetInt(9, 1);
    FieldsToAccount(fields, a, true);
    EXPECT_STREQ(a.GetAccountName(), "仕事");
    EXPECT_EQ(a.GetReceivePort(), 143);
    EXPECT_EQ(a.GetReceiveAuth(), 2);
    EXPECT_STREQ(a.GetImapDirectory(), "");
    EXPECT_STREQ(a.GetSmtpUser(), "");
    EXPECT_EQ(a.GetTimeout(), 10);
    EXPECT_EQ(a.GetInt(9), 0);
    EXPECT_TRUE(a.GetSmtpLogin() && a.GetSmtpCramMd5() && a.GetSmtpPlain());
}

TEST(AccountFieldTable, PasswordsTakenFromTheFieldsAreScrambledOnDisk)
{
    TestSupport::TempDir dir;
    CAccountDataSet set;
    set.SetFilePath(dir.File("Account.dat"));
    auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
    AccountFieldValues fields;
    AccountToFields(a, fields);
    fields.Text(IDC_ACC_RECV_PASSWORD) = "recv-pw";
    fields.Text(IDC_ACC_DIAL_PASSWORD) = "dial-pw";
    fields.Text(IDC_ACC_SMTP_PASSWORD) = "smtp-pw";
    FieldsToAccount(fields, *a);
    ASSERT_TRUE(set.WriteToFile(TRUE));
    std::string file = TestSupport::ReadFileBytes(dir.File("Account.dat"));
    for (const char* plain : { "recv-pw", "dial-pw", "smtp-pw" })
        EXPECT_EQ(file.find(plain), std::string::npos) << plain;
    CAccountDataSet back;
    back.SetFilePath(dir.File("Account.dat"));
    ASSERT_TRUE(back.ReadFromFile(TRUE));
    EXPECT_STREQ(back.GetAccount(0)->GetSmtpPassword(), "smtp-pw");
}
