// CDlgEditorSetting: "メールエディタの設定", three pages.
#pragma once

#include "settings/TabbedSettingDialog.h"

class CDlgEditorSetting : public CTabbedSettingDialog
{
public:
    CDlgEditorSetting(CMailApp& app, CWnd* pParent = nullptr);

protected:
    void PreparePage(int nIndex, CSettingsPage& page) override;
    void OnSaved() override;
};
