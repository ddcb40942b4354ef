// CFolderPropertyPage: one page of the folder properties, a child dialog
// inside the tab control. Its buttons and keys act for the whole dialog.
#pragma once

#include "classlib/ClassLib.h"

class CFolderPropertyPage : public CDialog
{
public:
    CFolderPropertyPage() = default;

    void OnOK() override;
    void OnCancel() override;
    // The owning dialog runs IsDialogMessage for the page's controls.
    BOOL PreTranslateMessage(MSG*) override { return FALSE; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};
