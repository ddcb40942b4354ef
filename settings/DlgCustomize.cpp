#include "settings/DlgCustomize.h"

#include "core/MailApp.h"
#include "resources/settings/SettingsResource.h"
#include "settings/FileChooser.h"

namespace {

const SettingBinding kKeys[] = {
    { "Setting", "CompactAlertCount", SettingBinding::kNumber, IDC_CU_COMPACT_ALERT, 0, nullptr },
    { "Paths", "MainAVI", SettingBinding::kText, IDC_CU_MAIN_AVI, 0, nullptr },
    { "Paths", "EditorAVI", SettingBinding::kText, IDC_CU_EDITOR_AVI, 0, nullptr },
};

} // namespace

CDlgCustomize::CDlgCustomize(CMailApp& app, CWnd* pParent) : CDialog(IDD_CUSTOMIZE, pParent), m_app(app)
{
    m_values.Load(app, kKeys, 3);
}

void CDlgCustomize::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_CU_COMPACT_ALERT, m_values.Int("CompactAlertCount"));
    if (pDX->m_bSaveAndValidate) {
        int count = m_values.Int("CompactAlertCount");
        if (count < 0 || count > 1000) {
            AfxMessageBox("0 から 1000 までの整数を入力してください。", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    }
    DDX_Text(pDX, IDC_CU_MAIN_AVI, m_values.Text("MainAVI"));
    DDX_Text(pDX, IDC_CU_EDITOR_AVI, m_values.Text("EditorAVI"));
}

BOOL CDlgCustomize::OnCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && (id == IDC_CU_MAIN_AVI_BROWSE || id == IDC_CU_EDITOR_AVI_BROWSE)) {
        int edit = id == IDC_CU_MAIN_AVI_BROWSE ? IDC_CU_MAIN_AVI : IDC_CU_EDITOR_AVI;
        CString chosen;
        if (ChooseFileToOpen(m_hWnd, "AVIファイルの選択", "AVIファイル (*.avi)", ".avi", GetDlgItemText(edit), chosen))
            SetDlgItemText(edit, chosen);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgCustomize::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_values.Save(m_app);
    if (m_pfnCompactAlertCount)
        m_pfnCompactAlertCount(m_values.Int("CompactAlertCount"));
    EndDialog(IDOK);
}
