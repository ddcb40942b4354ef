#include "html/HtmlTableStructure.h"

#include <algorithm>
#include <climits>

namespace {

// The row's cells, or the table's rows, in one walk each: asked for by
// index, every answer may walk the row or table again.
std::vector<HtmlNodePtr> CellsOf(const CHtmlTableRowRef& row)
{
    std::vector<HtmlNodePtr> cells;
    if (row.IsValid())
        cells = row.GetNode()->GetCells();
    cells.erase(std::remove(cells.begin(), cells.end(), nullptr), cells.end());
    return cells;
}

std::vector<HtmlNodePtr> RowsOf(const CHtmlTableRef& table)
{
    std::vector<HtmlNodePtr> rows;
    if (table.IsValid())
        rows = table.GetNode()->GetRows();
    rows.erase(std::remove(rows.begin(), rows.end(), nullptr), rows.end());
    return rows;
}

CHtmlTableRowRef RowRef(const HtmlNodePtr& row)
{
    return CHtmlTableRowRef(CHtmlElementRef(row));
}

} // namespace

CHtmlTableRowRef GetRow(const CHtmlTableCellRef& cell)
{
    return CHtmlTableRowRef(cell.FindAncestor("TR"));
}

CHtmlTableRef GetTable(const CHtmlTableCellRef& cell)
{
    return CHtmlTableRef(cell.FindAncestor("TABLE"));
}

int GetColumnPosition(const CHtmlTableCellRef& cell)
{
    int position = 0;
    for (const HtmlNodePtr& other : CellsOf(GetRow(cell))) {
        if (other == cell.GetNode())
            return position;
        position += other->GetColSpan();
    }
    return 0;
}

int GetRowIndex(const CHtmlTableCellRef& cell)
{
    CHtmlTableRowRef row = GetRow(cell);
    return row.IsValid() ? row.GetNode()->GetRowIndex() : -1;
}

CHtmlTableCellRef GetCellAt(const CHtmlTableRowRef& row, int nIndex)
{
    return row.IsValid() ? CHtmlTableCellRef(CHtmlElementRef(row.GetNode()->GetCell(nIndex))) : CHtmlTableCellRef();
}

CHtmlTableCellRef InsertCellAt(const CHtmlTableRowRef& row, int nIndex)
{
    if (!row.IsValid())
        return CHtmlTableCellRef();
    CHtmlTableCellRef cell(CHtmlElementRef(row.GetNode()->InsertCell(nIndex)));
    cell.SetCellHtml("&nbsp;");
    return cell;
}

CHtmlTableCellRef InsertCellAtColumn(const CHtmlTableRowRef& row, int nPosition)
{
    std::vector<HtmlNodePtr> cells = CellsOf(row);
    const int count = static_cast<int>(cells.size());
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const HtmlNodePtr& cell = cells[static_cast<size_t>(i)];
        int span = cell->GetColSpan();
        if (start == nPosition)
            return InsertCellAt(row, i);
        if (start < nPosition && nPosition < start + span) {
            cell->SetColSpan(span + 1);
            return CHtmlTableCellRef(CHtmlElementRef(cell));
        }
        start += span;
    }
    return InsertCellAt(row, count);
}

bool DeleteCellAtColumn(const CHtmlTableRowRef& row, int nPosition)
{
    std::vector<HtmlNodePtr> cells = CellsOf(row);
    int start = 0;
    for (const HtmlNodePtr& cell : cells) {
        int span = cell->GetColSpan();
        if (span == 1 && start == nPosition) {
            if (!cell->RemoveNode())
                return false;
            if (cells.size() == 1)
                row.GetNode()->RemoveNode();
            return true;
        }
        if (span > 1 && start <= nPosition && nPosition < start + span)
            return cell->SetColSpan(span - 1);
        start += span;
    }
    return false;
}

CHtmlTableCellRef GetCellAtCaret(const CHtmlDocumentRef& document)
{
    CHtmlElementRef element = document.ElementAtSelection();
    CString tag = element.GetTagName();
    if (!element.IsValid() || tag == "TR" || tag == "TBODY" || tag == "TABLE")
        return CHtmlTableCellRef();
    return CHtmlTableCellRef(element.FindAncestor("TD"));
}

void InsertColumnAtCaret(const CHtmlDocumentRef& document, bool bAfter)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return;
    int offset = bAfter ? cell.GetNode()->GetColSpan() : 0;
    InsertColumn(GetTable(cell), GetColumnPosition(cell) + offset);
}

void InsertRowAtCaret(const CHtmlDocumentRef& document, bool bAfter)
{
    CHtmlTableCellRef cell = GetCellAtCaret(document);
    if (!cell.IsValid())
        return;
    InsertRow(GetTable(cell), GetRowIndex(cell) + (bAfter ? 1 : 0), -1);
}

CHtmlTableRef GetTableOf(const CHtmlElementRef& element)
{
    return CHtmlTableRef(element.FindAncestor("TABLE"));
}

CHtmlTableRef AsTable(const CHtmlElementRef& element)
{
    return CHtmlTableRef(element);
}

int GetRowCount(const CHtmlTableRef& table)
{
    return table.IsValid() ? table.GetNode()->GetRowCount() : 0;
}

CHtmlTableRowRef GetRowAt(const CHtmlTableRef& table, int nIndex)
{
    return table.IsValid() ? CHtmlTableRowRef(CHtmlElementRef(table.GetNode()->GetRow(nIndex))) : CHtmlTableRowRef();
}

int GetCellCount(const CHtmlTableRowRef& row)
{
    return row.IsValid() ? row.GetNode()->GetCellCount() : 0;
}

int GetColumnCount(const CHtmlTableRef& table)
{
    long long columns = 0;
    for (const HtmlNodePtr& cell : CellsOf(GetRowAt(table, 0)))
        columns += cell->GetColSpan();
    return columns > INT_MAX ? INT_MAX : static_cast<int>(columns);
}

CHtmlTableCellRef GetCellAtColumn(const CHtmlTableRowRef& row, int nPosition, bool bCovering)
{
    HtmlNodePtr remembered;
    int start = 0;
    for (const HtmlNodePtr& cell : CellsOf(row)) {
        if (start == nPosition)
            return CHtmlTableCellRef(CHtmlElementRef(cell));
        if (start > nPosition)
            break;
        remembered = cell;
        start += cell->GetColSpan();
    }
    return bCovering ? CHtmlTableCellRef(CHtmlElementRef(remembered)) : CHtmlTableCellRef();
}

CHtmlTableCellRef GetCellAtRowColumn(const CHtmlTableRef& table, int nRow, int nPosition, bool bCovering)
{
    CHtmlTableRowRef row = GetRowAt(table, nRow);
    return row.IsValid() ? GetCellAtColumn(row, nPosition, bCovering) : CHtmlTableCellRef();
}

CHtmlTableRowRef InsertRow(const CHtmlTableRef& table, int nIndex, int nCells)
{
    if (!table.IsValid())
        return CHtmlTableRowRef();
    if (nCells < 0)
        nCells = GetColumnCount(table);
    CHtmlTableRowRef row(CHtmlElementRef(table.GetNode()->InsertRow(nIndex)));
    for (int i = 0; row.IsValid() && i < nCells; ++i)
        InsertCellAt(row, 0);
    return row;
}

bool InsertColumn(const CHtmlTableRef& table, int nPosition)
{
    bool all = true;
    for (const HtmlNodePtr& row : RowsOf(table)) {
        if (!InsertCellAtColumn(RowRef(row), nPosition).IsValid())
            all = false;
    }
    return all;
}

bool DeleteColumn(const CHtmlTableRef& table, int nPosition)
{
    // The rows as they stand before: a row that loses its last cell goes,
    // and every other row is still visited once.
    bool all = true;
    for (const HtmlNodePtr& row : RowsOf(table)) {
        if (!DeleteCellAtColumn(RowRef(row), nPosition))
            all = false;
    }
    return all;
}

namespace {

struct GridCell
{
    HtmlNodePtr node;
    int position;
    int span;
};

// Every cell of the table with its column position, row by row; false when
// the table is not a plain grid or is empty, as BuildTableGrid tells.
bool ReadGridCells(const CHtmlTableRef& table, std::vector<std::vector<GridCell>>& rows, int& nColumns)
{
    rows.clear();
    nColumns = GetColumnCount(table);
    const std::vector<HtmlNodePtr> tableRows = RowsOf(table);
    if (tableRows.empty() || nColumns == 0)
        return false;
    rows.resize(tableRows.size());
    for (size_t r = 0; r < tableRows.size(); ++r) {
        int position = 0;
        for (const HtmlNodePtr& cell : CellsOf(RowRef(tableRows[r]))) {
            int span = cell->GetColSpan();
            if (cell->GetRowSpan() > 1 || span > nColumns - position) {
                rows.clear();
                return false;
            }
            rows[r].push_back({ cell, position, span });
            position += span;
        }
        if (position != nColumns) {
            rows.clear();
            return false;
        }
    }
    return true;
}

} // namespace

bool BuildTableGrid(const CHtmlTableRef& table, int& nRows, int& nColumns, std::vector<int>& grid)
{
    grid.clear();
    std::vector<std::vector<GridCell>> rows;
    bool plain = ReadGridCells(table, rows, nColumns);
    nRows = plain ? static_cast<int>(rows.size()) : GetRowCount(table);
    if (!plain)
        return false;
    grid.assign(static_cast<size_t>(nRows) * static_cast<size_t>(nColumns), 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (const GridCell& cell : rows[r])
            grid[r * static_cast<size_t>(nColumns) + static_cast<size_t>(cell.position)] = cell.span;
    }
    return true;
}

void TidyTable(const CHtmlTableRef& table)
{
    // Removing a column in which no cell starts narrows the one cell of each
    // row that covers it. Done for all such columns at once, every cell keeps
    // as many columns as there are cell starts under it, so the work follows
    // the cells that exist, not the column count they claim.
    int columns = 0;
    std::vector<std::vector<GridCell>> rows;
    if (!ReadGridCells(table, rows, columns))
        return;
    std::vector<int> starts;
    for (const auto& row : rows) {
        for (const GridCell& cell : row)
            starts.push_back(cell.position);
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (const auto& row : rows) {
        for (const GridCell& cell : row) {
            auto first = std::lower_bound(starts.begin(), starts.end(), cell.position);
            auto end = std::lower_bound(first, starts.end(), cell.position + cell.span);
            int kept = static_cast<int>(end - first);
            if (kept != cell.span)
                cell.node->SetColSpan(kept);
        }
    }
}
