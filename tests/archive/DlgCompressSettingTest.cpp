// The compression dialog offers only the formats whose library is there,
// and the password question at sending can be cancelled into a plain send.
#include "archive/ArchiveTestSupport.h"
#include "coreui/UiTestSupport.h"
#include "editor/ArchivePassword.h"
#include "editor/Archiver.h"
#include "editor/DlgCompressSetting.h"
#include "resources/attach/AttachResource.h"

#include <gtest/gtest.h>

#include <thread>

using ArchiveTest::CStandInLibraries;
using UiTest::Click;
using UiTest::RunModal;

TEST(DlgCompressSetting, AFormatWithoutItsLibraryCannotBeChosen)
{
    TestSupport::TempDir dir;
    UiTest::App app(dir.File("CVM.ini"));
    CStandInLibraries libs;
    app.WriteProfileInt("CompressSetting", "CompressType", 0);
    app.WriteProfileString("CompressSetting", "CompressFileName", "pack");
    struct Seen
    {
        bool zipEnabled = true, zipChecked = true, lhaChecked = false, nameEnabled = false, nameAfterClick = true;
    } seen;
    CDlgCompressSetting dlg(CArchiver(nullptr, libs.Lha()));
    EXPECT_EQ(RunModal(dlg, "添付ファイルの圧縮",
                       [&](HWND hDlg) {
                           seen.zipEnabled = IsWindowEnabled(GetDlgItem(hDlg, IDC_CS_ZIP)) != FALSE;
                           seen.zipChecked = IsDlgButtonChecked(hDlg, IDC_CS_ZIP) == BST_CHECKED;
                           seen.lhaChecked = IsDlgButtonChecked(hDlg, IDC_CS_LHA) == BST_CHECKED;
                           seen.nameEnabled = IsWindowEnabled(GetDlgItem(hDlg, IDC_CS_FILE_NAME)) != FALSE;
                           SendDlgItemMessageA(hDlg, IDC_CS_ONE_FILE, BM_CLICK, 0, 0);
                           seen.nameAfterClick = IsWindowEnabled(GetDlgItem(hDlg, IDC_CS_FILE_NAME)) != FALSE;
                           SendDlgItemMessageA(hDlg, IDC_CS_KEEP, BM_CLICK, 0, 0);
                           Click(hDlg, IDOK);
                       }),
              IDOK);
    EXPECT_FALSE(seen.zipEnabled);
    EXPECT_FALSE(seen.zipChecked);
    EXPECT_TRUE(seen.lhaChecked);
    EXPECT_TRUE(seen.nameEnabled);
    EXPECT_FALSE(seen.nameAfterClick);
    EXPECT_EQ(app.GetProfileInt("CompressSetting", "CompressType", 0), 1);
    EXPECT_EQ(app.GetProfileInt("CompressSetting", "AllFileComp", 1), 0);
    EXPECT_EQ(app.GetProfileInt("CompressSetting", "NotDeleteCompFile", 0), 1);
    EXPECT_STREQ(app.GetProfileString("CompressSetting", "CompressFileName", ""), "pack");
}

TEST(ArchivePassword, ACancelledQuestionSendsWithoutPasswordEvenWithoutTheLibrary)
{
    TestSupport::TempDir dir;
    UiTest::App app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CreateDirectoryA(dir.File("MailBox"), nullptr);
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDYES);  // "... 暗号化されません。よろしいですか？"
    const DWORD self = GetCurrentThreadId();
    std::thread driver([&]() {
        HWND ask = UiTest::WaitForDialog(self, "暗号化パスワードの入力", 10000);
        if (ask)
            PostMessageA(ask, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    CString password = "left over";
    EXPECT_TRUE(SettleArchivePassword(nullptr, CArchiver(nullptr, nullptr), password));
    driver.join();
    EXPECT_TRUE(password.IsEmpty());
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0],
              "パスワードをキャンセルすると、添付ファイルは暗号化されません。\r\nよろしいですか？");
}
