// CColoredComboBox: an owner-drawn combo box (CBS_OWNERDRAWFIXED |
// CBS_HASSTRINGS) in colours of its own, whose selection changes can go to a
// chosen window instead of the parent.
#pragma once

#include "classlib/ComboBox.h"

// Sent to the notify window on a selection change; lParam is the combo box.
const UINT WM_QD_COMBO_SELCHANGE = 1364;
// Text flags of every owner-drawn item text.
const UINT kItemTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP | DT_EXTERNALLEADING;

class CColoredComboBox : public CComboBox
{
public:
    CColoredComboBox();
    ~CColoredComboBox() override;

    void SetColors(COLORREF crText, COLORREF crBack);
    COLORREF GetTextColor() const { return m_crText; }
    COLORREF GetBkColor() const { return m_crBack; }
    void SetNotifyWnd(HWND hWnd) { m_hNotifyWnd = hWnd; }

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    void PreSubclassWindow() override;
    virtual void DrawItem(DRAWITEMSTRUCT* pDis);
    // Draws the item's text in the rectangle with the item colours already set.
    void DrawItemText(HDC hdc, int nItem, RECT rc);
    // The width the item's own picture takes before its text.
    virtual int DrawItemImage(HDC hdc, int nItem, const RECT& rc);
    HBRUSH ColorDC(HDC hdc);
    void Initialize();

    LRESULT OnCreateMsg(WPARAM, LPARAM);
    LRESULT OnCtlColorMsg(WPARAM, LPARAM);
    LRESULT OnEraseBkgndMsg(WPARAM, LPARAM);

    COLORREF m_crText;
    COLORREF m_crBack;
    HBRUSH m_hBackBrush = nullptr;
    CWnd m_edit;
    HWND m_hNotifyWnd = nullptr;
    // Selection changes re-posted to the parent, which come back through it.
    int m_nRepostedSelChanges = 0;

    DECLARE_MESSAGE_MAP()
};
