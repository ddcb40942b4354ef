// CDlgPasteFormat: the choice of the clipboard format in which to paste:
// one line per format the clipboard offers, with its format number.
#pragma once

#include "classlib/Dialog.h"

#include <vector>

class CDlgPasteFormat : public CDialog
{
public:
    explicit CDlgPasteFormat(CWnd* pParent);
    BOOL OnInitDialog() override;
    void OnOK() override;

    // The formats offered, in the list's order: text, bitmap, file list
    // and mails of the mail list.
    static std::vector<UINT> OfferedFormats(BOOL (*isAvailable)(UINT));

    UINT m_nFormat = 0;  // the chosen format after OK
};
