// "CharSet.dat": names normalised the one way, sizes in twentieths of a
// point, and the language font dialog's add, delete and OK.
#include "coreui/UiTestSupport.h"
#include "resources/settings/SettingsResource.h"
#include "resources/utils/UtilsResource.h"
#include "settings/CharSetNames.h"
#include "settings/DlgLanguageFont.h"
#include "viewer/MailFontSets.h"

#include <gtest/gtest.h>

using namespace UiTest;
using TestSupport::TempDir;

TEST(CharSetTable, NamesAreTrimmedAndUpperCasedWithDoubleByteCharactersWhole)
{
    struct Case
    {
        const char* in;
        const char* out;
    } cases[] = {
        { "iso-2022-jp", "ISO-2022-JP" },
        { "  utf-8\t", "UTF-8" },
        { "\x81\x40" "euc-kr" "\x81\x40", "EUC-KR" },  // double-byte blanks at both ends
        { "ソ ", "ソ" },                              // the trail byte 0x5C is no blank or letter
        { "", "" },
        { "   ", "" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(NormalizeCharSetName(c.in), c.out) << c.in;
    // Letters after a double-byte character are upper-cased; its trail byte is not touched.
    EXPECT_STREQ(NormalizeCharSetName("表a"), "表A");
}

TEST(CharSetTable, ReadsWritesAndFindsByNormalisedName)
{
    TempDir dir;
    CString path = dir.File("CharSet.dat");
    TestSupport::WriteFileBytes(path, "GB2312\tSimSun\t200\t134\r\nBIG5\tMingLiU\r\n");
    CCharSetDataSet table;
    table.SetFilePath(path);
    ASSERT_TRUE(table.ReadFromFile(TRUE));
    ASSERT_EQ(table.GetRecordCount(TRUE), 2);
    EXPECT_STREQ(table.GetCharSet(0)->m_strCharset, "GB2312");
    EXPECT_EQ(table.GetCharSet(1)->m_nHeight, 0) << "missing columns keep the defaults";
    EXPECT_EQ(table.GetCharSet(1)->m_nCharSet, SHIFTJIS_CHARSET) << "a missing charset is Shift_JIS's";
    EXPECT_TRUE(CharSetNameExists(table, " big5 ")) << "names compare without regard to case";
    table.MarkRecordDeleted(table.GetCharSet(1));
    EXPECT_FALSE(CharSetNameExists(table, "BIG5"));
    EXPECT_NE(FindCharSetByName(table, "BIG5"), nullptr) << "finding by name sees deleted records too";
    ASSERT_TRUE(table.WriteToFile(FALSE));
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "GB2312\tSimSun\t200\t134\r\n");
    EXPECT_EQ(PointsOfSize(180), 9);
    EXPECT_EQ(SizeOfChosenPoints(90), 180);
}

TEST(CharSetTable, TheProgramFoldersCopyIsTakenWhenTheMailboxHasNone)
{
    TempDir program, mailbox;
    TestSupport::WriteFileBytes(program.File("CharSet.dat"), "KOI8-R\tArial\t200\t204\r\n");
    CString path = CMailFontSets::GetCharSetFilePath(mailbox.Path(), program.Path());
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "KOI8-R\tArial\t200\t204\r\n");
    TestSupport::WriteFileBytes(path, "");
    CMailFontSets::GetCharSetFilePath(mailbox.Path(), program.Path());
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "") << "the mailbox's own copy stays";
}

TEST(DlgLanguageFont, AddingTwiceAddsOnceAndOkWritesWhatIsLeft)
{
    TempDir dir;
    CString path = dir.File("CharSet.dat");
    TestSupport::WriteFileBytes(path, "GB2312\tSimSun\t200\t134\r\n");
    TestSupport::ClearMessages();
    CDlgLanguageFont dlg(path);
    static int reloads = 0;
    reloads = 0;
    dlg.m_pfnReloadFonts = [] { ++reloads; };
    struct Seen
    {
        CString face, point;
        int countAfterAdds = 0;
        CString selected;
    } seen;
    auto answerName = [](const char* name) {
        for (int i = 0; i < 200; ++i) {
            HWND ask = FindWindowA("#32770", "名前の入力");
            if (ask && IsWindowVisible(ask)) {
                SetDlgItemTextA(ask, IDC_INPUT_NAME, name);
                SendMessageA(ask, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return;
            }
            Sleep(25);
        }
    };
    INT_PTR result = RunModal(dlg, "言語のフォント", [&](HWND hDlg) {
        if (!hDlg)
            return;
        char text[64] = "";
        GetDlgItemTextA(hDlg, IDC_LF_FACE, text, sizeof(text));
        seen.face = text;
        GetDlgItemTextA(hDlg, IDC_LF_POINT, text, sizeof(text));
        seen.point = text;
        for (int i = 0; i < 2; ++i) {
            PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_LF_ADD, BN_CLICKED), 0);
            answerName("koi8-r ");
            Sleep(200);
        }
        HWND combo = GetDlgItem(hDlg, IDC_LF_LANGUAGE);
        seen.countAfterAdds = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        GetWindowTextA(combo, text, sizeof(text));
        seen.selected = text;
        // Deleting the first entry (asked with OK and Cancel).
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        Click(hDlg, IDC_LF_DELETE);
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(seen.face, "SimSun");
    EXPECT_STREQ(seen.point, "10");
    EXPECT_EQ(seen.countAfterAdds, 2);
    EXPECT_STREQ(seen.selected, "KOI8-R");
    ASSERT_FALSE(TestSupport::RecordedMessages().empty());
    EXPECT_EQ(TestSupport::RecordedMessages().back(), "この設定を削除しますか？");
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "KOI8-R\t\t0\t128\r\n");
    EXPECT_EQ(reloads, 1);
}

TEST(DlgLanguageFont, ARequestedMissingNameAsksForItAndCancellingClosesWithoutStoring)
{
    TempDir dir;
    CString path = dir.File("CharSet.dat");
    TestSupport::WriteFileBytes(path, "GB2312\tSimSun\t200\t134\r\n");
    CDlgLanguageFont dlg(path);
    dlg.m_strRequestName = "windows-1251";
    CString asked;
    INT_PTR result = RunModal(dlg, "言語のフォント", [&](HWND) {
        for (int i = 0; i < 200; ++i) {
            HWND ask = FindWindowA("#32770", "名前の入力");
            if (ask && IsWindowVisible(ask)) {
                char text[64] = "";
                GetDlgItemTextA(ask, IDC_INPUT_NAME, text, sizeof(text));
                asked = text;
                SendMessageA(ask, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                return;
            }
            Sleep(25);
        }
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_STREQ(asked, "WINDOWS-1251");
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "GB2312\tSimSun\t200\t134\r\n");
}
