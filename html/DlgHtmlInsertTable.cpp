#include "html/DlgHtmlInsertTable.h"

#include "resources/html/HtmlResource.h"

CDlgHtmlInsertTable::CDlgHtmlInsertTable(CWnd* pParent) : CDialog(IDD_HTML_INSERT_TABLE, pParent)
{
}

void CDlgHtmlInsertTable::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_HT_CELL_WIDTH, m_table.nCellWidth);
    DDX_Text(pDX, IDC_HT_COLUMNS, m_table.nColumns);
    DDX_Text(pDX, IDC_HT_ROWS, m_table.nRows);
    DDX_Text(pDX, IDC_HT_CAPTION, m_table.strCaption);
    DDX_Text(pDX, IDC_HT_TABLE_ATTRIBUTES, m_table.strTableAttributes);
    DDX_Text(pDX, IDC_HT_CELL_ATTRIBUTES, m_table.strCellAttributes);
    DDX_Text(pDX, IDC_HT_BORDER, m_table.nBorder);
}
