#include "settings/TabbedSettingDialog.h"

#include "core/MailApp.h"
#include "resources/settings/SettingsResource.h"

#include <commctrl.h>

CTabbedSettingDialog::CTabbedSettingDialog(SettingDialogKind kind, const char* pszCaption, CMailApp& app,
                                           CWnd* pParent)
    : CDialog(IDD_TABBED_SETTING, pParent), m_kind(kind), m_strCaption(pszCaption), m_app(app)
{
    int count = 0;
    const SettingPageTable* pages = GetSettingPages(kind, &count);
    for (int i = 0; i < count; ++i)
        m_values.Load(app, pages[i].pTable, pages[i].nCount);
}

BOOL CTabbedSettingDialog::OnInitDialog()
{
    SetWindowText(m_strCaption);
    RECT rc;
    HWND area = GetDlgItemHwnd(IDC_SETTING_TAB_AREA);
    ::GetWindowRect(area, &rc);
    ScreenToClient(&rc);
    m_tab.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, rc, this, IDC_SETTING_TAB_AREA + 1);
    ::SetWindowPos(m_tab.m_hWnd, area, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    int count = 0;
    const SettingPageTable* pages = GetSettingPages(m_kind, &count);
    for (int i = 0; i < count; ++i) {
        CSettingsPage* page = MakePage(i, pages[i]);
        PreparePage(i, *page);
        m_pages.push_back(page);
        m_tab.AddPage(pages[i].pszCaption, page, pages[i].nIDTemplate);
    }
    m_tab.SelectPage(0);
    return TRUE;
}

CSettingsPage* CTabbedSettingDialog::MakePage(int, const SettingPageTable& table)
{
    return new CSettingsPage(table.nIDTemplate, &m_values, table.pTable, table.nCount);
}

void CTabbedSettingDialog::OnOK()
{
    // The pages left before were saved as they were left.
    if (!m_tab.UpdateCurrentPage(TRUE))
        return;
    if (!Validate())
        return;
    m_values.Save(m_app);
    OnSaved();
    EndDialog(IDOK);
}

BOOL CTabbedSettingDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        if (pMsg->wParam == VK_TAB || pMsg->wParam == VK_NEXT) {
            m_tab.SelectNext(1);
            return TRUE;
        }
        if (pMsg->wParam == VK_PRIOR) {
            m_tab.SelectNext(0);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}
