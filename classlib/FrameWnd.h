// CFrameWnd: a top-level window with a title, menu, icon and accelerators
// loaded from resources that share one id. Frames are made with new and
// delete themselves when their window is gone.
#pragma once

#include "classlib/Wnd.h"

// Frame style bit (not a window style): the document title would be added to the caption.
#define FWS_ADDTOTITLE 0x00008000L

class CFrameWnd : public CWnd
{
public:
    CFrameWnd() = default;

    // Title (the text up to the first line break of string nIDResource), menu,
    // icon and accelerator table nIDResource.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr);
    BOOL LoadAccelTable(UINT nIDResource);
    virtual void ActivateFrame(int nCmdShow = -1);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The frame's own map, then the application's.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra = nullptr, LRESULT* pResult = nullptr) override;

    HACCEL m_hAccelTable = nullptr;
    UINT m_nIDResource = 0;
    DWORD m_dwFrameStyle = 0;
    CString m_strTitle;

protected:
    void PostNcDestroy() override { delete this; }
    void OnClose();

    DECLARE_MESSAGE_MAP()
};
