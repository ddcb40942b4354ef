#include "core/FileUtil.h"
#include "core/TextFile.h"
#include "editor/MailEditComposer.h"
#include "editor/MailEditData.h"
#include "editor/ShortCutTemplateData.h"
#include "editor/TemplateFile.h"
#include "EditorTestUtil.h"
#include "resources/editor/EditorResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using EditorTest::S;

namespace {

CTemplateFile FullTemplate()
{
    CTemplateFile t;
    t.m_bSetHeaders = true;
    t.m_strTo = "山田 太郎 <taro@example.co.jp>";
    t.m_strCc = "sato@example.jp";
    t.m_strBcc = "";
    t.m_strSubject = "定例会議のお知らせ";
    t.m_strReplyTo = "me@corvane.example";
    t.m_strSignName = "work";
    t.m_attachPaths.Add("C:\\資料\\agenda.txt");
    t.m_attachPaths.Add("C:\\資料\\map.png");
    t.m_bAttachFile = true;
    t.m_strAttachFileFolder = "C:\\資料";
    t.m_strSendAccount = "main";
    t.m_strBody = "%FNAME%様\r\n\r\nお世話になります。\r\n";
    return t;
}

} // namespace

TEST(TemplateFile, WritesTheEditorsLayoutAndReadsItBack)
{
    EditorTest::Mailbox box;
    CString path = GetTemplateFilePath("会議");
    ASSERT_TRUE(FullTemplate().Write(path));
    EXPECT_EQ(TestSupport::ReadFileBytes(path),
              "X-SetHeaders: 定例会議のお知らせ\r\n"
              "To: 山田 太郎 <taro@example.co.jp>\r\n"
              "Cc: sato@example.jp\r\n"
              "Bcc: \r\n"
              "Subject: 定例会議のお知らせ\r\n"
              "Reply-To: me@corvane.example\r\n"
              "X-SignName: work\r\n"
              "X-Attach_File_Path: C:\\資料\\agenda.txt\r\n"
              "X-Attach_File_Path: C:\\資料\\map.png\r\n"
              "X-AttachFile: ON\r\n"
              "X-AttachFileFolder: C:\\資料\r\n"
              "X-SendAcount: main\r\n"
              "\r\n"
              "%FNAME%様\r\n\r\nお世話になります。\r\n");
    CTemplateFile back;
    ASSERT_TRUE(back.Read(path));
    EXPECT_EQ(S(back.Format()), S(FullTemplate().Format()));

    // Switches off: no presence lines, fields still written and read.
    CTemplateFile plain = FullTemplate();
    plain.m_bSetHeaders = false;
    plain.m_bAttachFile = false;
    plain.m_strSendAccount.Empty();
    ASSERT_TRUE(plain.Write(path));
    ASSERT_TRUE(back.Read(path));
    EXPECT_FALSE(back.m_bSetHeaders);
    EXPECT_FALSE(back.m_bAttachFile);
    EXPECT_EQ(S(back.m_strTo), "山田 太郎 <taro@example.co.jp>");
    EXPECT_EQ(S(back.m_strSendAccount), "");
    EXPECT_EQ(TestSupport::ReadFileBytes(path).find("X-SendAcount"), std::string::npos);

    // A file without an empty line is all body.
    TestSupport::WriteFileBytes(path, "Subject: not a header block\r\nbody\r\n");
    ASSERT_TRUE(back.Read(path));
    EXPECT_EQ(S(back.m_strBody), "Subject: not a header block\r\nbody\r\n");
    EXPECT_FALSE(back.Read(GetTemplateFilePath("missing")));
}

TEST(TemplateFile, NamesThatCannotBeFileNamesAreRefused)
{
    const struct { const char* name; UINT message; } cases[] = {
        {"会議", 0}, {"notes.txt", 0}, {".", IDS_DOT_NAMES}, {"..", IDS_DOT_NAMES},
        {"a/b", IDS_TEMPLATE_NAME_CHARS}, {"a:b", IDS_TEMPLATE_NAME_CHARS}, {"what?", IDS_TEMPLATE_NAME_CHARS},
        {"\"q\"", IDS_TEMPLATE_NAME_CHARS}, {"ソフト表", 0},  // trail bytes 0x5C are not backslashes
        // A lead byte before a slash does not hide it; a device name is no file.
        {"\xCB\xFF\xFB/\xFB\xFF\xFF", IDS_TEMPLATE_NAME_CHARS}, {"con.txt", IDS_TEMPLATE_NAME_CHARS},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CTemplateFile::CheckName(c.name), c.message) << c.name;
}

TEST(TemplateFile, NewMailFromTemplateFillsTheFields)
{
    EditorTest::Mailbox box;
    CString path = GetTemplateFilePath("会議");
    ASSERT_TRUE(FullTemplate().Write(path));
    CMailEditData data;
    data.m_strTo = "first@example.jp";
    data.m_strBody = "before|after";
    data.m_nSelStart = data.m_nSelEnd = 7;
    CMailEditComposer composer;
    ASSERT_TRUE(composer.ApplyTemplate(data, path, -1, nullptr, 5, false));
    EXPECT_EQ(S(data.m_strTo), "first@example.jp,山田 太郎 <taro@example.co.jp>");
    EXPECT_EQ(S(data.m_strCc), "sato@example.jp");
    EXPECT_EQ(S(data.m_strSubject), "定例会議のお知らせ");
    EXPECT_EQ(S(data.m_strAccountName), "main");
    EXPECT_EQ(S(data.m_strReplyTo), "me@corvane.example");
    ASSERT_EQ(data.m_attachFiles.GetSize(), 2);
    EXPECT_EQ(S(data.m_attachFiles[1]), "C:\\資料\\map.png");
    EXPECT_EQ(S(data.m_strAttachDialogFolder), "C:\\資料");
    // Without a source mail the macros of the mail are empty; the body goes
    // to the caret.
    EXPECT_EQ(S(data.m_strBody), "before|様\r\n\r\nお世話になります。\r\nafter");
    EXPECT_EQ(data.m_nInsertStart, 7);
    EXPECT_EQ(data.m_nSelStart, 7);
    EXPECT_EQ(S(data.m_strSignName), "work");
    EXPECT_TRUE(data.m_bInsertSignature);
    EXPECT_EQ(S(data.m_strAttachFolder), "");  // no source mail to take attachments from

    // Clearing the addresses first.
    ASSERT_TRUE(composer.ApplyTemplate(data, path, -1, nullptr, 5, true));
    EXPECT_EQ(S(data.m_strTo), "山田 太郎 <taro@example.co.jp>");
    EXPECT_FALSE(composer.ApplyTemplate(data, GetTemplateFilePath("missing"), -1, nullptr, 5, true));
}

TEST(TemplateFile, ReplyFromTemplateExpandsTheSourceMail)
{
    EditorTest::Mailbox box;
    int index = box.File(box.inbox, EditorTest::ListMail());
    CString path = GetTemplateFilePath("返信");
    TestSupport::WriteFileBytes(path, "Subject: ignored without X-SetHeaders\r\nX-SignName: \r\n\r\n"
                                      "%FNAME%さん、%NHSUBJECT%の件です。\r\n%REFBODY%--\r\n%$X-MAILER$%\r\n");
    CMailEditData data;
    CMailEditComposer composer;
    ASSERT_TRUE(composer.SetMailData(data, index, &box.inbox, 6, nullptr, -1));
    ASSERT_TRUE(composer.ApplyTemplate(data, path, index, &box.inbox, 6, false));
    EXPECT_EQ(S(data.m_strSubject), "Re: [project:12] Re[2]: 会議の件");
    EXPECT_EQ(S(data.m_strTo), "project@example.jp");
    EXPECT_EQ(S(data.m_strBody), "山田 太郎さん、会議の件の件です。\r\n"
                                 ">山田です。\r\n>\r\n>来週の会議は延期します。\r\n>.隠し行\r\n"
                                 "--\r\nTestMailer 1.0\r\n");
    EXPECT_FALSE(data.m_bInsertSignature);
}

TEST(ShortCutTemplate, NineSlotsAreKeptAndReadBack)
{
    EditorTest::Mailbox box;
    CString path = box.app->GetShortCutTemplatePath();
    CShortCutTemplateData table;
    table.SetFilePath(path);
    ASSERT_TRUE(table.ReadFromFile(TRUE));  // a missing file is an empty table
    EXPECT_EQ(table.GetRecordCount(), 0);
    const CShortCutTemplateData::Row rows[9] = {
        {"会議", true, false}, {"", false, false}, {"notes.txt", false, true}, {"お礼", false, false},
        {"", false, false}, {"", false, false}, {"", false, false}, {"", false, false}, {"最後", true, true},
    };
    ASSERT_TRUE(table.Register(rows));
    EXPECT_EQ(TestSupport::ReadFileBytes(path),
              "会議\t1\t0\r\n\t0\t0\r\nnotes.txt\t0\t1\r\nお礼\t0\t0\r\n\t0\t0\r\n\t0\t0\r\n\t0\t0\r\n\t0\t0\r\n"
              "最後\t1\t0\r\n");
    CShortCutTemplateData back;
    back.SetFilePath(path);
    ASSERT_TRUE(back.ReadFromFile(TRUE));
    ASSERT_EQ(back.GetRecordCount(), 9);
    const int kinds[9] = {6, 0, 7, 5, 0, 0, 0, 0, 6};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(back.GetSlotMailKind(i), kinds[i]) << i;
    EXPECT_EQ(S(back.GetSlot(2)->m_strName), "notes.txt");

    // Any non-zero number reads as on.
    TestSupport::WriteFileBytes(path, "a\t7\t0\r\n");
    ASSERT_TRUE(back.ReadFromFile(TRUE));
    EXPECT_EQ(back.GetSlot(0)->m_bReply, 1);
}

TEST(TemplateFile, SavingUnderANameAsksOnlyBeforeReplacingAnother)
{
    EditorTest::Mailbox box;
    CTemplateFile t = FullTemplate();
    UINT message = 0;
    EXPECT_EQ(t.SaveAs("", "会議", false), CBoxFiles::saved);
    EXPECT_EQ(t.SaveAs("", "お礼", false), CBoxFiles::saved);
    // Keeping the name it was opened with never asks.
    EXPECT_EQ(t.SaveAs("会議", "会議", false), CBoxFiles::saved);
    // Renaming onto another template asks first.
    EXPECT_EQ(t.SaveAs("会議", "お礼", false, &message), CBoxFiles::needsOverwrite);
    EXPECT_EQ(message, static_cast<UINT>(IDS_TEMPLATE_OVERWRITE));
    EXPECT_EQ(t.SaveAs("", "会議", false), CBoxFiles::needsOverwrite);
    EXPECT_EQ(t.SaveAs("会議", "a*b", false, &message), CBoxFiles::badName);
    EXPECT_EQ(message, static_cast<UINT>(IDS_TEMPLATE_NAME_CHARS));
    // A rename writes the new file and leaves the old one.
    EXPECT_EQ(t.SaveAs("会議", "notes.txt", false), CBoxFiles::saved);

    // The selection list shows whole names; the call registration drops
    // the part after the last dot.
    CStringArray names;
    CBoxFiles::ListNames(box.app->GetTemplateBoxPath(), names, false);
    std::set<std::string> whole, bare;
    for (int i = 0; i < names.GetSize(); ++i)
        whole.insert(S(names[i]));
    CBoxFiles::ListNames(box.app->GetTemplateBoxPath(), names, true);
    for (int i = 0; i < names.GetSize(); ++i)
        bare.insert(S(names[i]));
    EXPECT_EQ(whole, (std::set<std::string>{"会議", "お礼", "notes.txt"}));
    EXPECT_EQ(bare, (std::set<std::string>{"会議", "お礼", "notes"}));
}
