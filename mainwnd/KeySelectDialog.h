// CKeySelectDialog: picks one key and its Alt, Ctrl and Shift for a command
// ("キーの選択"). A key pressed in the dialog is selected in the list.
#pragma once

#include "classlib/Dialog.h"

class CKeySelectDialog : public CDialog
{
public:
    explicit CKeySelectDialog(CWnd* pParent = nullptr);

    // In: the window kind (the viewer has no "ICON" key) and the key to
    // preselect. Out after OK: the key and its accelerator flags.
    int m_nKind = 0;
    int m_nKey = 0;
    int m_nModifiers = 0;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // The flags OK gives for a key and the three boxes.
    static int ModifiersFor(int nKey, bool bAlt, bool bCtrl, bool bShift);

private:
    void SelectKey(int nKey);
    int SelectedKey() const;
    void EnableModifiers();
};
