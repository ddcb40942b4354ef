#include "classlib/ToolBar.h"

#include "classlib/CmdUI.h"
#include "classlib/FrameWnd.h"
#include "classlib/ImageList.h"

#include <vector>

namespace {

// The state of one toolbar button while its command is asked.
class CToolCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        HWND hBar = m_pOther->m_hWnd;
        if ((::SendMessageA(hBar, TB_ISBUTTONENABLED, m_nID, 0) != 0) != (bOn != FALSE))
            ::SendMessageA(hBar, TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override
    {
        HWND hBar = m_pOther->m_hWnd;
        ::SendMessageA(hBar, TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck == 1, 0));
        ::SendMessageA(hBar, TB_INDETERMINATE, m_nID, MAKELPARAM(nCheck == 2, 0));
    }
    void SetText(const char*) override {}
};

} // namespace

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM | CBRS_BORDER_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY |
                           CBRS_SIZE_FIXED);
    DWORD style = (dwStyle & (WS_CHILD | WS_VISIBLE)) | WS_CHILD | dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NORESIZE |
                  CCS_NODIVIDER;
    if (m_dwStyle & CBRS_TOOLTIPS)
        style |= TBSTYLE_TOOLTIPS;
    RECT rc = { 0, 0, 0, 0 };
    if (!Create(TOOLBARCLASSNAMEA, "", style, rc, pParentWnd, nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    AttachToFrame();
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* pIDArray, int nIDCount)
{
    while (GetButtonCount() > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (int i = 0; i < nIDCount; ++i) {
        TBBUTTON b = {};
        if (pIDArray[i] == ID_SEPARATOR) {
            b.fsStyle = BTNS_SEP;
            b.iBitmap = 6;  // separator width
        } else {
            b.idCommand = static_cast<int>(pIDArray[i]);
            b.iBitmap = image++;
            b.fsStyle = BTNS_BUTTON;
            b.fsState = TBSTATE_ENABLED;
            b.iString = -1;
        }
        buttons.push_back(b);
    }
    if (buttons.empty())
        return TRUE;
    return static_cast<BOOL>(SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())));
}

void CToolBar::SetImageList(HIMAGELIST hImageList)
{
    SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(hImageList));
}

int CToolBar::AddImageRow(HBITMAP hBitmap)
{
    BITMAP bm = {};
    if (!hBitmap || !::GetObjectA(hBitmap, sizeof(bm), &bm) || bm.bmHeight <= 0 || bm.bmWidth < bm.bmHeight)
        return -1;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(bm.bmHeight, bm.bmHeight));
    TBADDBITMAP add = { nullptr, reinterpret_cast<UINT_PTR>(hBitmap) };
    return static_cast<int>(
        SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(bm.bmWidth / bm.bmHeight), reinterpret_cast<LPARAM>(&add)));
}

int CToolBar::UseImages(HBITMAP hUserRow, CImageList& builtIn, UINT nBitmapID, int cx, COLORREF crMask)
{
    const int first = AddImageRow(hUserRow);
    if (first >= 0)
        return first;
    if (!builtIn.Create(nBitmapID, cx, 0, crMask))
        return -1;
    SetImageList(builtIn);
    return 0;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON b = {};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&b)))
        return ID_SEPARATOR;
    return b.fsStyle & BTNS_SEP ? ID_SEPARATOR : static_cast<UINT>(b.idCommand);
}

SIZE CToolBar::CalcFixedLayout(BOOL, BOOL)
{
    DWORD buttonSize = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    int cy = HIWORD(buttonSize) + 4 + (m_dwStyle & CBRS_BORDER_BOTTOM ? 2 : 0);
    RECT rc = {};
    GetWindowRect(&rc);
    return SIZE{ rc.right - rc.left, cy };
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler)
{
    CToolCmdUI state;
    state.m_pOther = this;
    int count = GetButtonCount();
    for (int i = 0; i < count; ++i) {
        UINT id = GetItemID(i);
        if (id == ID_SEPARATOR)
            continue;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nID = id;
        state.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}
