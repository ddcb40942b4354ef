// CSettingsPage: an option page whose controls show keys of the settings
// store, exchanged through the dialog's CSettingValues by the page's binding
// table, with the page's enabling rules (a check box that enables other
// controls while it is on).
#pragma once

#include "settings/OptionPageDialog.h"
#include "settings/SettingValues.h"

#include <initializer_list>
#include <vector>

class CSettingsPage : public COptionPageDialog
{
public:
    CSettingsPage(UINT nIDTemplate, CSettingValues* pValues, const SettingBinding* pTable, int nCount);

    // While nCheck is on, the controls are enabled.
    void AddEnableRule(int nCheck, std::initializer_list<int> controls);
    // The button opens a chooser for the edit beside it: a file-open dialog
    // (filter and default extension given) or, with no filter, the folder
    // chooser; the choice replaces the edit's text.
    // bToMailBox: after the chooser the current directory is the mailbox
    // folder rather than the program folder.
    void AddBrowseRule(int nButton, int nEdit, const char* pszTitle, const char* pszFilter = nullptr,
                       const char* pszDefExt = nullptr, bool bToMailBox = false);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    void ApplyEnableRules();
    // Controls a binding table cannot describe: the header radio group over
    // two keys and the security-zone list.
    void ExchangeSpecial(CDataExchange* pDX, const SettingBinding& b, CSettingValues::Value& v);
    CSettingValues* m_pValues;
    const SettingBinding* m_pTable;
    int m_nCount;

private:
    struct EnableRule
    {
        int nCheck;
        std::vector<int> controls;
    };
    std::vector<EnableRule> m_rules;
    struct BrowseRule
    {
        int nButton, nEdit;
        const char* pszTitle;
        const char* pszFilter;
        const char* pszDefExt;
        bool bToMailBox;
    };
    std::vector<BrowseRule> m_browse;
    int m_nZoneShown = -1;
    void Browse(const BrowseRule& rule);
    void FillZoneCombo(int nControl);
};

// Moves one radio group between its buttons and a button index; -1 is none.
void ExchangeRadio(CDataExchange* pDX, int nFirst, int nButtons, int& nIndex);
