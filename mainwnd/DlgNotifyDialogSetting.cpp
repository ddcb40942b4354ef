#include "mainwnd/DlgNotifyDialogSetting.h"

#include "core/QuendalApp.h"
#include "resources/keys/KeysResource.h"

#include <commdlg.h>

CDlgNotifyDialogSetting::CDlgNotifyDialogSetting(CWnd* pParent) : CDialog(IDD_NOTIFY_SETTING, pParent)
{
}

BOOL CDlgNotifyDialogSetting::OnInitDialog()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return TRUE;
    SetDlgItemText(IDC_NOTIFY_PICTURE, pApp->GetProfileString("Window", "NotifyUserWindowFilePath", ""));
    SetDlgItemText(IDC_NOTIFY_FONT, pApp->GetProfileString("Window", "NotifyUserWindowFontName", "ＭＳ Ｐゴシック"));
    SetDlgItemText(IDC_NOTIFY_MESSAGE,
                   pApp->GetProfileString("Window", "NotifyUserWindowText", "【メールが到着しました！】"));
    m_color1.SubclassDlgItem(IDC_NOTIFY_COLOR1, this);
    m_color2.SubclassDlgItem(IDC_NOTIFY_COLOR2, this);
    m_color1.SetColor(static_cast<COLORREF>(pApp->GetProfileInt("Color", "NotifyUserWindowFontColor1", 0)));
    m_color2.SetColor(static_cast<COLORREF>(pApp->GetProfileInt("Color", "NotifyUserWindowFontColor2", 0xFF0000)));
    return TRUE;
}

void CDlgNotifyDialogSetting::BrowsePicture()
{
    char file[MAX_PATH] = "";
    CString current = GetDlgItemText(IDC_NOTIFY_PICTURE);
    CString folder;
    int slash = current.ReverseFind('\\');
    if (slash > 0)
        folder = current.Left(slash);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "Bitmap Files (*.bmp)\0*.bmp\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrInitialDir = folder.IsEmpty() ? nullptr : static_cast<const char*>(folder);
    ofn.lpstrDefExt = "bmp";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (::GetOpenFileNameA(&ofn))
        SetDlgItemText(IDC_NOTIFY_PICTURE, file);
    // The dialog may have moved the current folder away from the program's.
    if (CQuendalApp* pApp = QuendalApp())
        ::SetCurrentDirectoryA(pApp->GetProgramFolder());
}

void CDlgNotifyDialogSetting::BrowseFont()
{
    LOGFONTA lf = {};
    lf.lfHeight = 12;
    lf.lfWeight = 300;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(lf.lfFaceName, GetDlgItemText(IDC_NOTIFY_FONT), LF_FACESIZE);
    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = m_hWnd;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (::ChooseFontA(&cf))
        SetDlgItemText(IDC_NOTIFY_FONT, lf.lfFaceName);
}

BOOL CDlgNotifyDialogSetting::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_NOTIFY_PICTURE_BROWSE) {
        BrowsePicture();
        return TRUE;
    }
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_NOTIFY_FONT_BROWSE) {
        BrowseFont();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgNotifyDialogSetting::OnOK()
{
    if (CQuendalApp* pApp = QuendalApp()) {
        pApp->WriteProfileString("Window", "NotifyUserWindowFilePath", GetDlgItemText(IDC_NOTIFY_PICTURE));
        pApp->WriteProfileString("Window", "NotifyUserWindowFontName", GetDlgItemText(IDC_NOTIFY_FONT));
        pApp->WriteProfileInt("Color", "NotifyUserWindowFontColor1", static_cast<int>(m_color1.GetColor()));
        pApp->WriteProfileInt("Color", "NotifyUserWindowFontColor2", static_cast<int>(m_color2.GetColor()));
        pApp->WriteProfileString("Window", "NotifyUserWindowText", GetDlgItemText(IDC_NOTIFY_MESSAGE));
    }
    EndDialog(IDOK);
}
