#include "coreui/UiTestSupport.h"
#include "editor/DlgQuoteHeader.h"
#include "editor/EditorFont.h"
#include "EditorTestUtil.h"
#include "resources/editor/EditorResource.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>

using EditorTest::S;
using UiTest::Click;
using UiTest::RunModal;

namespace {

// The field's text, read with room to spare: a rich edit counts
// characters, not bytes.
std::string FieldText(HWND hDlg, int id)
{
    std::string text(64 * 1024, '\0');
    GetDlgItemTextA(hDlg, id, &text[0], static_cast<int>(text.size()));
    text.resize(strlen(text.c_str()));
    return text;
}

std::string FaceName(HWND hDlg, int id)
{
    CHARFORMATA format = {};
    format.cbSize = sizeof(format);
    SendDlgItemMessageA(hDlg, id, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format.szFaceName;
}

struct RichEditLibrary
{
    HMODULE h = LoadLibraryA("RICHED20.DLL");
    ~RichEditLibrary()
    {
        if (h)
            FreeLibrary(h);
    }
};

} // namespace

TEST(DlgQuoteHeader, ShowsBothHeadersAndOkSavesThem)
{
    RichEditLibrary richEdit;
    EditorTest::Mailbox box;
    ASSERT_TRUE(box.app->SaveRetHeader("%FNAME% wrote:\r\n"));
    struct Seen
    {
        std::string reply, forward, help;
        std::string face;
    } seen;
    CDlgQuoteHeader dlg;
    INT_PTR result = RunModal(dlg, "返信/転送ヘッダーの編集", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.reply = FieldText(hDlg, IDC_QH_REPLY);
        seen.forward = FieldText(hDlg, IDC_QH_FORWARD);
        seen.help = FieldText(hDlg, IDC_QH_HELP);
        seen.face = FaceName(hDlg, IDC_QH_FORWARD);
        UiTest::SaveScreenshot(hDlg, "DlgQuoteHeader");
        SetDlgItemTextA(hDlg, IDC_QH_REPLY, "%FROM% さんからのメール\r\n\r\n");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.reply, "%FNAME% wrote:\r\n");
    EXPECT_EQ(seen.forward.find("----- Original Message -----\r\n送信者：%FROM%\r\n"), 0u) << seen.forward;
    EXPECT_EQ(seen.help, S(dlg.m_strHelpText));
    EXPECT_EQ(seen.face, "ＭＳ ゴシック");  // the editor font
    EXPECT_EQ(TestSupport::ReadFileBytes(box.app->GetRetHeaderFilePath()), "%FROM% さんからのメール\r\n\r\n");
    // The forward header was saved as shown: the built-in text, unchanged.
    EXPECT_EQ(S(box.app->LoadFwHeader()), seen.forward);

    // Cancel keeps the files.
    CDlgQuoteHeader cancelled;
    RunModal(cancelled, "返信/転送ヘッダーの編集", [&](HWND hDlg) {
        SetDlgItemTextA(hDlg, IDC_QH_REPLY, "changed");
        Click(hDlg, IDCANCEL);
    });
    EXPECT_EQ(TestSupport::ReadFileBytes(box.app->GetRetHeaderFilePath()), "%FROM% さんからのメール\r\n\r\n");
}

TEST(EditorFont, HeightInTwipsBecomesPixels)
{
    const struct { LONG twips; int ppi; int pixels; } cases[] = {
        {220, 96, 14}, {-220, 96, 14}, {220, 120, 18}, {0, 96, 10}, {10, 96, 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CEditorFont::TwipsToPixels(c.twips, c.ppi), c.pixels) << c.twips << " " << c.ppi;
    EXPECT_STREQ(CEditorFont::GetSetting().lfFaceName, "ＭＳ ゴシック");
    auto source = [](const char* section, LOGFONTA& lf) {
        lf.lfHeight = strcmp(section, "FontEditor") == 0 ? 300 : 1;
        return true;
    };
    CEditorFont::FontSettingSource old = CEditorFont::SetFontSettingSource(source);
    EXPECT_EQ(CEditorFont::GetSetting().lfHeight, 300);
    CEditorFont::SetFontSettingSource(old);
}
