#include "classlib/CommandState.h"

#include "classlib/CmdUI.h"
#include "classlib/FrameWnd.h"

#include <imm.h>

namespace {

// Records what the update handlers say without a menu or a control bar.
class CCommandStateUI : public CCmdUI
{
public:
    explicit CCommandStateUI(BOOL bEnabled = FALSE) : m_bEnabled(bEnabled) {}
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn;
        CCmdUI::Enable(bOn);
    }
    BOOL m_bEnabled;
};

} // namespace

UINT GetCommandStateMessage()
{
    static const UINT message = ::RegisterWindowMessageA(CVM_COMMAND_STATE_MESSAGE);
    return message;
}

LRESULT GetCommandState(CFrameWnd* pFrame, UINT nID)
{
    LRESULT state = pFrame->OnCmdMsg(nID, CN_PROBE_COMMAND, nullptr) ? static_cast<LRESULT>(kCommandHandled) : 0;
    CCommandStateUI ui;
    ui.m_nID = nID;
    ui.DoUpdate(pFrame, TRUE);
    if (ui.m_bEnabled)
        state |= kCommandEnabled;
    return state;
}

bool IsCommandGreyed(CCmdTarget* pTarget, UINT nID)
{
    CCommandStateUI ui(TRUE);
    ui.m_nID = nID;
    pTarget->OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return !ui.m_bEnabled;
}

UINT GetInputMethodStateMessage()
{
    static const UINT message = ::RegisterWindowMessageA(CVM_INPUT_METHOD_STATE_MESSAGE);
    return message;
}

LRESULT GetInputMethodState(HWND hFrame)
{
    HWND focus = ::GetFocus();
    HWND window = focus ? focus : hFrame;
    HIMC imc = ::ImmGetContext(window);
    if (!imc)
        return -1;
    LRESULT open = ::ImmGetOpenStatus(imc) ? 1 : 0;
    ::ImmReleaseContext(window, imc);
    return open;
}
