// CDlgPlugInInfo: "プラグインの情報": the loaded plug-ins by name, the
// chosen one's read-me text, and its properties and help.
#pragma once

#include "classlib/ClassLib.h"

class CPlugInHost;

class CDlgPlugInInfo : public CDialog
{
public:
    CDlgPlugInInfo(CPlugInHost& host, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;

protected:
    void OnSelChange();
    void OnProperty();
    void OnHelp();
    // The module of the selected plug-in; null without a selection.
    HMODULE Selected();

    DECLARE_MESSAGE_MAP()

private:
    CPlugInHost& m_host;
};
