// CDlgFontColor: "フォントと色の設定", the five fonts and twenty colours of
// the mail windows, with a preview of the body pane. The caller writes what
// the dialog holds after OK.
#pragma once

#include "classlib/Dialog.h"
#include "settings/ColorButton.h"
#include "settings/SettingValues.h"

#include <memory>

class CMailApp;
class CColorTextPreview;

class CDlgFontColor : public CDialog
{
public:
    enum Font { fontFolder, fontList, fontEditor, fontView, fontHeader, fontCount };
    enum { ColorCount = 20 };

    CDlgFontColor(const LOGFONTA& folder, const LOGFONTA& list, const LOGFONTA& editor, const LOGFONTA& view,
                  const LOGFONTA& header, CMailApp& app, CWnd* pParent = nullptr);
    ~CDlgFontColor() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // Heights in twentieths of a point.
    LOGFONTA m_fonts[fontCount];
    // The colours, by key ("Color" section), read when the dialog was made.
    CSettingValues m_colors;
    bool m_bLanguageFontsChanged = false;

    // Openers of the two dialogs the buttons lead to; true after their OK.
    bool (*m_pfnKeywordColors)(CWnd* pParent) = nullptr;
    bool (*m_pfnLanguageFonts)(CWnd* pParent) = nullptr;

    static const char* const s_fontSections[fontCount];
    static const char* ColorKey(int nIndex);

private:
    void ShowFont(int nFont);
    void ChooseFontFor(int nFont);
    void UpdatePreview();

    CColorButton m_colorButtons[ColorCount];
    // A view deletes itself with its window, so the dialog does not own it.
    CColorTextPreview* m_pPreview = nullptr;
};

// The font of a section with the keys of the font settings ("FaceName",
// "Height", "Weight", "Italic", "CharSet"); only keys whose value differs
// from the stored one are written.
void WriteFontSetting(CMailApp& app, const char* pszSection, const LOGFONTA& lf, const LOGFONTA& before);
