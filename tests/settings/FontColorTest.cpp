// Fonts, colours and keyword colours: what is shown is what is written, and
// only what changed is written.
#include "coreui/UiTestSupport.h"
#include "resources/settings/SettingsResource.h"
#include "settings/DlgFontColor.h"
#include "settings/DlgKeywordColor.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using namespace UiTest;
using TestSupport::TempDir;

namespace {

LOGFONTA Font(const char* face, int height)
{
    LOGFONTA lf = {};
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    lf.lfHeight = height;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    return lf;
}

} // namespace

TEST(FontSettings, OnlyTheChangedPartsOfAFontAreWritten)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    LOGFONTA before = Font("ＭＳ ゴシック", 220);
    struct Case
    {
        const char* what;
        void (*change)(LOGFONTA&);
        const char* expected;
    } cases[] = {
        { "nothing", [](LOGFONTA&) {}, "" },
        { "size", [](LOGFONTA& lf) { lf.lfHeight = 180; }, "[FontEditor]\r\nHeight=dword:180\r\n\r\n" },
        { "face and bold", [](LOGFONTA& lf) { lstrcpyA(lf.lfFaceName, "IPAGothic"); lf.lfWeight = 700; },
          "[FontEditor]\r\nFaceName=\"IPAGothic\"\r\nWeight=dword:700\r\n\r\n" },
    };
    for (const Case& c : cases) {
        App fresh(dir.File(CString(c.what) + ".ini"));
        LOGFONTA lf = before;
        c.change(lf);
        WriteFontSetting(fresh, "FontEditor", lf, before);
        ASSERT_TRUE(fresh.SaveProfileFile());
        EXPECT_EQ(TestSupport::ReadFileBytes(dir.File(CString(c.what) + ".ini")), c.expected) << c.what;
    }
}

TEST(DlgFontColor, ShowsTheStoredColoursAndAnUntouchedOkWritesNothing)
{
    TempDir dir;
    const char ini[] = "[Color]\r\nListTextColor=dword:255\r\n\r\n";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), ini);
    App app(dir.File("CVM.ini"));
    app.LoadProfileFile(dir.File("CVM.ini"));
    LOGFONTA fonts[5] = { Font("A", 200), Font("B", 220), Font("C", 240), Font("D", 260), Font("E", 280) };
    CDlgFontColor dlg(fonts[0], fonts[1], fonts[2], fonts[3], fonts[4], app);
    CString face, size;
    INT_PTR result = RunModal(dlg, "フォントと色の設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        char text[64] = "";
        GetDlgItemTextA(hDlg, IDC_FC_FACE_FIRST + CDlgFontColor::fontView, text, sizeof(text));
        face = text;
        GetDlgItemTextA(hDlg, IDC_FC_SIZE_FIRST + CDlgFontColor::fontView, text, sizeof(text));
        size = text;
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(face, "D");
    EXPECT_STREQ(size, "13");
    // A missing "未読" colour shows the stored list text colour.
    EXPECT_EQ(dlg.m_colors.Int("ListTextColorNoRead"), 255);
    EXPECT_EQ(dlg.m_colors.Int("ListBkColor"), static_cast<int>(RGB(166, 188, 246)));
    EXPECT_EQ(dlg.m_colors.Save(app), 0);
    for (int i = 0; i < CDlgFontColor::fontCount; ++i)
        WriteFontSetting(app, CDlgFontColor::s_fontSections[i], dlg.m_fonts[i], fonts[i]);
    ASSERT_TRUE(app.SaveProfileFile());
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("CVM.ini")), ini);
}

TEST(DlgKeywordColor, EmptyKeywordsAreRefusedAndOkWritesTheRowsInOrder)
{
    TempDir dir;
    CString path = dir.File("KeywordList.dat");
    TestSupport::WriteFileBytes(path, "255\t至急\t1\r\n");
    TestSupport::ClearMessages();
    CDlgKeywordColor dlg(path);
    int rowsShown = -1;
    CString boldMark;
    INT_PTR result = RunModal(dlg, "キーワードの色", [&](HWND hDlg) {
        if (!hDlg)
            return;
        HWND list = GetDlgItem(hDlg, IDC_KW_LIST);
        rowsShown = ListView_GetItemCount(list);
        char text[16] = "";
        ListView_GetItemText(list, 0, 2, text, sizeof(text));
        boldMark = text;
        Click(hDlg, IDC_KW_ADD);  // empty keyword
        SetDlgItemTextA(hDlg, IDC_KW_KEYWORD, "会議");
        Click(hDlg, IDC_KW_ADD);
        // The first row, made plain.
        ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        CheckDlgButton(hDlg, IDC_KW_BOLD, BST_UNCHECKED);
        Click(hDlg, IDC_KW_UPDATE);
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rowsShown, 1);
    EXPECT_STREQ(boldMark, "○");
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0], "キーワードに空文字は指定できません。");
    CString black;
    black.Format("%lu", static_cast<unsigned long>(GetSysColor(COLOR_WINDOWTEXT)));
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "255\t至急\t0\r\n" + std::string(black) + "\t会議\t0\r\n");
}
