// CDlgNotifyDialogSetting: the look of the new-mail notification window
// ("詳細設定"): background picture, font, the two text colours and the
// title line.
#pragma once

#include "classlib/Dialog.h"
#include "settings/ColorButton.h"

class CDlgNotifyDialogSetting : public CDialog
{
public:
    explicit CDlgNotifyDialogSetting(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void BrowsePicture();
    void BrowseFont();

    CColorButton m_color1, m_color2;
};
