#include "core/FileUtil.h"
#include "editor/AutoSignData.h"
#include "editor/BodySignature.h"
#include "editor/MailEditData.h"
#include "editor/SignatureFiles.h"
#include "EditorTestUtil.h"
#include "resources/editor/EditorResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using EditorTest::S;

namespace {

std::set<std::string> Names(const CString& folder)
{
    CStringArray names;
    CSignatureFiles::ListNames(folder, names);
    std::set<std::string> out;
    for (int i = 0; i < names.GetSize(); ++i)
        out.insert(S(names[i]));
    return out;
}

} // namespace

TEST(AutoSignature, FirstMatchingRuleWins)
{
    EditorTest::Mailbox box;
    CString path = box.app->GetAutoSignPath();
    TestSupport::WriteFileBytes(path, "社外\t1\t@client.example\r\n"
                                      "社内\t0\t@corvane.example\r\n"
                                      "見積\t2\t見積\r\n"
                                      "全部\t2\t\r\n");
    CAutoSignData rules;
    rules.SetFilePath(path);
    const struct { const char* to; const char* cc; const char* subject; const char* sign; } cases[] = {
        {"a@client.example", "", "x", "社外"},
        {"b@other.example", "a@client.example", "x", "全部"},  // item 1 does not look at Cc
        {"b@other.example", "boss@corvane.example", "x", "社内"},  // item 0 does
        {"a@client.example", "boss@corvane.example", "x", "社外"},  // the higher rule wins
        {"b@other.example", "", "お見積の件", "見積"},
        {"B@CLIENT.EXAMPLE", "", "x", "全部"},  // byte-wise, letter case counts
        {"", "", "", "全部"},  // an empty text occurs everywhere
    };
    for (const auto& c : cases)
        EXPECT_STREQ(rules.FindSignature(c.to, c.cc, c.subject), c.sign) << c.to << " " << c.cc;

    // Moving the catch-all rule up is written at once.
    ASSERT_TRUE(rules.SwapRules(2, 3));
    ASSERT_TRUE(rules.SwapRules(1, 2));
    ASSERT_TRUE(rules.SwapRules(0, 1));
    CAutoSignData reread;
    reread.SetFilePath(path);
    EXPECT_STREQ(reread.FindSignature("a@client.example", "", "見積"), "全部");
    EXPECT_EQ(TestSupport::ReadFileBytes(path).substr(0, 9), "全部\t2\t\r\n");

    // Deleted rules are skipped and not written.
    reread.MarkRecordDeleted(reread.GetRule(0));
    EXPECT_STREQ(reread.FindSignature("a@client.example", "", "x"), "社外");
    ASSERT_TRUE(reread.WriteToFile());
    EXPECT_EQ(TestSupport::ReadFileBytes(path).find("全部"), std::string::npos);

    // No file: no rule.
    CAutoSignData none;
    none.SetFilePath(box.dir.File("missing.dat"));
    EXPECT_STREQ(none.FindSignature("a", "b", "c"), "");
    EXPECT_STREQ(GetAutoSignItemText(1), "宛先（CCを含まない）");
    EXPECT_STREQ(GetAutoSignItemText(3), "");
}

TEST(AutoSignature, AutomaticChoiceFallsBackToFolderThenAccount)
{
    EditorTest::Mailbox box;
    TestSupport::WriteFileBytes(box.app->GetAutoSignPath(), "rule\t2\turgent\r\n");
    CAutoSignData& rules = *box.app->GetAutoSignData();
    EXPECT_STREQ(CBodySignature::ChooseAutomatic(rules, "", "", "urgent", "folder", "account"), "rule");
    EXPECT_STREQ(CBodySignature::ChooseAutomatic(rules, "", "", "calm", "folder", "account"), "folder");
    EXPECT_STREQ(CBodySignature::ChooseAutomatic(rules, "", "", "calm", "", "account"), "account");
}

TEST(SignatureFiles, SaveRenameCopyAndDelete)
{
    EditorTest::Mailbox box;
    CString folder = box.app->GetSignatureBoxPath();
    EXPECT_EQ(CSignatureFiles::Save("", "仕事", "--\r\n山田\r\n", false), CBoxFiles::saved);
    EXPECT_EQ(S(CSignatureFiles::LoadText("仕事")), "--\r\n山田\r\n");
    EXPECT_EQ(S(CSignatureFiles::LoadInsertText("仕事")), "\r\n--\r\n山田\r\n");
    EXPECT_EQ(S(CSignatureFiles::LoadInsertText(CMailEditData::kSignAuto)), "");
    EXPECT_EQ(S(CSignatureFiles::LoadInsertText("missing")), "");
    // A stored mail's "X-SignName" never reaches a file outside the folder.
    TestSupport::WriteFileBytes(box.app->GetMailBoxFolder() + "\\secret.sig", "secret");
    EXPECT_EQ(S(CSignatureFiles::LoadInsertText("..\\secret")), "");

    // Bad names keep the dialog open with their message.
    UINT message = 0;
    EXPECT_EQ(CSignatureFiles::Save("", "..", "x", false, &message), CBoxFiles::badName);
    EXPECT_EQ(message, static_cast<UINT>(IDS_DOT_NAMES));
    EXPECT_EQ(CSignatureFiles::Save("", "a|b", "x", false, &message), CBoxFiles::badName);
    EXPECT_EQ(message, static_cast<UINT>(IDS_SIGNATURE_NAME_CHARS));

    // Copy keeps both; a copy onto an existing name asks first.
    EXPECT_EQ(CSignatureFiles::Copy("仕事", "private", false), CBoxFiles::saved);
    EXPECT_EQ(Names(folder), (std::set<std::string>{"仕事", "private"}));
    EXPECT_EQ(CSignatureFiles::Copy("仕事", "private", false), CBoxFiles::needsOverwrite);

    // Renaming onto another signature asks; confirmed, only the new file is left.
    EXPECT_EQ(CSignatureFiles::Save("仕事", "private", "new text", false), CBoxFiles::needsOverwrite);
    EXPECT_EQ(CSignatureFiles::Save("仕事", "private", "new text", true), CBoxFiles::saved);
    EXPECT_EQ(Names(folder), (std::set<std::string>{"private"}));
    EXPECT_EQ(S(CSignatureFiles::LoadText("private")), "new text");

    // A rename that changes only the letter case keeps the signature (the
    // old and new names are one file on Windows) and asks nothing.
    EXPECT_EQ(CSignatureFiles::Save("private", "Private", "kept", false), CBoxFiles::saved);
    EXPECT_EQ(Names(folder), (std::set<std::string>{"Private"}));
    EXPECT_EQ(S(CSignatureFiles::LoadText("Private")), "kept");

    // Saving under the opened name never asks.
    EXPECT_EQ(CSignatureFiles::Save("Private", "Private", "again", false), CBoxFiles::saved);
    EXPECT_TRUE(CSignatureFiles::Delete("Private"));
    EXPECT_TRUE(Names(folder).empty());
}

TEST(BoxFiles, ListsSelectTheFirstNameBeginningWithTheOld)
{
    CStringArray names;
    for (const char* n : {"work", "Private", "private2", "署名"})
        names.Add(n);
    const struct { const char* name; int index; } cases[] = {
        {"private", 1}, {"PRIV", 1}, {"private2", 2}, {"署", 3}, {"none", -1}, {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CBoxFiles::FindNameInList(names, c.name), c.index) << c.name;
}

TEST(BodySignature, SwitchingReplacesOnlyTheInsertedSignature)
{
    // A forward whose quoted copy carries the same signature as the one the
    // editor appends: switching must not touch the copy.
    const CString sign = "\r\n--\r\n山田 太郎\r\n";
    const CString forwarded = "----- Original Message -----\r\n本文\r\n--\r\n山田 太郎\r\n";
    CString body = forwarded + "\r\n\r\n";
    CBodySignature signature;
    signature.Insert(body, "仕事", sign, false);
    EXPECT_EQ(S(body), S(forwarded.Left(forwarded.GetLength() - 2) + sign));

    signature.Insert(body, "private", "\r\n-- \r\nTaro\r\n", false);
    EXPECT_EQ(S(body), S(forwarded.Left(forwarded.GetLength() - 2) + "\r\n-- \r\nTaro\r\n"));

    // "追加しない" removes it and adds nothing; the copy above stays.
    signature.Insert(body, CMailEditData::kSignNone, "", false);
    EXPECT_EQ(S(body), S(forwarded.Left(forwarded.GetLength() - 2)));
    EXPECT_STREQ(signature.GetName(), CMailEditData::kSignNone);
}

TEST(BodySignature, EditsBeforeTheSignatureMoveItsPlace)
{
    CString body = "本文";
    CBodySignature signature;
    signature.Insert(body, "a", "\r\n--\r\nA\r\n", false);
    // The user types at the start of the body and then after the signature.
    body.Insert(0, "追記。");
    signature.OnBodyEdited(0, 0, static_cast<int>(strlen("追記。")));
    body += "PS\r\n";
    signature.OnBodyEdited(body.GetLength() - 4, 0, 4);
    signature.Insert(body, "b", "\r\n--\r\nB\r\n", false);
    EXPECT_EQ(S(body), "追記。本文PS\r\n--\r\nB\r\n");

    // An empty body gets one line end before the signature.
    CString empty;
    CBodySignature other;
    other.Insert(empty, "a", "\r\n--\r\nA\r\n", false);
    EXPECT_EQ(S(empty), "\r\n\r\n--\r\nA\r\n");

    // At the caret, the earlier signature stays.
    CString text = "abc";
    CBodySignature caret;
    caret.Insert(text, "a", "[A]", false);
    caret.Insert(text, "b", "[B]", true, 1);
    EXPECT_EQ(S(text), "a[B]bc[A]");
}
