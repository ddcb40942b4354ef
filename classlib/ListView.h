// CListView: a view that is a list-view control. GetListCtrl gives the
// control's operations on the view's own window. Notifications the control
// sends its parent come back to the view's map through ON_NOTIFY_REFLECT.
#pragma once

#include "classlib/ListCtrl.h"
#include "classlib/View.h"

class CListView : public CView
{
public:
    CListView() = default;
    ~CListView() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    CListCtrl& GetListCtrl() const;

protected:
    void OnPaint() { Default(); }
    // Owner-drawn rows: the parent reflects WM_DRAWITEM and WM_MEASUREITEM here.
    virtual void DrawItem(DRAWITEMSTRUCT* pDis);
    virtual void MeasureItem(MEASUREITEMSTRUCT* pMis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()

private:
    // Shares the view's handle without owning it.
    mutable CListCtrl m_control;
};
