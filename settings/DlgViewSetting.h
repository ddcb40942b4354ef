// CDlgViewSetting: "メール本文欄の設定", two pages.
#pragma once

#include "settings/TabbedSettingDialog.h"

class CDlgViewSetting : public CTabbedSettingDialog
{
public:
    CDlgViewSetting(CMailApp& app, CWnd* pParent = nullptr);

    // After OK: whether a setting that changes how a shown mail is laid out
    // was changed.
    bool IsModified();

protected:
    void OnSaved() override;
};
