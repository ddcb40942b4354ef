// CColorListCtrl: an owner-drawn report list whose first column shows a
// colour swatch, the row's item data taken as the colour; the other columns
// are texts shortened with "..." as the program's lists draw them.
#pragma once

#include "core/QListCtrl.h"

class CColorListCtrl : public CQListCtrl
{
public:
    // The swatch of a first column lying from nLeft over nWidth pixels: inset
    // by 2, at most 16 pixels wide.
    static RECT SwatchRect(int nLeft, int nWidth, const RECT& rcRow);

protected:
    void DrawItem(DRAWITEMSTRUCT* pDis) override;
};
