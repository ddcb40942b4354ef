// HTML table commands benchmark: Delete Row in tables of 20,000 and 40,000
// one-cell rows and Merge Cells in a table of 10 rows of 6,000 cells, such as
// a mail may bring, run on our own HTML document. Prints "name: value unit"
// lines.
#include "html/HtmlTableEditing.h"
#include "html/MemoryHtmlDocument.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace {

double Ms(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

std::wstring Table(int nRows, int nCells)
{
    std::wstring html = L"<table border=1>";
    for (int r = 0; r < nRows; ++r) {
        html += L"<tr>";
        for (int c = 0; c < nCells; ++c)
            html += L"<td>" + std::to_wstring(c) + L"</td>";
        html += L"</tr>\r\n";
    }
    return html + L"</table>";
}

// One command with the caret in the cell of that index; the time of the
// command alone.
double Run(int nRows, int nCells, int nCaretCell, UINT (*command)(const CHtmlDocumentRef&))
{
    auto doc = std::make_shared<CMemoryHtmlDocument>(Table(nRows, nCells));
    doc->SetCaret(doc->Find(L"TD", nCaretCell));
    CHtmlDocumentRef ref;
    ref.Attach(nullptr, doc);
    auto start = std::chrono::steady_clock::now();
    command(ref);
    return Ms(start);
}

} // namespace

int main()
{
    std::printf("html_table_delete_row_20000_rows: %.1f ms\n", Run(20000, 1, 10000, DeleteRowCommand));
    std::printf("html_table_delete_row_40000_rows: %.1f ms\n", Run(40000, 1, 20000, DeleteRowCommand));
    std::printf("html_table_merge_cells_10x6000: %.1f ms\n", Run(10, 6000, 3000, MergeCellsCommand));
    return 0;
}
