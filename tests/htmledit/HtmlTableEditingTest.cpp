// The HTML editing view's table commands and the operations under them,
// run on our own document: each case starts from a table, puts the caret in
// a cell and compares the table's shape afterwards.
#include "html/DlgHtmlInsertTable.h"
#include "html/HtmlTableEditing.h"
#include "html/HtmlTableStructure.h"
#include "html/HtmlTagMenu.h"
#include "html/HtmlTextOps.h"
#include "html/MemoryHtmlDocument.h"
#include "resources/html/HtmlResource.h"

#include "coreui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A table as text: rows split by "|", cells by ",", each cell its text with
// "&nbsp;" as "_" and ":n" for a span of n.
std::string Shape(CMemoryHtmlDocument& doc)
{
    CHtmlTableRef table(CHtmlElementRef(doc.Find(L"TABLE")));
    if (!table.IsValid())
        return "(none)";
    std::string shape;
    for (int r = 0; r < GetRowCount(table); ++r) {
        if (r)
            shape += "|";
        CHtmlTableRowRef row = GetRowAt(table, r);
        for (int c = 0; c < GetCellCount(row); ++c) {
            CHtmlTableCellRef cell = GetCellAt(row, c);
            CString text = UnwrapTag(cell.GetInnerHtmlEscaped(), "DIV");
            text.Replace("&nbsp;", "_");
            shape += std::string(c ? "," : "") + text.GetString();
            if (cell.GetNode()->GetColSpan() > 1)
                shape += ":" + std::to_string(cell.GetNode()->GetColSpan());
        }
    }
    return shape;
}

std::wstring Table(const char* rows)
{
    // "a,b:2|c" back into markup.
    std::string html = "<p>before</p><table border=1>";
    std::string s = rows;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find('|', start);
        std::string row = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
        html += "<tr>";
        size_t cs = 0;
        while (cs <= row.size() && !row.empty()) {
            size_t ce = row.find(',', cs);
            std::string cell = row.substr(cs, ce == std::string::npos ? std::string::npos : ce - cs);
            size_t colon = cell.find(':');
            html += colon == std::string::npos ? "<td>" + cell + "</td>"
                                               : "<td colspan=" + cell.substr(colon + 1) + ">" +
                                                     cell.substr(0, colon) + "</td>";
            if (ce == std::string::npos)
                break;
            cs = ce + 1;
        }
        html += "</tr>";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    html += "</table>";
    return CString(html.c_str()).ToWide();
}

struct CommandCase
{
    const char* table;
    int caretCell;  // -1: the caret stands in the paragraph before the table; -2: in a row
    UINT (*command)(const CHtmlDocumentRef&);
    const char* expected;
    UINT message;
};

} // namespace

TEST(HtmlTableCommands, ReshapeTheTableAroundTheCaretCell)
{
    const CommandCase cases[] = {
        // Inserting after a cell of span 2 at position 1 inserts at position 3.
        { "a,b:2,c|d,e,f,g", 1, InsertColumnCommand, "a,b:2,_,c|d,e,f,_,g", 0 },
        // A new row takes the width of the first row: spans 1 and 2 give 3 cells.
        { "a,b:2|c,d,e", 0, InsertRowCommand, "a,b:2|_,_,_|c,d,e", 0 },
        { "a,b|c,d", 0, InsertCellCommand, "a,_,b|c,d", 0 },
        // Merging joins the texts with one non-breaking space and sums the spans.
        { "a:2,b|c,d,e", 0, MergeCellsCommand, "a_b:3|c,d,e", 0 },
        { "x&nbsp;,&nbsp;y|c,d", 0, MergeCellsCommand, "x_y:2|c,d", 0 },
        // The last cell of a row has nothing to merge with.
        { "a,b", 1, MergeCellsCommand, "a,b", 0 },
        // A merge that leaves a column no cell starts in removes that column.
        { "a,b", 0, MergeCellsCommand, "a_b", 0 },
        { "a:5", 0, SplitCellCommand, "a:2,_:3", 0 },
        // Splitting a cell of span 1 widens the same column in the other rows.
        { "a,b|c,d", 0, SplitCellCommand, "a,_,b|c:2,d", 0 },
        { "a,b|c,d", 3, DeleteCellCommand, "a,b|c", 0 },
        { "a,b|c,d", 2, DeleteRowCommand, "a,b", 0 },
        { "a", 0, DeleteRowCommand, "(none)", 0 },
        { "a,b:2|c,d,e", 3, DeleteColumnCommand, "a,b|c,e", 0 },
        // Every row of a one-column table loses its cell, not every other one.
        { "a|b|c", 0, DeleteColumnCommand, "", 0 },
        // Spans a mail claims count as a browser counts them: the tidy after
        // a deleted row ends at once, and a merge of the largest spans stays
        // at the largest.
        { "a|b:1000000,c:3|b:1000000,c:3|b:1000000,c:3|b:1000000,c:3|b:1000000,c:3|b:1000000,c:3|"
          "b:1000000,c:3|b:1000000,c:3",
          0, DeleteRowCommand, "b,c|b,c|b,c|b,c|b,c|b,c|b,c|b,c", 0 },
        { "a:2147483647,b:2147483647", 0, MergeCellsCommand, "a_b", 0 },
        { "a:2147483647,b:2147483647|c:600,d:600", 0, MergeCellsCommand, "a_b:1000|c:600,d:600", 0 },
        // Outside a cell the commands change nothing; most of them say why.
        { "a,b", -1, InsertColumnCommand, "a,b", 0 },
        { "a,b", -1, InsertRowCommand, "a,b", 0 },
        { "a,b", -2, InsertCellCommand, "a,b", IDS_HTML_INSERT_CELL_PLACE },
        { "a,b", -1, DeleteColumnCommand, "a,b", IDS_HTML_DELETE_COLUMN_PLACE },
        { "a,b", -1, DeleteRowCommand, "a,b", IDS_HTML_DELETE_ROW_PLACE },
        { "a,b", -1, DeleteCellCommand, "a,b", IDS_HTML_DELETE_CELL_PLACE },
        { "a,b", -1, MergeCellsCommand, "a,b", IDS_HTML_MERGE_CELL_PLACE },
        { "a,b", -2, SplitCellCommand, "a,b", IDS_HTML_SPLIT_CELL_PLACE },
    };
    for (const CommandCase& c : cases) {
        auto doc = std::make_shared<CMemoryHtmlDocument>(Table(c.table));
        if (c.caretCell >= 0)
            doc->SetCaret(doc->Find(L"TD", c.caretCell));
        else
            doc->SetCaret(doc->Find(c.caretCell == -1 ? L"P" : L"TR"));
        CHtmlDocumentRef ref;
        ref.Attach(nullptr, doc);
        EXPECT_EQ(c.command(ref), c.message) << c.table << " " << c.caretCell;
        EXPECT_EQ(Shape(*doc), c.expected) << c.table << " " << c.caretCell;
    }
}

TEST(HtmlTableStructure, PositionsAndGrids)
{
    CMemoryHtmlDocument doc(Table("a:2,b,c|d,e,f,g"));
    CHtmlTableRef table(CHtmlElementRef(doc.Find(L"TABLE")));
    CHtmlTableRowRef first = GetRowAt(table, 0);
    EXPECT_EQ(GetColumnPosition(GetCellAt(first, 2)), 3);
    EXPECT_EQ(GetColumnCount(table), 4);
    // Position 2 starts the second cell; position 1 lies inside the first.
    EXPECT_EQ(GetCellAtColumn(first, 2, false).GetNode(), GetCellAt(first, 1).GetNode());
    EXPECT_EQ(GetCellAtColumn(first, 1, true).GetNode(), GetCellAt(first, 0).GetNode());
    EXPECT_FALSE(GetCellAtColumn(first, 1, false).IsValid());
    int rows = 0, columns = 0;
    std::vector<int> grid;
    ASSERT_TRUE(BuildTableGrid(table, rows, columns, grid));
    EXPECT_EQ(grid, (std::vector<int>{ 2, 0, 1, 1, 1, 1, 1, 1 }));
    // Inside a wider cell a new column widens it and makes no cell.
    EXPECT_EQ(InsertCellAtColumn(first, 1).GetNode(), GetCellAt(first, 0).GetNode());
    EXPECT_EQ(GetCellCount(first), 3);
    EXPECT_EQ(GetCellAt(first, 0).GetNode()->GetColSpan(), 3);

    // Spans are read as a browser reads them.
    CMemoryHtmlDocument spans(L"<table><tr><td colspan=0>a</td><td colspan=-3>b</td><td colspan=x>c</td>"
                              L"<td colspan=99999999999>d</td><td colspan=1000>e</td><td colspan=1001>f</td>"
                              L"<td rowspan=70000>g</td><td rowspan=65534>h</td></tr></table>");
    CHtmlTableRowRef spanRow = GetRowAt(CHtmlTableRef(CHtmlElementRef(spans.Find(L"TABLE"))), 0);
    const int colSpans[] = { 1, 1, 1, 1000, 1000, 1000, 1, 1 };
    const int rowSpans[] = { 1, 1, 1, 1, 1, 1, 65534, 65534 };
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(GetCellAt(spanRow, i).GetNode()->GetColSpan(), colSpans[i]) << i;
        EXPECT_EQ(GetCellAt(spanRow, i).GetNode()->GetRowSpan(), rowSpans[i]) << i;
    }
    EXPECT_EQ(GetColumnCount(CHtmlTableRef(CHtmlElementRef(spans.Find(L"TABLE")))), 3005);

    // Rows of different widths, or a cell over two rows, are no grid.
    CMemoryHtmlDocument ragged(Table("a,b,c|d,e"));
    EXPECT_FALSE(BuildTableGrid(CHtmlTableRef(CHtmlElementRef(ragged.Find(L"TABLE"))), rows, columns, grid));
    CMemoryHtmlDocument tall(L"<table><tr><td rowspan=2>a</td><td>b</td></tr><tr><td>c</td></tr></table>");
    EXPECT_FALSE(BuildTableGrid(CHtmlTableRef(CHtmlElementRef(tall.Find(L"TABLE"))), rows, columns, grid));
    // A picture selected as a control is the element at the selection.
    CMemoryHtmlDocument picture(L"<p>x<img src=\"a.png\"></p>");
    picture.SelectControl(picture.Find(L"IMG"));
    CHtmlDocumentRef ref;
    EXPECT_FALSE(ref.Exec(52, nullptr, false)) << "no document yet";
    ref.Attach(nullptr, std::shared_ptr<CHtmlEngineDocument>(&picture, [](CHtmlEngineDocument*) {}));
    EXPECT_EQ(ref.ElementAtSelection().GetTagName(), "IMG");
}

TEST(HtmlTableMarkup, TheDialogsValuesMakeTheMarkup)
{
    HtmlNewTable t;
    t.nColumns = 3, t.nRows = 2, t.nCellWidth = 60, t.nBorder = 1;
    EXPECT_STREQ(BuildTableMarkup(t), "<table width=\"180\" border=\"1\">\r\n"
                                      "<tr>\t<td></td>\t<td></td>\t<td></td></tr>\r\n"
                                      "<tr>\t<td></td>\t<td></td>\t<td></td></tr>\r\n</table>\r\n");
    t.nColumns = 1, t.nRows = 1, t.strCaption = "表", t.strTableAttributes = "align=center",
    t.strCellAttributes = "bgcolor=red";
    EXPECT_STREQ(BuildTableMarkup(t), "<table width=\"60\" border=\"1\" align=center>\r\n<caption>表</caption>"
                                      "<tr>\t<td bgcolor=red></td></tr>\r\n</table>\r\n");
    t = HtmlNewTable();
    t.nRows = 0;
    EXPECT_STREQ(BuildTableMarkup(t), "<table width=\"180\" border=\"1\">\r\n</table>\r\n");
    t = HtmlNewTable();
    t.nColumns = 0, t.nRows = 1;
    EXPECT_STREQ(BuildTableMarkup(t), "<table width=\"0\" border=\"1\">\r\n<tr></tr>\r\n</table>\r\n");

    // Pasted at the caret, the markup becomes a table of the document.
    CMemoryHtmlDocument doc(L"<div>x</div>");
    doc.SetCaret(doc.Find(L"DIV"));
    CHtmlDocumentRef ref;
    ref.Attach(nullptr, std::shared_ptr<CHtmlEngineDocument>(&doc, [](CHtmlEngineDocument*) {}));
    ASSERT_TRUE(PasteHtmlAtSelection(ref, BuildTableMarkup(HtmlNewTable())));
    EXPECT_EQ(Shape(doc), ",,|,,|,,");
}

TEST(HtmlTextOps, NarrowTextKeepsEverythingAsReferences)
{
    EXPECT_STREQ(ToNarrowWithReferences(L"a\u00e9"), "a&#x00E9;");
    EXPECT_STREQ(ToNarrowWithReferences(L"~\u007f"), "~&#x007F;");
    EXPECT_STREQ(ToNarrowWithReferences(L"\u65e5\u672c"), "&#x65E5;&#x672C;");
    EXPECT_STREQ(ToNarrowWithReferences(nullptr), "");

    EXPECT_STREQ(UnwrapTag("  <DIV class=\"x\">abc</DIV>\r\n", "DIV"), "abc");
    EXPECT_STREQ(UnwrapTag("<div>abc</div>", "DIV"), "abc");
    EXPECT_STREQ(UnwrapTag(" <DIV>abc ", "DIV"), "<DIV>abc");

    EXPECT_STREQ(StripAffix("a&NBSP;", "&nbsp;", true), "a");
    EXPECT_STREQ(StripAffix("&nbsp;", "&nbsp;", true), "");
    EXPECT_STREQ(StripAffix("&nbsp;b&nbsp;", "&nbsp;", false), "b&nbsp;");
    EXPECT_STREQ(StripAffix("b", "&nbsp;", false), "b");

    VARIANT v;
    v.vt = VT_I4, v.lVal = 5;
    EXPECT_STREQ(VariantToText(v), "5");
    v.vt = VT_BOOL, v.boolVal = VARIANT_TRUE;
    EXPECT_STREQ(VariantToText(v), "-1");
    v.vt = VT_R8, v.dblVal = 1.5;
    EXPECT_STREQ(VariantToText(v), "");
    v.vt = VT_BSTR, v.bstrVal = SysAllocString(L"\u65e5\u672c");
    EXPECT_STREQ(VariantToText(v), "日本");
    VariantClear(&v);
}

TEST(HtmlTagMenu, EachNameHasItsLetterAndCommand)
{
    CString names[] = { "標準", "見出し 1", "見出し 2" };
    CHtmlTagMenu menu(3, names);
    ASSERT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(0), 33293u);
    EXPECT_EQ(menu.GetMenuItemID(2), 33295u);
    EXPECT_STREQ(menu.GetMenuString(0, MF_BYPOSITION), "標準(&A)");
    EXPECT_STREQ(menu.GetMenuString(2, MF_BYPOSITION), "見出し 2(&C)");
    CHtmlTagMenu empty(0, nullptr);
    EXPECT_EQ(empty.GetMenuItemCount(), 0);
}

TEST(DlgHtmlInsertTable, ConfirmedUnchangedGivesTheDefaults)
{
    CDlgHtmlInsertTable dlg;
    INT_PTR result = UiTest::RunModal(dlg, "テーブルのプロパティ", [](HWND hDlg) {
        if (hDlg)
            UiTest::Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_table.nColumns, 3);
    EXPECT_EQ(dlg.m_table.nRows, 3);
    EXPECT_EQ(dlg.m_table.nCellWidth, 60);
    EXPECT_EQ(dlg.m_table.nBorder, 1);
    EXPECT_TRUE(dlg.m_table.strCaption.IsEmpty() && dlg.m_table.strTableAttributes.IsEmpty() &&
                dlg.m_table.strCellAttributes.IsEmpty());
}
