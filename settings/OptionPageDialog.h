// COptionPageDialog: one page of a tabbed settings dialog, a modeless child
// dialog inside the page tab control. It routes the keys that belong to the
// whole dialog (page switching, Enter, Escape) to the settings dialog, the
// page's grandparent (Escape as the dialog's Cancel).
#pragma once

#include "classlib/Dialog.h"

class COptionPageDialog : public CDialog
{
public:
    explicit COptionPageDialog(UINT nIDTemplate) : CDialog(nIDTemplate) {}

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // Enter and Escape reach the settings dialog, not the page.
    void OnOK() override {}
    void OnCancel() override {}
    CDialog* GetSettingsDialog() const;
};
