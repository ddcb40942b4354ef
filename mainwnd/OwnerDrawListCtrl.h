// COwnerDrawListCtrl: a check list: a report list (LVS_OWNERDRAWFIXED) whose
// first column is a check box, crossed when the row's item data is not 0,
// and whose other columns are plain text in the window colours. Attached to
// a dialog's list control by subclassing.
#pragma once

#include "core/QListCtrl.h"

class COwnerDrawListCtrl : public CQListCtrl
{
public:
    // The check box of a row whose height is nRowHeight, its top left corner
    // one pixel in from the row's: four corners of a square of side
    // nRowHeight - 3.
    static void CheckBoxCorners(const RECT& rcRow, POINT corners[4]);

protected:
    void DrawItem(DRAWITEMSTRUCT* pDis) override;
};
