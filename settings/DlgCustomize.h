// CDlgCustomize: "その他のカスタマイズ", the compaction alert count and the
// animated icons of the main and editor windows.
#pragma once

#include "classlib/Dialog.h"
#include "settings/SettingValues.h"

class CMailApp;

class CDlgCustomize : public CDialog
{
public:
    CDlgCustomize(CMailApp& app, CWnd* pParent = nullptr);

    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    CSettingValues m_values;
    // Hands the new count to the main window at once.
    void (*m_pfnCompactAlertCount)(int nCount) = nullptr;

private:
    CMailApp& m_app;
};
