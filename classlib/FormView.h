// CFormView: a view made from a dialog template (the template has the
// styles WS_CHILD and DS_CONTROL): its controls are laid out by the template
// and keyboard navigation between them works as in a dialog.
#pragma once

#include "classlib/View.h"

class CFormView : public CView
{
public:
    explicit CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

    // Creates the form from its template as child nID of pParent.
    BOOL Create(CWnd* pParent, UINT nID, const RECT& rect) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnInitialUpdate() override;

    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;

    UINT m_nIDTemplate;

protected:
    void OnPaint() { Default(); }
    // The focus goes on to the control that had it last (the first one at first).
    void OnSetFocus(HWND hOldWnd);

    HWND m_hWndFocus = nullptr;

    DECLARE_MESSAGE_MAP()
};
