#include "settings/DlgFontColor.h"

#include "core/DlgSelectFont.h"
#include "core/FontUtil.h"
#include "core/MailApp.h"
#include "resources/settings/SettingsResource.h"
#include "viewer/ColorTextPreview.h"

#include <cstring>

namespace {

const SettingBinding kColorKeys[CDlgFontColor::ColorCount] = {
#define COLOR_KEY(k) { "Color", k, SettingBinding::kNone, 0, 0, nullptr }
    COLOR_KEY("TreeBkColor"),     COLOR_KEY("TreeTextColor"),       COLOR_KEY("TreeNotReadColor"),
    COLOR_KEY("TreeNotReadColor2"), COLOR_KEY("TreeMailCount"),     COLOR_KEY("ListBkColor"),
    COLOR_KEY("ListTextColor"),   COLOR_KEY("ListTextColorNoRead"), COLOR_KEY("EditorBkColor"),
    COLOR_KEY("EditorTextColor"), COLOR_KEY("EditorFileTrayColor"), COLOR_KEY("ViewBkColor"),
    COLOR_KEY("ViewTextColor"),   COLOR_KEY("RefTextColor1"),       COLOR_KEY("RefTextColor2"),
    COLOR_KEY("RefTextColor3"),   COLOR_KEY("RefTextColor4"),       COLOR_KEY("URLTextColor"),
    COLOR_KEY("AddressTextColor"), COLOR_KEY("ViewFileTrayColor"),
#undef COLOR_KEY
};

const char kPreviewText[] =
    "AaBbYyZz\r\n"
    ">> 引用の中の引用\r\n"
    "> 引用の文章\r\n"
    "メールの本文の文字。\r\n"
    "# コメントの行\r\n"
    "http://www.example.co.jp/\r\n"
    "someone@example.co.jp\r\n";

} // namespace

const char* const CDlgFontColor::s_fontSections[fontCount] = { "FontFolder", "FontList", "FontEditor", "Font",
                                                               "FontViewHeader" };

const char* CDlgFontColor::ColorKey(int nIndex)
{
    return kColorKeys[nIndex].pszKey;
}

CDlgFontColor::CDlgFontColor(const LOGFONTA& folder, const LOGFONTA& list, const LOGFONTA& editor,
                             const LOGFONTA& view, const LOGFONTA& header, CMailApp& app, CWnd* pParent)
    : CDialog(IDD_FONT_COLOR, pParent)
{
    m_fonts[fontFolder] = folder;
    m_fonts[fontList] = list;
    m_fonts[fontEditor] = editor;
    m_fonts[fontView] = view;
    m_fonts[fontHeader] = header;
    m_colors.Load(app, kColorKeys, ColorCount);
}

CDlgFontColor::~CDlgFontColor() = default;

BOOL CDlgFontColor::OnInitDialog()
{
    for (int i = 0; i < fontCount; ++i)
        ShowFont(i);
    for (int i = 0; i < ColorCount; ++i) {
        m_colorButtons[i].SubclassDlgItem(IDC_FC_COLOR_FIRST + i, this);
        m_colorButtons[i].SetColor(static_cast<COLORREF>(m_colors.Int(ColorKey(i))));
    }
    HWND area = GetDlgItemHwnd(IDC_FC_PREVIEW);
    RECT rc;
    ::GetWindowRect(area, &rc);
    ScreenToClient(&rc);
    ::ShowWindow(area, SW_HIDE);
    m_pPreview = new CColorTextPreview;
    if (m_pPreview->Create(this, IDC_FC_PREVIEW + 100, rc)) {
        m_pPreview->SetText(kPreviewText);
        UpdatePreview();
    } else {
        delete m_pPreview;
        m_pPreview = nullptr;
    }
    return TRUE;
}

void CDlgFontColor::ShowFont(int nFont)
{
    const LOGFONTA& lf = m_fonts[nFont];
    SetDlgItemText(IDC_FC_FACE_FIRST + nFont, lf.lfFaceName);
    CString size;
    size.Format("%d", static_cast<int>(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight) / 20);
    SetDlgItemText(IDC_FC_SIZE_FIRST + nFont, size);
    SetDlgItemText(IDC_FC_SCRIPT_FIRST + nFont, GetCharSetScriptName(lf.lfCharSet));
}

void CDlgFontColor::ChooseFontFor(int nFont)
{
    LOGFONTA lf = m_fonts[nFont];
    HDC dc = ::GetDC(nullptr);
    lf.lfHeight = -MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, ::GetDeviceCaps(dc, LOGPIXELSY), 1440);
    ::ReleaseDC(nullptr, dc);
    CDlgSelectFont dlg(&lf, CF_SCREENFONTS, this);
    if (dlg.DoModal() != IDOK)
        return;
    LOGFONTA chosen = dlg.GetLogFont();
    chosen.lfHeight = dlg.GetSize() * 2;
    m_fonts[nFont] = chosen;
    ShowFont(nFont);
    if (nFont == fontView)
        UpdatePreview();
}

void CDlgFontColor::UpdatePreview()
{
    if (!m_pPreview || !m_pPreview->m_hWnd)
        return;
    auto color = [this](const char* key) {
        for (int i = 0; i < ColorCount; ++i) {
            if (lstrcmpA(ColorKey(i), key) == 0)
                return m_colorButtons[i].GetColor();
        }
        return COLORREF(0);
    };
    LOGFONTA lf = m_fonts[fontView];
    m_pPreview->SetFontAndColors(lf, color("ViewTextColor"), color("RefTextColor1"), color("RefTextColor2"),
                                 color("RefTextColor3"), color("RefTextColor4"), color("URLTextColor"),
                                 color("AddressTextColor"), color("ViewBkColor"));
    m_pPreview->Invalidate();
}

BOOL CDlgFontColor::OnCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        if (id >= IDC_FC_FONT_FIRST && id < IDC_FC_FONT_FIRST + fontCount) {
            ChooseFontFor(id - IDC_FC_FONT_FIRST);
            return TRUE;
        }
        if (id >= IDC_FC_COLOR_FIRST && id < IDC_FC_COLOR_FIRST + ColorCount) {
            if (m_colorButtons[id - IDC_FC_COLOR_FIRST].Choose())
                UpdatePreview();
            return TRUE;
        }
        if (id == IDC_FC_KEYWORDS) {
            if (m_pfnKeywordColors)
                m_pfnKeywordColors(this);
            return TRUE;
        }
        if (id == IDC_FC_LANGUAGE_FONTS) {
            if (m_pfnLanguageFonts && m_pfnLanguageFonts(this))
                m_bLanguageFontsChanged = true;
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgFontColor::OnOK()
{
    for (int i = 0; i < ColorCount; ++i)
        m_colors.Int(ColorKey(i)) = static_cast<int>(m_colorButtons[i].GetColor());
    EndDialog(IDOK);
}

void WriteFontSetting(CMailApp& app, const char* pszSection, const LOGFONTA& lf, const LOGFONTA& before)
{
    if (std::strcmp(lf.lfFaceName, before.lfFaceName) != 0)
        app.WriteProfileString(pszSection, "FaceName", lf.lfFaceName);
    if (lf.lfHeight != before.lfHeight)
        app.WriteProfileInt(pszSection, "Height", lf.lfHeight);
    if (lf.lfWeight != before.lfWeight)
        app.WriteProfileInt(pszSection, "Weight", lf.lfWeight);
    if ((lf.lfItalic != 0) != (before.lfItalic != 0))
        app.WriteProfileInt(pszSection, "Italic", lf.lfItalic ? 1 : 0);
    if (lf.lfCharSet != before.lfCharSet)
        app.WriteProfileInt(pszSection, "CharSet", lf.lfCharSet);
}
