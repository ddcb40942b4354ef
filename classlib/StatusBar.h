// CStatusBar: a status-bar control as a control bar of its frame. Each pane
// has an indicator id; a pane's width comes from its indicator's string (the
// text it must hold), pane 0 takes what is left.
#pragma once

#include "classlib/ControlBar.h"
#include "classlib/String.h"

#include <commctrl.h>

#include <vector>

class CStatusBar : public CControlBar
{
public:
    CStatusBar() = default;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM, UINT nID = 0xE801);
    // One pane per id; ID_SEPARATOR (0) panes start empty.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    BOOL SetPaneText(int nIndex, const char* pszText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
    // Width in pixels of a pane other than 0.
    void SetPaneWidth(int nIndex, int cxWidth);
    BOOL GetItemRect(int nIndex, RECT* pRect) const
    {
        return static_cast<BOOL>(SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pRect)));
    }
    BOOL SetIcon(int nIndex, HICON hIcon)
    {
        return static_cast<BOOL>(SendMessage(SB_SETICON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(hIcon)));
    }

    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

protected:
    void OnSize(UINT nType, int cx, int cy);
    // Sets the control's part edges from the pane widths.
    void UpdateParts();

    DECLARE_MESSAGE_MAP()

private:
    struct Pane
    {
        UINT nID = 0;
        int cxWidth = 0;
        CString text;
    };
    std::vector<Pane> m_panes;
};
