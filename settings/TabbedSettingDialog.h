// CTabbedSettingDialog: the frame shared by the basic, editor and body pane
// settings dialogs: a page tab control over its placeholder, one settings
// page per table, and OK writing the keys the user changed.
#pragma once

#include "settings/PageTabCtrl.h"
#include "settings/SettingPageTables.h"
#include "settings/SettingsPage.h"

class CMailApp;

class CTabbedSettingDialog : public CDialog
{
public:
    CTabbedSettingDialog(SettingDialogKind kind, const char* pszCaption, CMailApp& app, CWnd* pParent);

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CSettingValues m_values;
    CPageTabCtrl m_tab;

protected:
    // The page object of a table (a settings page unless the dialog has one of its own).
    virtual CSettingsPage* MakePage(int nIndex, const SettingPageTable& table);
    // Adds the dialog's rules to its pages before they are created.
    virtual void PreparePage(int nIndex, CSettingsPage& page) { (void)nIndex; (void)page; }
    // Checks across pages; false keeps the dialog open.
    virtual bool Validate() { return true; }
    // After the changed keys were written.
    virtual void OnSaved() {}

    SettingDialogKind m_kind;
    CString m_strCaption;
    CMailApp& m_app;
    std::vector<CSettingsPage*> m_pages;  // owned by the tab control
};
