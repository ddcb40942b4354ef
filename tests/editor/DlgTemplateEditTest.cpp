// The template edit dialog on a real template file: loading every field,
// the header fields that follow their check, writing under a new name, and
// the names it refuses or asks about.
#include "coreui/UiTestSupport.h"
#include "core/FileUtil.h"
#include "editor/DlgTemplateEdit.h"
#include "editor/TemplateFile.h"
#include "EditorTestUtil.h"
#include "resources/attach/AttachResource.h"

#include <gtest/gtest.h>

#include <string>

using EditorTest::S;
using UiTest::Click;
using UiTest::RunModal;

namespace {

struct RichEditLibrary
{
    HMODULE h = LoadLibraryA("RICHED20.DLL");
    ~RichEditLibrary()
    {
        if (h)
            FreeLibrary(h);
    }
};

std::string Text(HWND hDlg, int id)
{
    char text[512] = "";
    GetDlgItemTextA(hDlg, id, text, sizeof(text));
    return text;
}

std::string ComboSelection(HWND hDlg, int id)
{
    HWND combo = GetDlgItem(hDlg, id);
    LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char text[256] = "";
    if (sel != CB_ERR)
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text));
    return sel == CB_ERR ? "(none)" : text;
}

} // namespace

TEST(DlgTemplateEdit, LoadsEveryFieldAndSavesUnderANewNameKeepingTheOld)
{
    RichEditLibrary riched;
    EditorTest::Mailbox box;
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    CreateDirectoryA(box.app->GetSignatureBoxPath(), nullptr);
    TestSupport::WriteFileBytes(CombinePath(box.app->GetSignatureBoxPath(), "work.txt"), "--\r\n山田\r\n");
    CreateDirectoryA(box.app->GetTemplateBoxPath(), nullptr);
    CTemplateFile t;
    t.m_strTo = "山田 太郎 <taro@example.co.jp>";
    t.m_strSubject = "定例会議";
    t.m_strSignName = "work";
    t.m_attachPaths.Add(box.dir.File("agenda.txt"));
    t.m_attachPaths.Add(box.dir.File("map.png"));
    t.m_strAttachFileFolder = "C:\\資料";
    t.m_strSendAccount = "MAIN";
    t.m_strBody = "%FNAME%様\r\nお世話になります。\r\n";
    ASSERT_TRUE(t.Write(GetTemplateFilePath("会議")));
    ASSERT_TRUE(t.Write(GetTemplateFilePath("お礼")));

    struct Seen
    {
        std::string to, subject, body, account, sign, folder, help;
        bool toEnabled = true, toEnabledAfterCheck = false;
        int attachments = -1;
    } seen;
    CDlgTemplateEdit dlg("会議");
    INT_PTR result = RunModal(dlg, "テンプレートの編集", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.to = Text(hDlg, IDC_TE_TO);
        seen.subject = Text(hDlg, IDC_TE_SUBJECT);
        seen.body = Text(hDlg, IDC_TE_BODY);
        seen.account = ComboSelection(hDlg, IDC_TE_ACCOUNT);
        seen.sign = ComboSelection(hDlg, IDC_TE_SIGN);
        seen.folder = Text(hDlg, IDC_TE_ATTACH_FOLDER);
        seen.help = Text(hDlg, IDC_TE_MACRO_HELP);
        seen.toEnabled = IsWindowEnabled(GetDlgItem(hDlg, IDC_TE_TO)) != FALSE;
        seen.attachments = static_cast<int>(SendDlgItemMessageA(hDlg, IDC_TE_ATTACH_LIST, LVM_GETITEMCOUNT, 0, 0));
        SendDlgItemMessageA(hDlg, IDC_TE_SET_HEADERS, BM_CLICK, 0, 0);
        seen.toEnabledAfterCheck = IsWindowEnabled(GetDlgItem(hDlg, IDC_TE_TO)) != FALSE;
        SetDlgItemTextA(hDlg, IDC_TE_SUBJECT, "定例会議（改）");
        // Another template's name is only taken when confirmed; a bad name never.
        SetDlgItemTextA(hDlg, IDC_TE_NAME, "お礼");
        TestSupport::QueueMessageBoxAnswer(IDNO);
        Click(hDlg, IDOK);
        SetDlgItemTextA(hDlg, IDC_TE_NAME, "会議:2");
        Click(hDlg, IDOK);
        SetDlgItemTextA(hDlg, IDC_TE_NAME, "会議2");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.to, "山田 太郎 <taro@example.co.jp>");
    EXPECT_EQ(seen.subject, "定例会議");
    EXPECT_EQ(seen.body, "%FNAME%様\r\nお世話になります。\r\n");
    EXPECT_EQ(seen.account, "main");  // the first account name that begins with it, any case
    EXPECT_EQ(seen.sign, "work");
    EXPECT_EQ(seen.folder, "C:\\資料");
    EXPECT_NE(seen.help.find("%REPLY-TO%"), std::string::npos);
    EXPECT_FALSE(seen.toEnabled);
    EXPECT_TRUE(seen.toEnabledAfterCheck);
    EXPECT_EQ(seen.attachments, 2);
    const auto& messages = TestSupport::RecordedMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "既に同名のテンプレートが登録されています。\r\n上書きしてもよろしいですか？");
    EXPECT_EQ(messages[1].find("テンプレート名に使用できない文字が含まれています。"), 0u);

    EXPECT_EQ(S(dlg.m_strName), "会議2");
    CTemplateFile saved;
    ASSERT_TRUE(saved.Read(GetTemplateFilePath("会議2")));
    EXPECT_TRUE(saved.m_bSetHeaders);
    EXPECT_EQ(S(saved.m_strSubject), "定例会議（改）");
    EXPECT_EQ(S(saved.m_strSignName), "work");
    EXPECT_EQ(S(saved.m_strSendAccount), "main");
    ASSERT_EQ(saved.m_attachPaths.GetSize(), 2);
    EXPECT_EQ(S(saved.m_attachPaths[0]), S(box.dir.File("map.png")));  // rows run from the greatest path
    EXPECT_EQ(S(saved.m_strBody), "%FNAME%様\r\nお世話になります。\r\n");
    // The old file stays; the other template was not touched.
    EXPECT_TRUE(FileExists(GetTemplateFilePath("会議")));
    CTemplateFile other;
    ASSERT_TRUE(other.Read(GetTemplateFilePath("お礼")));
    EXPECT_EQ(S(other.m_strSubject), "定例会議");
}
