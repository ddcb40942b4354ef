// CPrintPreviewWnd: "印刷プレビュー": the pages of a printed text drawn
// scaled into a window of their own, as the default printer would print
// them (a page of A4 at the screen's resolution when there is no printer).
// Page Down and Page Up turn the pages; Esc closes the window.
#pragma once

#include "classlib/ClassLib.h"
#include "viewer/TextLine.h"
#include "viewer/TextPagination.h"

#include <memory>
#include <string>
#include <vector>

class CColorTextView;

class CPrintPreviewWnd : public CWnd
{
public:
    // Opens the preview of the view's text (or its selection).
    static CPrintPreviewWnd* Show(CColorTextView* pView, bool bSelection);
    ~CPrintPreviewWnd() override;

    int GetPage() const { return m_nPage; }
    int GetPageCount() const;
    // Its keys are its own, not the accelerators of the window it belongs to.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override { delete this; }
    LRESULT OnPaintMsg(WPARAM, LPARAM);
    LRESULT OnKeyDownMsg(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CPrintPreviewWnd() = default;
    void TurnTo(int nPage);

    HDC m_hInfoDC = nullptr;  // the printer's information context, when there is one
    std::unique_ptr<CTextPagination> m_pages;
    PrintPageMetrics m_metrics;
    PrintSettings m_settings;
    std::vector<CTextLine> m_lines;
    int m_nPage = 1;
};
