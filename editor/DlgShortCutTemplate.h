// CDlgShortCutTemplate: registers up to nine templates for direct call
// ("テンプレート呼出の登録"): per row a template name and whether the call
// makes a reply or a reply to all.
#pragma once

#include "classlib/Dialog.h"

class CDlgShortCutTemplate : public CDialog
{
public:
    explicit CDlgShortCutTemplate(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};
