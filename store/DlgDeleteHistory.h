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
    typedef CArray<CQuendalApp::DeletedMail, const CQuendalApp::DeletedMail&> History;

    // The history is the caller's; it changes only when 1430 is served.
    CDlgDeleteHistory(CWnd* pParent, const History& history);

    BOOL OnInitDialog() override;

    // Restores every selected row, first to last.
    void OnRestore();

protected:
    void OnItemActivate(NMHDR* pNMHDR, LRESULT* pResult);
    void RestoreRow(int nRow);

    const History& m_history;
    CQuendalApp* m_pApp;
    CListCtrl m_list;

    DECLARE_MESSAGE_MAP()
};
