#include "classlib/ControlBar.h"

#include "classlib/FrameWnd.h"

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CControlBar::~CControlBar()
{
    if (m_pFrame)
        m_pFrame->RemoveControlBar(this);
}

SIZE CControlBar::CalcFixedLayout(BOOL, BOOL)
{
    RECT rc = {};
    GetWindowRect(&rc);
    return SIZE{ rc.right - rc.left, rc.bottom - rc.top };
}

void CControlBar::OnUpdateCmdUI(CFrameWnd*, BOOL)
{
}

CFrameWnd* CControlBar::GetParentFrame() const
{
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
        if (auto* pFrame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(h)))
            return pFrame;
    }
    return nullptr;
}

void CControlBar::AttachToFrame()
{
    m_pFrame = GetParentFrame();
    if (m_pFrame)
        m_pFrame->AddControlBar(this);
}

void CControlBar::OnDestroy()
{
    if (m_pFrame) {
        m_pFrame->RemoveControlBar(this);
        m_pFrame = nullptr;
    }
    Default();
}
