// The table operations of the HTML editing view's table commands. Positions
// are counted in columns, a cell covering as many as its column span. Every
// operation tolerates a missing table, row or cell: it answers an invalid
// reference, 0 or false and shows nothing.
#pragma once

#include "html/HtmlDocumentRef.h"
#include "html/HtmlTableCellRef.h"
#include "html/HtmlTableRef.h"
#include "html/HtmlTableRowRef.h"

#include <vector>

// ---- A cell in its row and table ----
CHtmlTableRowRef GetRow(const CHtmlTableCellRef& cell);
CHtmlTableRef GetTable(const CHtmlTableCellRef& cell);
// Sum of the column spans of the cells before it in its row.
int GetColumnPosition(const CHtmlTableCellRef& cell);
int GetRowIndex(const CHtmlTableCellRef& cell);
CHtmlTableCellRef GetCellAt(const CHtmlTableRowRef& row, int nIndex);
// A new cell before the cell of the index (at the end when the index is the
// count), holding a non-breaking space.
CHtmlTableCellRef InsertCellAt(const CHtmlTableRowRef& row, int nIndex);
// A new cell where a cell starts at the position (or past the row's end); a
// cell that covers the position is widened by one instead.
CHtmlTableCellRef InsertCellAtColumn(const CHtmlTableRowRef& row, int nPosition);
// The cell of span 1 at the position goes (and the row with it when it was
// the last); a wider cell over it loses one column. False when no cell
// covers the position.
bool DeleteCellAtColumn(const CHtmlTableRowRef& row, int nPosition);

// ---- Tables ----
// The TD cell at the caret; none when the selection stands between cells.
CHtmlTableCellRef GetCellAtCaret(const CHtmlDocumentRef& document);
void InsertColumnAtCaret(const CHtmlDocumentRef& document, bool bAfter);
void InsertRowAtCaret(const CHtmlDocumentRef& document, bool bAfter);
CHtmlTableRef GetTableOf(const CHtmlElementRef& element);
CHtmlTableRef AsTable(const CHtmlElementRef& element);
int GetRowCount(const CHtmlTableRef& table);
CHtmlTableRowRef GetRowAt(const CHtmlTableRef& table, int nIndex);
int GetCellCount(const CHtmlTableRowRef& row);
// Sum of the column spans of the first row.
int GetColumnCount(const CHtmlTableRef& table);
// The cell that starts at the position; with bCovering also the cell that
// covers it (or the row's last cell past its end).
CHtmlTableCellRef GetCellAtColumn(const CHtmlTableRowRef& row, int nPosition, bool bCovering);
CHtmlTableCellRef GetCellAtRowColumn(const CHtmlTableRef& table, int nRow, int nPosition, bool bCovering);
// A new row at the index with nCells cells (negative: the column count).
CHtmlTableRowRef InsertRow(const CHtmlTableRef& table, int nIndex, int nCells);
bool InsertColumn(const CHtmlTableRef& table, int nPosition);
bool DeleteColumn(const CHtmlTableRef& table, int nPosition);
// The column span of the cell starting at each row and column, 0 where a
// cell from further left covers it; false when the table is not a plain
// grid (a cell spanning rows, rows of different widths) or is empty.
bool BuildTableGrid(const CHtmlTableRef& table, int& nRows, int& nColumns, std::vector<int>& grid);
// Removes the columns in which no cell starts.
void TidyTable(const CHtmlTableRef& table);
