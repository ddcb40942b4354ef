#include "editor/DlgAttachPicture.h"

#include "core/QuendalApp.h"
#include "resources/editor/EditorControlsResource.h"

CDlgAttachPicture::CDlgAttachPicture(CWnd* pParent) : CDialog(IDD_ATTACH_PICTURE, pParent)
{
}

BOOL CDlgAttachPicture::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CQuendalApp* app = QuendalApp()) {
        m_nFormat = static_cast<int>(app->GetProfileInt("EditWindow", "PasteImageType", 0)) == formatJpeg ? formatJpeg
                                                                                                          : formatBitmap;
        int quality = static_cast<int>(app->GetProfileInt("EditWindow", "PasteJPEGType", 0));
        m_nQuality = quality >= qualityHigh && quality <= qualityLow ? quality : qualityHigh;
    }
    ::SetWindowTextA(GetDlgItemHwnd(IDC_AP_NAME), m_strFileName);
    ::CheckRadioButton(m_hWnd, IDC_AP_BITMAP, IDC_AP_JPEG, m_nFormat == formatJpeg ? IDC_AP_JPEG : IDC_AP_BITMAP);
    ::CheckRadioButton(m_hWnd, IDC_AP_HIGH, IDC_AP_LOW, IDC_AP_HIGH + m_nQuality);
    EnableQuality();
    return TRUE;
}

void CDlgAttachPicture::EnableQuality()
{
    bool jpeg = ::IsDlgButtonChecked(m_hWnd, IDC_AP_JPEG) == BST_CHECKED;
    for (int id = IDC_AP_HIGH; id <= IDC_AP_LOW; ++id)
        ::EnableWindow(GetDlgItemHwnd(id), jpeg ? TRUE : FALSE);
}

BOOL CDlgAttachPicture::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDC_AP_BITMAP || LOWORD(wParam) == IDC_AP_JPEG))
        EnableQuality();
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgAttachPicture::OnOK()
{
    m_nFormat = ::IsDlgButtonChecked(m_hWnd, IDC_AP_JPEG) == BST_CHECKED ? formatJpeg : formatBitmap;
    m_nQuality = qualityHigh;
    for (int id = IDC_AP_HIGH; id <= IDC_AP_LOW; ++id)
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED)
            m_nQuality = id - IDC_AP_HIGH;
    // The choices are kept even when the name is still missing.
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("EditWindow", "PasteImageType", m_nFormat);
        app->WriteProfileInt("EditWindow", "PasteJPEGType", m_nQuality);
    }
    HWND name = GetDlgItemHwnd(IDC_AP_NAME);
    int n = ::GetWindowTextLengthA(name);
    ::GetWindowTextA(name, m_strFileName.GetBuffer(n + 1), n + 1);
    m_strFileName.ReleaseBuffer();
    m_strFileName.Trim();
    if (m_strFileName.IsEmpty()) {
        AfxMessageBox(IDS_ENTER_FILE_NAME, MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(name);
        return;
    }
    CDialog::OnOK();
}
