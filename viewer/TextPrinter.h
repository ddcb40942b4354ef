// CTextPrinter: prints the text of a colour text view (the whole text or
// the selection) on a printer: the hosting mail view's header block above
// it, the margins, font size and line spacing of the print settings, and
// "- n -" at the foot of every page. Also the print preview with its range
// question and the printer set-up.
#pragma once

#include "viewer/TextLine.h"
#include "viewer/TextPagination.h"

#include <windows.h>

#include <string>
#include <vector>

class CColorTextView;

class CTextPrinter
{
public:
    // Prints on hdcPrinter, or asks with the print dialog when it is null
    // (the dialog's Selection choice only offered with a selection).
    // pszOutput names a file the job goes to instead of the printer's port.
    // Returns the number of pages printed; -1 when cancelled or failed.
    static int PrintView(CColorTextView* pView, HDC hdcPrinter, const char* pszOutput = nullptr,
                         bool bSelection = false);
    // Prints the whole text on the default printer without asking; -1 when
    // there is no printer or printing failed.
    static int PrintViewDirect(CColorTextView* pView);
    // The preview: asks for the range first when the view has a selection
    // ("印刷範囲", choice kept in PrintPreviewRange); then shows the pages.
    static void PreviewView(CColorTextView* pView);
    static void PrinterSetup(HWND hOwner);

    // The lines as they are printed: the header block and the text laid out
    // for the printable width in the printer font of hdc.
    static std::vector<CTextLine> LayOut(HDC hdc, const std::string& text, int nWidth, int nTabColumns);
    // The text a view prints (the mail view's header block above it).
    static std::string TextToPrint(CColorTextView* pView, HDC hdc, int nPrintableWidth, bool bSelection);
    // The printer font for a device.
    static HFONT CreatePrinterFont(HDC hdc, const PrintSettings& settings);
    static PrintPageMetrics MetricsOf(HDC hdc);
    // Draws page nPage (from 1) of the lines; false when no line is left for it.
    static bool DrawPage(HDC hdc, const CTextPagination& pages, const std::vector<CTextLine>& lines, int nPage,
                         int nTabColumns);
};
