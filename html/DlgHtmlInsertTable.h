// CDlgHtmlInsertTable: the table the user wants inserted into an HTML mail.
#pragma once

#include "classlib/ClassLib.h"
#include "html/HtmlTableEditing.h"

class CDlgHtmlInsertTable : public CDialog
{
public:
    explicit CDlgHtmlInsertTable(CWnd* pParent = nullptr);

    // The values shown, and after OK the values typed, as they are: the
    // markup takes whatever number the user gives.
    HtmlNewTable m_table;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
