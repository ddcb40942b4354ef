#include "html/HtmlTableStructure.h"

#include <algorithm>
#include <climits>

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
    CHtmlTableRowRef row = GetRow(cell);
    int position = 0;
    for (int i = 0; i < GetCellCount(row); ++i) {
        HtmlNodePtr other = row.GetNode()->GetCell(i);
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
    int count = GetCellCount(row);
    int start = 0;
    for (int i = 0; i < count; ++i) {
        HtmlNodePtr cell = row.GetNode()->GetCell(i);
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
    int count = GetCellCount(row);
    int start = 0;
    for (int i = 0; i < count; ++i) {
        HtmlNodePtr cell = row.GetNode()->GetCell(i);
        int span = cell->GetColSpan();
        if (span == 1 && start == nPosition) {
            if (!cell->RemoveNode())
                return false;
            if (GetCellCount(row) == 0)
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
    CHtmlTableRowRef first = GetRowAt(table, 0);
    long long columns = 0;
    for (int i = 0; i < GetCellCount(first); ++i)
        columns += first.GetNode()->GetCell(i)->GetColSpan();
    return columns > INT_MAX ? INT_MAX : static_cast<int>(columns);
}

CHtmlTableCellRef GetCellAtColumn(const CHtmlTableRowRef& row, int nPosition, bool bCovering)
{
    HtmlNodePtr remembered;
    int start = 0;
    for (int i = 0; i < GetCellCount(row); ++i) {
        HtmlNodePtr cell = row.GetNode()->GetCell(i);
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
    for (int i = 0;; ++i) {
        CHtmlTableRowRef row = GetRowAt(table, i);
        if (!row.IsValid())
            break;
        if (!InsertCellAtColumn(row, nPosition).IsValid())
            all = false;
    }
    return all;
}

bool DeleteColumn(const CHtmlTableRef& table, int nPosition)
{
    bool all = true;
    for (int i = 0;;) {
        CHtmlTableRowRef row = GetRowAt(table, i);
        if (!row.IsValid())
            break;
        int before = GetRowCount(table);
        if (!DeleteCellAtColumn(row, nPosition))
            all = false;
        // A row that lost its last cell is gone: the next row now has its index.
        if (GetRowCount(table) == before)
            ++i;
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
    int count = GetRowCount(table);
    if (count == 0 || nColumns == 0)
        return false;
    rows.resize(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r) {
        CHtmlTableRowRef row = GetRowAt(table, r);
        int position = 0;
        for (int i = 0; i < GetCellCount(row); ++i) {
            HtmlNodePtr cell = row.GetNode()->GetCell(i);
            int span = cell->GetColSpan();
            if (cell->GetRowSpan() > 1 || span > nColumns - position) {
                rows.clear();
                return false;
            }
            rows[static_cast<size_t>(r)].push_back({ cell, position, span });
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
    nRows = GetRowCount(table);
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
