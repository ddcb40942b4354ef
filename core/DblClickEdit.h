// CDblClickEdit: an edit control whose left double-clicks its parent sees too.
#pragma once

#include "classlib/Edit.h"

class CDblClickEdit : public CEdit
{
protected:
    LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
