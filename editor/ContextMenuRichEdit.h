// CContextMenuRichEdit: a rich-edit field with the edit commands as its
// context menu (undo, cut, copy, paste; undo only while there is one),
// for the text fields of the signature and template dialogs.
#pragma once

#include "classlib/ClassLib.h"

class CContextMenuRichEdit : public CWnd
{
public:
    CContextMenuRichEdit() = default;
    ~CContextMenuRichEdit() override;

    BOOL Attach(CWnd* pParent, UINT nID);
    // Shows the menu at a screen point and carries out the chosen command;
    // the command (0 for none).
    UINT ShowMenu(POINT ptScreen);
    // The menu as it is about to show: undo greyed while nothing can be undone.
    HMENU PrepareMenu();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HMENU m_hMenu = nullptr;  // menu resource "EditorDefault", destroyed with the control
};
