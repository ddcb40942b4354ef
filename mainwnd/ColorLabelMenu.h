// ColorLabelMenu: the colour label menu of the mail lists: automatic, the
// sixteen label colours with their swatches, and a colour of one's own,
// each with a mnemonic.
#pragma once

#include "mainwnd/OwnerDrawMenu.h"

namespace ColorLabelMenu {

// Fills the menu; names holds the sixteen colour names in label order.
void Build(COwnerDrawMenu& menu, const CStringArray& names);
// The colour dialog for a label of one's own ("その他"), starting at
// crInitial; false when it was cancelled.
bool ChooseOtherColor(HWND hOwner, COLORREF crInitial, COLORREF& crChosen);

} // namespace ColorLabelMenu
