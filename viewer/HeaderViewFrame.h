// CHeaderViewFrame: the header window ("CVMHeaderWndClass"): a frame with
// a colour text view as its pane, placed and sized as it was last left.
#pragma once

#include "classlib/ClassLib.h"

class CColorTextView;

class CHeaderViewFrame : public CFrameWnd
{
public:
    CHeaderViewFrame();

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra = nullptr, LRESULT* pResult = nullptr) override;
    CColorTextView* GetView() const { return m_pView; }

protected:
    LRESULT OnDestroyMsg(WPARAM, LPARAM);
    LRESULT OnActivateMsg(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CColorTextView* m_pView = nullptr;  // deletes itself with its window
    int m_nScrollMode = 1;
};
