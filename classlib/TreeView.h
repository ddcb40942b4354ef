// CTreeView: a view that is a tree-view control. GetTreeCtrl gives the
// control's operations on the view's own window; notifications come back to
// the view's map through ON_NOTIFY_REFLECT.
#pragma once

#include "classlib/TreeCtrl.h"
#include "classlib/View.h"

class CTreeView : public CView
{
public:
    CTreeView() = default;
    ~CTreeView() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    CTreeCtrl& GetTreeCtrl() const;

protected:
    void OnPaint() { Default(); }
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()

private:
    // Shares the view's handle without owning it.
    mutable CTreeCtrl m_control;
};
