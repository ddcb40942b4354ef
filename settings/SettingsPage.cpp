#include "settings/SettingsPage.h"

#include "core/QuendalApp.h"
#include "core/ShellUtil.h"
#include "settings/FileChooser.h"
#include "settings/InternetZoneList.h"

#include <commctrl.h>

void ExchangeRadio(CDataExchange* pDX, int nFirst, int nButtons, int& nIndex)
{
    HWND dlg = pDX->m_pDlgWnd->m_hWnd;
    if (pDX->m_bSaveAndValidate) {
        for (int i = 0; i < nButtons; ++i) {
            if (::IsDlgButtonChecked(dlg, nFirst + i) == BST_CHECKED) {
                nIndex = i;
                return;
            }
        }
        return;  // no button chosen: the value stays
    }
    if (nIndex >= 0 && nIndex < nButtons)
        ::CheckRadioButton(dlg, nFirst, nFirst + nButtons - 1, nFirst + nIndex);
}

CSettingsPage::CSettingsPage(UINT nIDTemplate, CSettingValues* pValues, const SettingBinding* pTable, int nCount)
    : COptionPageDialog(nIDTemplate), m_pValues(pValues), m_pTable(pTable), m_nCount(nCount)
{
}

void CSettingsPage::AddEnableRule(int nCheck, std::initializer_list<int> controls)
{
    m_rules.push_back({ nCheck, std::vector<int>(controls) });
}

void CSettingsPage::AddBrowseRule(int nButton, int nEdit, const char* pszTitle, const char* pszFilter,
                                  const char* pszDefExt, bool bToMailBox)
{
    m_browse.push_back({ nButton, nEdit, pszTitle, pszFilter, pszDefExt, bToMailBox });
}

void CSettingsPage::Browse(const BrowseRule& rule)
{
    UpdateData(TRUE);
    CString current = GetDlgItemText(rule.nEdit);
    CString chosen;
    if (rule.pszFilter) {
        CQuendalApp* app = rule.bToMailBox ? QuendalApp() : nullptr;
        CString restore = app ? app->GetMailBoxFolder() : CString();
        if (!ChooseFileToOpen(m_hWnd, rule.pszTitle, rule.pszFilter, rule.pszDefExt, current, chosen,
                              restore.IsEmpty() ? nullptr : restore.GetString()))
            return;
    } else {
        chosen = BrowseForFolder(m_hWnd, rule.pszTitle, current);
    }
    SetDlgItemText(rule.nEdit, chosen);
    UpdateData(TRUE);
    UpdateData(FALSE);
}

void CSettingsPage::FillZoneCombo(int nControl)
{
    HWND combo = GetDlgItemHwnd(nControl);
    for (const InternetZone& z : ListInternetZones()) {
        if (z.nZone <= 2)
            continue;
        int i = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(z.strName.GetString())));
        ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(z.nZone));
    }
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

BOOL CSettingsPage::OnInitDialog()
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_pTable[i].kind == SettingBinding::kSlider)
            ::SendMessageA(GetDlgItemHwnd(m_pTable[i].nControl), TBM_SETRANGE, TRUE, MAKELPARAM(0, 40));
        if (m_pTable[i].kind == SettingBinding::kNone && lstrcmpA(m_pTable[i].pszKey, "IEZone") == 0)
            FillZoneCombo(m_pTable[i].nControl);
    }
    CDialog::OnInitDialog();
    ApplyEnableRules();
    return TRUE;
}

void CSettingsPage::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < m_nCount; ++i) {
        const SettingBinding& b = m_pTable[i];
        CSettingValues::Value* v = m_pValues->Find(b.pszKey);
        if (!v)
            continue;
        switch (b.kind) {
        case SettingBinding::kCheck:
            DDX_Check(pDX, b.nControl, v->nValue);
            break;
        case SettingBinding::kNumber:
            DDX_Text(pDX, b.nControl, v->nValue);
            break;
        case SettingBinding::kText:
            DDX_Text(pDX, b.nControl, v->strValue);
            break;
        case SettingBinding::kRadio: {
            int index = CSettingValues::RadioIndexOf(b, v->nValue);
            ExchangeRadio(pDX, b.nControl, b.nButtons, index);
            if (pDX->m_bSaveAndValidate && index >= 0)
                v->nValue = CSettingValues::RadioValueOf(b, index);
            break;
        }
        case SettingBinding::kSlider: {
            HWND slider = GetDlgItemHwnd(b.nControl);
            if (pDX->m_bSaveAndValidate)
                v->nValue = static_cast<int>(::SendMessageA(slider, TBM_GETPOS, 0, 0));
            else
                ::SendMessageA(slider, TBM_SETPOS, TRUE, v->nValue);
            break;
        }
        case SettingBinding::kNone:
            ExchangeSpecial(pDX, b, *v);
            break;
        }
    }
    if (!pDX->m_bSaveAndValidate && m_hWnd)
        ApplyEnableRules();
}

void CSettingsPage::ExchangeSpecial(CDataExchange* pDX, const SettingBinding& b, CSettingValues::Value& v)
{
    if (lstrcmpA(b.pszKey, "MailMiniHeader") == 0) {
        // One radio group over two keys; a pair no button stands for
        // leaves the group and both keys as they are.
        CSettingValues::Value* all = m_pValues->Find("AddressShowAll");
        if (!all)
            return;
        int mode = HeaderModeFromPair(v.nValue, all->nValue);
        ExchangeRadio(pDX, b.nControl, b.nButtons, mode);
        if (pDX->m_bSaveAndValidate && mode >= 0)
            PairFromHeaderMode(mode, v.nValue, all->nValue);
    } else if (lstrcmpA(b.pszKey, "IEZone") == 0) {
        HWND combo = GetDlgItemHwnd(b.nControl);
        int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
        if (pDX->m_bSaveAndValidate) {
            // A stored zone the list lacks shows the first entry; it is kept
            // unless the user chooses an entry.
            int sel = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
            if (sel >= 0 && sel != m_nZoneShown)
                v.nValue = static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
            return;
        }
        for (int i = 0; i < count; ++i) {
            if (static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == v.nValue)
                ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        }
        m_nZoneShown = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    }
}

void CSettingsPage::ApplyEnableRules()
{
    for (const EnableRule& r : m_rules) {
        BOOL on = IsDlgButtonChecked(r.nCheck) == BST_CHECKED;
        for (int id : r.controls)
            ::EnableWindow(GetDlgItemHwnd(id), on);
    }
}

BOOL CSettingsPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        for (const BrowseRule& r : m_browse) {
            if (r.nButton == LOWORD(wParam)) {
                Browse(r);
                return TRUE;
            }
        }
        for (const EnableRule& r : m_rules) {
            if (r.nCheck == LOWORD(wParam)) {
                ApplyEnableRules();
                break;
            }
        }
    }
    return COptionPageDialog::OnCommand(wParam, lParam);
}
