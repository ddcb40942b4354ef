#include "settings/AccountFieldExchange.h"

#include "settings/SettingsPage.h"

#include <commctrl.h>

void ExchangeAccountFields(CDataExchange* pDX, AccountFieldValues& fields, int nPage, bool bWizard)
{
    const std::vector<AccountField>& table = GetAccountFields();
    HWND dlg = pDX->m_pDlgWnd->m_hWnd;
    for (size_t i = 0; i < table.size(); ++i) {
        const AccountField& f = table[i];
        if ((bWizard ? f.nWizardPage : f.nPage) != nPage)
            continue;
        if (!::GetDlgItem(dlg, f.nControl))
            continue;
        switch (f.kind) {
        case AccountField::kNumber:
            DDX_Text(pDX, f.nControl, fields.value[i]);
            break;
        case AccountField::kCheck:
            DDX_Check(pDX, f.nControl, fields.value[i]);
            break;
        case AccountField::kRadio:
        case AccountField::kAuth:
            ExchangeRadio(pDX, f.nControl, f.kind == AccountField::kAuth ? 2 : f.nButtons, fields.value[i]);
            break;
        case AccountField::kSlider: {
            HWND slider = ::GetDlgItem(dlg, f.nControl);
            if (pDX->m_bSaveAndValidate)
                fields.value[i] = static_cast<int>(::SendMessageA(slider, TBM_GETPOS, 0, 0));
            else
                ::SendMessageA(slider, TBM_SETPOS, TRUE, fields.value[i]);
            break;
        }
        default:
            DDX_Text(pDX, f.nControl, fields.text[i]);
            break;
        }
    }
}
