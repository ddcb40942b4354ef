// CKeyAssignDialog: the key assignment dialog ("キーの割当て"): the user
// picks a window kind, a command of it, and adds, changes or deletes the
// command's keys. Apply writes the kind's key file; the main window takes
// the new keys at once, other windows when they are next opened.
#pragma once

#include "classlib/Dialog.h"
#include "mainwnd/KeyAssignEditor.h"

#include <vector>

class CKeyAssignDialog : public CDialog
{
public:
    explicit CKeyAssignDialog(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;      // Apply: the dialog stays open
    void OnCancel() override;  // Close
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Asks before a key another command has is given; true to go on.
    static bool ConfirmDuplicate(const char* pszOtherCommand);

private:
    void ChangeKind(int nKind);
    void FillCommands();
    void FillKeys();
    int SelectedCommand() const;
    bool AskSaveChanges();
    void Apply();
    bool AcceptKey(int nCommand, int nKey, int nModifiers);
    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnDefaults();

    CKeyAssignEditor m_editor;
    std::vector<KeyCommandRow> m_rows;
    int m_nKind = -1;
};
