// CDlgDeleteHistory: the deleted mails of a history list
// ("削除されたメール履歴一覧"), restored by the application thread on
// thread message 1430 with the row's position.
#pragma once

#include "classlib/Dialog.h"
#include "classlib/ListCtrl.h"
#include "core/QuendalApp.h"

class CDlgDeleteHistory : public CDialog
{
public:
    typedef CQuendalApp::DeleteHistory History;

    // Shows a copy of the history; the caller keeps the positions of the
    // entries while the dialog is open, since the rows and the 1430
    // messages name them.
    CDlgDeleteHistory(CWnd* pParent, const History& history);

    BOOL OnInitDialog() override;

    // Restores every selected row, first to last.
    void OnRestore();

protected:
    void OnItemActivate(NMHDR* pNMHDR, LRESULT* pResult);
    void RestoreRow(int nRow);

    History m_history;
    CQuendalApp* m_pApp;
    CListCtrl m_list;

    DECLARE_MESSAGE_MAP()
};
