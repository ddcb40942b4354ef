// CSplashWnd: the borderless window with the program's picture "CVM.bmp"
// shown while the main window comes up; it goes after a second or at the
// first key press or click.
#pragma once

#include "classlib/ClassLib.h"
#include "core/DibPicture.h"

class CSplashWnd : public CWnd
{
public:
    static void EnableSplashScreen(bool bEnable) { s_bEnabled = bEnable; }
    static bool IsSplashShown() { return s_pSplash != nullptr; }
    // Does nothing when disabled, already up, or the picture cannot be loaded.
    static void ShowSplashScreen(CWnd* pParentWnd);
    // A key press or mouse click while the splash is up closes it and is consumed.
    static BOOL PreTranslateAppMessage(MSG* pMsg);
    static void HideSplashScreen();

protected:
    CSplashWnd() = default;
    ~CSplashWnd() override = default;
    BOOL Create(CWnd* pParentWnd);
    void PostNcDestroy() override;
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()

private:
    CDibPicture m_picture;
    static bool s_bEnabled;
    static CSplashWnd* s_pSplash;
};
