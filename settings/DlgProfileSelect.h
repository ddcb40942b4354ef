// CDlgProfileSelect: "プロファイルの切り替え", the choice of the profile in
// use, whether the main window's combo switches profiles, and the profile
// used at start.
#pragma once

#include "classlib/Dialog.h"

class CDlgProfileSelect : public CDialog
{
public:
    CDlgProfileSelect(const CString& profileBox, CWnd* pParent = nullptr);

    // Set before DoModal and read back after OK.
    CString m_strProfileName;
    int m_bChangeMainFrame = 0;
    CString m_strDefaultProfileName;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    CString m_strProfileBox;
};
