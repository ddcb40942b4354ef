#include "core/DlgAbout.h"

#include "core/MiscUtil.h"
#include "core/ProgramVersion.h"
#include "core/QuendalApp.h"
#include "resources/resource.h"

#include <algorithm>
#include <climits>

BEGIN_MESSAGE_MAP(CDlgAbout, CDialog)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgAbout::CDlgAbout(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent)
{
}

CDlgAbout::~CDlgAbout()
{
    if (m_hUnderlineFont)
        DeleteObject(m_hUnderlineFont);
}

BOOL CDlgAbout::OnInitDialog()
{
    CDialog::OnInitDialog();
    CQuendalApp* pApp = QuendalApp();
    SetDlgItemText(IDC_ABOUT_VERSION, ProgramVersionText());
    CString url;
    url.LoadString(IDS_MAKER_URL);
    SetDlgItemText(IDC_ABOUT_URL, url);
    SetDlgItemText(IDC_ABOUT_LEGAL, GetVersionLegalText());

    m_link.SubclassDlgItem(IDC_ABOUT_URL, this);
    HWND hUrl = GetDlgItemHwnd(IDC_ABOUT_URL);
    LOGFONTA lf = {};
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessageA(hUrl, WM_GETFONT, 0, 0));
    if (hFont && GetObjectA(hFont, sizeof(lf), &lf)) {
        lf.lfUnderline = TRUE;
        m_hUnderlineFont = CreateFontIndirectA(&lf);
        ::SendMessageA(hUrl, WM_SETFONT, reinterpret_cast<WPARAM>(m_hUnderlineFont), FALSE);
    }

    CString picture = (pApp ? pApp->GetProgramFolder() : CString(".")) + "\\CVM.bmp";
    HWND hHolder = GetDlgItemHwnd(IDC_ABOUT_PICTURE);
    if (hHolder && m_picture.LoadPicture(picture)) {
        RECT rc;
        ::GetWindowRect(hHolder, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        RECT dlg;
        GetWindowRect(&dlg);
        // Centred; a picture wider than the dialog starts left of it.
        int left = ((dlg.right - dlg.left) - 2 * GetSystemMetrics(SM_CXDLGFRAME) - m_picture.PictureWidth()) / 2;
        ::DestroyWindow(hHolder);
        m_picture.CreatePictureWindow(this, IDC_ABOUT_PICTURE, left, rc.top);
        MakeRoomBelow(rc.top + m_picture.PictureHeight());
    }
    return TRUE;
}

void CDlgAbout::MakeRoomBelow(int pictureBottom)
{
    // The placeholder's size is in dialog units, the picture's in pixels:
    // with a larger dialog font or picture the picture would cover the lines
    // under it, so they move down and the dialog grows by the same amount.
    const int gap = 4;
    int firstTop = INT_MAX;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == IDC_ABOUT_PICTURE)
            continue;
        RECT rc;
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        firstTop = std::min(firstTop, static_cast<int>(rc.top));
    }
    int shift = firstTop == INT_MAX ? 0 : pictureBottom + gap - firstTop;
    if (shift <= 0)
        return;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == IDC_ABOUT_PICTURE)
            continue;
        RECT rc;
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        ::SetWindowPos(child, nullptr, rc.left, rc.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT dlg;
    GetWindowRect(&dlg);
    SetWindowPos(nullptr, dlg.left, dlg.top - shift / 2, dlg.right - dlg.left, dlg.bottom - dlg.top + shift,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH CDlgAbout::OnCtlColor(HDC hdc, HWND hWnd, UINT)
{
    HBRUSH brush = reinterpret_cast<HBRUSH>(Default());
    if (::GetDlgCtrlID(hWnd) == IDC_ABOUT_URL)
        SetTextColor(hdc, RGB(0, 0, 127));
    return brush;
}
