// CIconComboBox: a coloured combo box that draws a 16x16 icon before the
// text of each item that has one.
#pragma once

#include "classlib/Array.h"
#include "core/ColoredComboBox.h"

class CIconComboBox : public CColoredComboBox
{
public:
    // The icon of an item (not owned; the application's icon lists keep them).
    void SetItemIcon(int nItem, HICON hIcon);

protected:
    int DrawItemImage(HDC hdc, int nItem, const RECT& rc) override;

    CPtrArray m_icons;
};
