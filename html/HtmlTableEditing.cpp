#include "html/HtmlTableEditing.h"

#include "html/HtmlTableStructure.h"
#include "html/HtmlTextOps.h"
#include "resources/html/HtmlResource.h"

#include <algorithm>
#include <vector>

CString BuildTableMarkup(const HtmlNewTable& table)
{
    CString html;
    html.Format("<table width=\"%d\" border=\"%d\"", table.nColumns * table.nCellWidth, table.nBorder);
    if (!table.strTableAttributes.IsEmpty())
        html += " " + table.strTableAttributes;
    html += ">\r\n";
    if (!table.strCaption.IsEmpty())
        html += "<caption>" + table.strCaption + "</caption>";
    for (int r = 0; r < table.nRows; ++r) {
        html += "<tr>";
        for (int c = 0; c < table.nColumns; ++c) {
            html += "\t<td";
            if (!table.strCellAttributes.IsEmpty())
                html += " " + table.strCellAttributes;
            html += "></td>";
        }
        html += "</tr>\r\n";
    }
    html += "</table>\r\n";
    return html;
}

bool PasteHtmlAtSelection(const CHtmlDocumentRef& document, const char* pszHtml)
{
    CHtmlEngineDocument* doc = document.GetDocument();
    return doc && doc->PasteHtml(CString(pszHtml).ToWide());
}

UINT InsertColumnCommand(const CHtmlDocumentRef& document)
{
    InsertColumnAtCaret(document, true);
    return 0;
}

UINT InsertRowCommand(const CHtmlDocumentRef& document)
{
    InsertRowAtCaret(document, true);
    return 0;
}

UINT InsertCellCommand(const CHtmlDocumentRef& document)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return IDS_HTML_INSERT_CELL_PLACE;
    CHtmlTableRowRef row = GetRow(cell);
    if (!row.IsValid())
        return 0;
    std::vector<HtmlNodePtr> cells = row.GetNode()->GetCells();
    auto at = std::find(cells.begin(), cells.end(), cell.GetNode());
    if (at != cells.end())
        InsertCellAt(row, static_cast<int>(at - cells.begin()) + 1);
    return 0;
}

UINT DeleteColumnCommand(const CHtmlDocumentRef& document)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return IDS_HTML_DELETE_COLUMN_PLACE;
    DeleteColumn(GetTable(cell), GetColumnPosition(cell));
    return 0;
}

UINT DeleteRowCommand(const CHtmlDocumentRef& document)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return IDS_HTML_DELETE_ROW_PLACE;
    CHtmlTableRef table = GetTable(cell);
    if (!table.IsValid())
        return 0;
    table.GetNode()->DeleteRow(GetRowIndex(cell));
    if (GetRowCount(table) > 0)
        TidyTable(table);
    else
        table.GetNode()->RemoveNode();
    return 0;
}

UINT DeleteCellCommand(const CHtmlDocumentRef& document)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return IDS_HTML_DELETE_CELL_PLACE;
    cell.RemoveNode();
    return 0;
}

UINT MergeCellsCommand(const CHtmlDocumentRef& document)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return IDS_HTML_MERGE_CELL_PLACE;
    std::vector<CHtmlElementRef> next = cell.GetNextSiblings();
    if (next.empty())
        return 0;
    CHtmlTableCellRef right(next.front());
    CString left = StripAffix(UnwrapTag(cell.GetInnerHtmlEscaped(), "DIV"), "&nbsp;", true);
    CString rightText = StripAffix(UnwrapTag(next.front().GetInnerHtmlEscaped(), "DIV"), "&nbsp;", false);
    int span = ClampSpan(static_cast<long long>(cell.GetNode()->GetColSpan()) +
                             (right.IsValid() ? right.GetNode()->GetColSpan() : 1),
                         kMaxColSpan);
    cell.SetCellHtml(left + "&nbsp;" + rightText);
    cell.GetNode()->SetColSpan(span);
    next.front().RemoveNode();
    TidyTable(GetTable(cell));
    return 0;
}

UINT SplitCellCommand(const CHtmlDocumentRef& document)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return IDS_HTML_SPLIT_CELL_PLACE;
    int span = cell.GetNode()->GetColSpan();
    int position = GetColumnPosition(cell);
    CHtmlTableRowRef row = GetRow(cell);
    CHtmlTableCellRef added = InsertCellAtColumn(row, position + span);
    if (span == 1) {
        CHtmlTableRef table = GetTable(cell);
        const int own = GetRowIndex(cell);
        std::vector<HtmlNodePtr> rows = table.IsValid() ? table.GetNode()->GetRows() : std::vector<HtmlNodePtr>();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (static_cast<int>(i) == own || !rows[i])
                continue;
            CHtmlTableCellRef covering = GetCellAtColumn(CHtmlTableRowRef(CHtmlElementRef(rows[i])), position, true);
            if (covering.IsValid())
                covering.GetNode()->SetColSpan(covering.GetNode()->GetColSpan() + 1);
        }
    } else if (added.IsValid() && added.GetNode() != cell.GetNode()) {
        cell.GetNode()->SetColSpan(span / 2);
        added.GetNode()->SetColSpan(span - span / 2);
    }
    return 0;
}
