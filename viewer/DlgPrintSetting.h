// CDlgPrintSetting: "印刷の設定": margins, font size and line spacing of
// printing, the header template printed above a mail and its separator.
// It reads the settings when it opens and writes them on OK; the list of
// template macros is shown beside the template.
#pragma once

#include "classlib/Dialog.h"

class CDlgPrintSetting : public CDialog
{
public:
    explicit CDlgPrintSetting(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The macro list shown in the dialog.
    static CString MacroListText();
};
