// The HTML editing view's table commands, on the cell that holds the caret.
// Each command answers the id of the message to show when the caret is not
// in a cell (0 when nothing is to be shown); the view shows it.
#pragma once

#include "html/HtmlDocumentRef.h"

// What the insert-table dialog describes.
struct HtmlNewTable
{
    int nCellWidth = 60;
    int nColumns = 3;
    int nRows = 3;
    CString strCaption;
    CString strTableAttributes;
    CString strCellAttributes;
    int nBorder = 1;
};

CString BuildTableMarkup(const HtmlNewTable& table);
// Pastes the markup at the selection; false without a document or selection.
bool PasteHtmlAtSelection(const CHtmlDocumentRef& document, const char* pszHtml);

UINT InsertColumnCommand(const CHtmlDocumentRef& document);
UINT InsertRowCommand(const CHtmlDocumentRef& document);
UINT InsertCellCommand(const CHtmlDocumentRef& document);
UINT DeleteColumnCommand(const CHtmlDocumentRef& document);
UINT DeleteRowCommand(const CHtmlDocumentRef& document);
UINT DeleteCellCommand(const CHtmlDocumentRef& document);
UINT MergeCellsCommand(const CHtmlDocumentRef& document);
UINT SplitCellCommand(const CHtmlDocumentRef& document);
