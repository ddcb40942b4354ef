// CDlgFolderMoveConfirm: asks where a dropped folder goes: 1 above the
// target, 2 below it, 3 as its sub-folder; 0 when cancelled.
#pragma once

#include "classlib/ClassLib.h"

class CDlgFolderMoveConfirm : public CDialog
{
public:
    explicit CDlgFolderMoveConfirm(const char* pszQuestion, CWnd* pParent = nullptr);

    int m_nChoice = 0;

    BOOL OnInitDialog() override;

protected:
    void OnAbove() { Choose(1); }
    void OnBelow() { Choose(2); }
    void OnChild() { Choose(3); }

    DECLARE_MESSAGE_MAP()

private:
    void Choose(int nChoice)
    {
        m_nChoice = nChoice;
        EndDialog(nChoice);
    }
    CString m_strQuestion;
};
