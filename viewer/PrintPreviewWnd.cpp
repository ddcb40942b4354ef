#include "viewer/PrintPreviewWnd.h"

#include "classlib/GdiSelection.h"
#include "viewer/ColorTextView.h"
#include "viewer/TextPrinter.h"

#include <winspool.h>

#include <algorithm>

BEGIN_MESSAGE_MAP(CPrintPreviewWnd, CWnd)
    ON_MESSAGE(WM_PAINT, OnPaintMsg)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDownMsg)
END_MESSAGE_MAP()

CPrintPreviewWnd* CPrintPreviewWnd::Show(CColorTextView* pView, bool bSelection)
{
    auto* wnd = new CPrintPreviewWnd;
    wnd->m_settings = PrintSettings::Load();
    char printer[512] = {};
    DWORD size = sizeof(printer);
    if (GetDefaultPrinterA(printer, &size))
        wnd->m_hInfoDC = CreateICA("WINSPOOL", printer, nullptr, nullptr);
    HDC measure = wnd->m_hInfoDC ? wnd->m_hInfoDC : GetDC(nullptr);
    if (wnd->m_hInfoDC) {
        wnd->m_metrics = CTextPrinter::MetricsOf(measure);
    } else {
        // A4 at the screen's resolution.
        int ppi = GetDeviceCaps(measure, LOGPIXELSX);
        wnd->m_metrics = {ppi, GetDeviceCaps(measure, LOGPIXELSY), 210 * ppi * 10 / 254, 297 * ppi * 10 / 254};
    }
    wnd->m_pages.reset(new CTextPagination(wnd->m_metrics, wnd->m_settings));
    HFONT font = CTextPrinter::CreatePrinterFont(measure, wnd->m_settings);
    {
        CGdiSelection select(measure, font);
        std::string text = CTextPrinter::TextToPrint(pView, measure, wnd->m_pages->PrintableWidth(), bSelection);
        wnd->m_lines = CTextPrinter::LayOut(measure, text, wnd->m_pages->PrintableWidth(), 4);
    }
    DeleteObject(font);
    if (!wnd->m_hInfoDC)
        ReleaseDC(nullptr, measure);
    const char* cls = AfxRegisterWndClass("CVMPrintPreview", CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                                          GetSysColorBrush(COLOR_APPWORKSPACE));
    HWND owner = GetAncestor(pView->GetSafeHwnd(), GA_ROOT);
    if (!wnd->CreateEx(0, cls, "印刷プレビュー", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 600,
                       760, owner, nullptr)) {
        delete wnd;
        return nullptr;
    }
    wnd->TurnTo(1);
    return wnd;
}

CPrintPreviewWnd::~CPrintPreviewWnd()
{
    if (m_hInfoDC)
        DeleteDC(m_hInfoDC);
}

int CPrintPreviewWnd::GetPageCount() const
{
    return m_pages ? m_pages->PageCount(static_cast<int>(m_lines.size())) : 0;
}

void CPrintPreviewWnd::TurnTo(int nPage)
{
    m_nPage = std::max(1, std::min(nPage, GetPageCount()));
    CString title;
    title.Format("印刷プレビュー - %d / %d", m_nPage, GetPageCount());
    SetWindowText(title);
    Invalidate();
}

BOOL CPrintPreviewWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->hwnd == m_hWnd) {
        OnKeyDownMsg(pMsg->wParam, pMsg->lParam);
        return TRUE;
    }
    return CWnd::PreTranslateMessage(pMsg);
}

LRESULT CPrintPreviewWnd::OnKeyDownMsg(WPARAM wParam, LPARAM)
{
    switch (wParam) {
    case VK_NEXT:
        TurnTo(m_nPage + 1);
        return 0;
    case VK_PRIOR:
        TurnTo(m_nPage - 1);
        return 0;
    case VK_ESCAPE:
        DestroyWindow();
        return 0;
    default:
        return Default();
    }
}

LRESULT CPrintPreviewWnd::OnPaintMsg(WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT rc;
    GetClientRect(&rc);
    // The page keeps its proportions inside the window with a margin.
    const int room = std::max(1, static_cast<int>(rc.bottom) - 20);
    int height = room;
    int width = static_cast<int>(static_cast<long long>(height) * m_metrics.nHorzRes / std::max(1, m_metrics.nVertRes));
    if (width > rc.right - 20) {
        width = std::max(1, static_cast<int>(rc.right) - 20);
        height = static_cast<int>(static_cast<long long>(width) * m_metrics.nVertRes / std::max(1, m_metrics.nHorzRes));
    }
    RECT page = {(rc.right - width) / 2, 10, (rc.right - width) / 2 + width, 10 + height};
    FillRect(hdc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (m_pages) {
        int saved = SaveDC(hdc);
        SetMapMode(hdc, MM_ANISOTROPIC);
        SetWindowExtEx(hdc, m_metrics.nHorzRes, m_metrics.nVertRes, nullptr);
        SetViewportExtEx(hdc, width, height, nullptr);
        SetViewportOrgEx(hdc, page.left, page.top, nullptr);
        HFONT font = CTextPrinter::CreatePrinterFont(m_hInfoDC ? m_hInfoDC : hdc, m_settings);
        {
            CGdiSelection select(hdc, font);
            CTextPrinter::DrawPage(hdc, *m_pages, m_lines, m_nPage, 4);
        }
        DeleteObject(font);
        RestoreDC(hdc, saved);
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}
