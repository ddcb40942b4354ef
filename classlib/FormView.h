// CFormView: a view made from a dialog template (style WS_CHILD): its
// controls come from the template, and the view scrolls like any other.
#pragma once

#include "classlib/ScrollView.h"

class CFormView : public CScrollView
{
public:
    explicit CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

    // Creates the form from its template as child nID of pParent.
    BOOL Create(CWnd* pParent, UINT nID, const RECT& rect);
    // Controls and members exchanged here, like a dialog's.
    virtual BOOL OnInitDialog() { return TRUE; }

    UINT m_nIDTemplate;

protected:
    LRESULT HandleInitDialog(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};
