#include "classlib/CommandState.h"

#include "classlib/CmdUI.h"
#include "classlib/FrameWnd.h"

namespace {

// Records what the update handlers say without a menu or a control bar.
class CCommandStateUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn;
        CCmdUI::Enable(bOn);
    }
    BOOL m_bEnabled = FALSE;
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
