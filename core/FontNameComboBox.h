// CFontNameComboBox: a coloured combo box filled with the font family names
// of its device context.
#pragma once

#include "core/ColoredComboBox.h"

class CFontNameComboBox : public CColoredComboBox
{
public:
    // Adds every font family's face name in the order the system reports them.
    void FillFontNames();

protected:
    void PreSubclassWindow() override;
    LRESULT OnCreateMsg(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};
