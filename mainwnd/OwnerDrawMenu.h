// COwnerDrawMenu: a popup menu whose items the program draws: an icon or a
// colour swatch at the left, the text with its short-cut column, a raised
// frame round the icon of the selected item, and an optional title band.
// The tray menu, the new-mail window's mail menu and the colour label menus
// use it. The owner window passes WM_MEASUREITEM, WM_DRAWITEM and
// WM_MENUCHAR of the menu on to it.
#pragma once

#include "classlib/ClassLib.h"

#include <memory>
#include <vector>

struct COwnerDrawMenuItem
{
    UINT nFlags = 0;
    UINT nID = 0;
    CString strText;
    UINT nIconID = 0;
    int nImage = -1;
    COLORREF color = CLR_INVALID;  // the swatch; CLR_INVALID for none
    char chMnemonic = 0;
    LPARAM data1 = 0, data2 = 0;
};

class COwnerDrawMenu : public CMenu
{
public:
    COwnerDrawMenu(int nIconWidth = 16, int nIconHeight = 16);
    ~COwnerDrawMenu();

    // With flags 0, id 0 and the text "APP_TITLE": the title band.
    BOOL AppendItem(UINT nFlags, UINT nID, const char* pszText, UINT nIconID = 0, COLORREF color = CLR_INVALID,
                    char chMnemonic = 0, LPARAM data1 = 0, LPARAM data2 = 0);
    // Empties the menu for the next fill.
    void Reset();
    void SetBackgroundColor(COLORREF color);

    void MeasureItem(MEASUREITEMSTRUCT* pMeasure) const;
    void DrawItem(const DRAWITEMSTRUCT* pDraw);
    // The answer to WM_MENUCHAR: the item whose mnemonic is the character
    // (any case) is run by the menu itself, once; 0 when none has it.
    LRESULT OnMenuChar(char ch);
    // The menu's share of its owner window's messages (the measure and draw
    // requests of menu items, WM_MENUCHAR for this menu): true with the
    // answer in result when the message was the menu's.
    bool HandleOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The item last drawn selected or found by its mnemonic.
    const CString& GetChosenText() const { return m_strChosen; }
    LPARAM GetChosenData1() const { return m_chosen1; }
    LPARAM GetChosenData2() const { return m_chosen2; }
    // The item a menu position holds, or null (separators have one too).
    const COwnerDrawMenuItem* ItemAt(int nPos) const;
    int GetItemCount() const { return static_cast<int>(m_items.size()); }

private:
    void DeleteGdi();

    std::vector<std::unique_ptr<COwnerDrawMenuItem>> m_items;
    HIMAGELIST m_hImages = nullptr;
    int m_cxIcon, m_cyIcon;
    COLORREF m_background;
    HBRUSH m_hBackBrush = nullptr;
    HPEN m_hBackPen = nullptr;
    HBRUSH m_hHighlightBrush = nullptr;
    HBRUSH m_hTitleBrush = nullptr;
    int m_nLongest = 0;
    CString m_strChosen;
    LPARAM m_chosen1 = 0, m_chosen2 = 0;
};
