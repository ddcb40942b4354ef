#include "viewer/TextPrinter.h"

#include "classlib/GdiSelection.h"
#include "mainwnd/FontSetting.h"
#include "viewer/ColorTextView.h"
#include "viewer/DlgPrintRange.h"
#include "viewer/MailView.h"
#include "viewer/PrintHeaderText.h"
#include "viewer/PrintPreviewWnd.h"
#include "viewer/TextLayout.h"
#include "viewer/ViewerProfile.h"

#include <commdlg.h>

namespace {

// The print dialog's device settings, freed with the dialog's result.
struct CPrintDlgResult
{
    PRINTDLGA pd = {};
    ~CPrintDlgResult()
    {
        if (pd.hDevMode)
            GlobalFree(pd.hDevMode);
        if (pd.hDevNames)
            GlobalFree(pd.hDevNames);
    }
};

} // namespace

PrintPageMetrics CTextPrinter::MetricsOf(HDC hdc)
{
    PrintPageMetrics m;
    m.nPixelsPerInchX = GetDeviceCaps(hdc, LOGPIXELSX);
    m.nPixelsPerInchY = GetDeviceCaps(hdc, LOGPIXELSY);
    m.nHorzRes = GetDeviceCaps(hdc, HORZRES);
    m.nVertRes = GetDeviceCaps(hdc, VERTRES);
    return m;
}

HFONT CTextPrinter::CreatePrinterFont(HDC hdc, const PrintSettings& settings)
{
    LOGFONTA lf = GetFontSetting("Font");
    lf.lfHeight = -(settings.nFontSize * GetDeviceCaps(hdc, LOGPIXELSY) / 72);
    lf.lfWidth = 0;
    return CreateFontIndirectA(&lf);
}

std::vector<CTextLine> CTextPrinter::LayOut(HDC hdc, const std::string& text, int nWidth, int nTabColumns)
{
    SIZE abc = {};
    GetTextExtentPoint32A(hdc, "ABC", 3, &abc);
    TextLayoutOptions opt;
    opt.nWrapWidth = nWidth > 0 ? nWidth : 1;
    opt.nAvgCharWidth = abc.cx / 3 > 0 ? abc.cx / 3 : 1;
    opt.nTabColumns = nTabColumns;
    opt.bOldStyle = ViewerProfile::GetInt("ViewOption", "OldStyleWordBreak", 0) != 0;
    opt.bNoWordBreak = ViewerProfile::GetInt("ViewOption", "DoNotViewWordBreak", 0) != 0;
    const int tab = opt.nAvgCharWidth * nTabColumns;
    std::vector<CTextLine> lines;
    CTextLayout layout;
    layout.Start(&text, opt,
                 [hdc, tab](const char* p, int n) { return static_cast<int>(LOWORD(GetTabbedTextExtentA(hdc, p, n, 1, &tab))); },
                 &lines);
    layout.Continue(static_cast<size_t>(-1));
    return lines;
}

std::string CTextPrinter::TextToPrint(CColorTextView* pView, HDC hdc, int nPrintableWidth, bool bSelection)
{
    std::string header;
    if (auto* host = dynamic_cast<CMailView*>(CWnd::FromHandlePermanent(::GetParent(pView->GetSafeHwnd())))) {
        CString separator = ViewerProfile::GetString("PrintSetting", "PrintHeaderSeparateChar", "=");
        SIZE size = {};
        GetTextExtentPoint32A(hdc, separator, separator.GetLength(), &size);
        host->BuildPrintHeader(CPrintHeaderText::SeparatorCount(nPrintableWidth, size.cx), separator);
        header = pView->GetPrintHeader();
        pView->SetPrintHeader(std::string());
    }
    return header + (bSelection ? pView->GetSelectedText() : pView->GetText());
}

bool CTextPrinter::DrawPage(HDC hdc, const CTextPagination& pages, const std::vector<CTextLine>& lines, int nPage,
                            int nTabColumns)
{
    const int first = pages.FirstLineOfPage(nPage);
    if (nPage > 1 && first >= static_cast<int>(lines.size()))
        return false;
    SIZE abc = {};
    GetTextExtentPoint32A(hdc, "ABC", 3, &abc);
    const int tab = (abc.cx / 3 > 0 ? abc.cx / 3 : 1) * nTabColumns;
    SetTextColor(hdc, RGB(0, 0, 0));
    SetBkMode(hdc, TRANSPARENT);
    int y = pages.TextTop();
    for (int i = first; i < static_cast<int>(lines.size()) && y <= pages.LowestTop(); ++i, y += pages.LinePitch()) {
        const std::string& text = lines[static_cast<size_t>(i)].text;
        TabbedTextOutA(hdc, pages.TextLeft(), y, text.data(), static_cast<int>(text.size()), 1, &tab,
                       pages.TextLeft());
    }
    std::string footer = CTextPagination::Footer(nPage);
    SIZE size = {};
    GetTextExtentPoint32A(hdc, footer.c_str(), static_cast<int>(footer.size()), &size);
    TextOutA(hdc, pages.PrintableWidth() / 2 - size.cx / 2, pages.FooterTop(), footer.c_str(),
             static_cast<int>(footer.size()));
    return true;
}

int CTextPrinter::PrintView(CColorTextView* pView, HDC hdcPrinter, const char* pszOutput, bool bSelection)
{
    if (!pView || !pView->GetSafeHwnd())
        return -1;
    CPrintDlgResult dialog;
    HDC hdc = hdcPrinter;
    if (!hdc) {
        dialog.pd.lStructSize = sizeof(dialog.pd);
        dialog.pd.hwndOwner = pView->GetSafeHwnd();
        dialog.pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
        if (!pView->HasSelection())
            dialog.pd.Flags |= PD_NOSELECTION;
        else if (bSelection)
            dialog.pd.Flags |= PD_SELECTION;
        if (!PrintDlgA(&dialog.pd) || !dialog.pd.hDC)
            return -1;
        hdc = dialog.pd.hDC;
        bSelection = (dialog.pd.Flags & PD_SELECTION) != 0;
    }
    const PrintSettings settings = PrintSettings::Load();
    CTextPagination pages(MetricsOf(hdc), settings);
    HFONT font = CreatePrinterFont(hdc, settings);
    int printed = -1;
    {
        CGdiSelection selectFont(hdc, font);
        const int tabColumns = 4;
        std::string text = TextToPrint(pView, hdc, pages.PrintableWidth(), bSelection && pView->HasSelection());
        std::vector<CTextLine> lines = LayOut(hdc, text, pages.PrintableWidth(), tabColumns);
        DOCINFOA doc = {};
        doc.cbSize = sizeof(doc);
        CString title = CWnd::FromHandle(GetAncestor(pView->GetSafeHwnd(), GA_ROOT))->GetWindowText();
        doc.lpszDocName = title.IsEmpty() ? "Corvane Mail" : title.GetString();
        doc.lpszOutput = pszOutput;
        if (StartDocA(hdc, &doc) > 0) {
            printed = 0;
            const int count = pages.PageCount(static_cast<int>(lines.size()));
            for (int page = 1; page <= count; ++page) {
                if (StartPage(hdc) <= 0)
                    break;
                // StartPage may reset the device context's objects.
                SelectObject(hdc, font);
                DrawPage(hdc, pages, lines, page, tabColumns);
                if (EndPage(hdc) <= 0)
                    break;
                ++printed;
            }
            if (printed == count)
                EndDoc(hdc);
            else
                AbortDoc(hdc);
        }
    }
    DeleteObject(font);
    if (!hdcPrinter)
        DeleteDC(hdc);
    pView->Invalidate();
    return printed;
}

int CTextPrinter::PrintViewDirect(CColorTextView* pView)
{
    if (!pView || !pView->GetSafeHwnd())
        return -1;
    CPrintDlgResult dialog;
    dialog.pd.lStructSize = sizeof(dialog.pd);
    dialog.pd.hwndOwner = pView->GetSafeHwnd();
    dialog.pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgA(&dialog.pd) || !dialog.pd.hDC)
        return -1;
    int printed = PrintView(pView, dialog.pd.hDC);
    DeleteDC(dialog.pd.hDC);
    return printed;
}

void CTextPrinter::PreviewView(CColorTextView* pView)
{
    if (!pView || !pView->GetSafeHwnd())
        return;
    bool selection = false;
    if (pView->HasSelection()) {
        CDlgPrintRange dlg(CWnd::FromHandle(pView->GetSafeHwnd()));
        dlg.m_nRange = ViewerProfile::GetInt("Setting", "PrintPreviewRange", 0);
        if (dlg.DoModal() != IDOK)
            return;
        if (CQuendalApp* app = QuendalApp())
            app->WriteProfileInt("Setting", "PrintPreviewRange", dlg.m_nRange);
        selection = dlg.m_nRange == 1;
    }
    CPrintPreviewWnd::Show(pView, selection);
}

void CTextPrinter::PrinterSetup(HWND hOwner)
{
    CPrintDlgResult dialog;
    dialog.pd.lStructSize = sizeof(dialog.pd);
    dialog.pd.hwndOwner = hOwner;
    dialog.pd.Flags = PD_PRINTSETUP;
    PrintDlgA(&dialog.pd);
}
