#include "core/FontNameComboBox.h"

namespace {

int CALLBACK AddFamily(const LOGFONTA* plf, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    reinterpret_cast<CFontNameComboBox*>(lParam)->AddString(plf->lfFaceName);
    return 1;
}

} // namespace

BEGIN_MESSAGE_MAP(CFontNameComboBox, CColoredComboBox)
    ON_MESSAGE(WM_CREATE, OnCreateMsg)
END_MESSAGE_MAP()

void CFontNameComboBox::FillFontNames()
{
    HDC hdc = ::GetDC(m_hWnd);
    if (!hdc)
        return;
    EnumFontFamiliesA(hdc, nullptr, &AddFamily, reinterpret_cast<LPARAM>(this));
    ::ReleaseDC(m_hWnd, hdc);
}

void CFontNameComboBox::PreSubclassWindow()
{
    CColoredComboBox::PreSubclassWindow();
    FillFontNames();
}

LRESULT CFontNameComboBox::OnCreateMsg(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CColoredComboBox::OnCreateMsg(wParam, lParam);
    if (result != -1)
        FillFontNames();
    return result;
}
