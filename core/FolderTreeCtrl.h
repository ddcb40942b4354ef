// CFolderTreeCtrl: the folder tree, which paints each open folder's mail
// count "[n]" after the folder's name. An item's data is its folder id.
#pragma once

#include "classlib/TreeCtrl.h"

class CMailFolderStore;

// Posted to the application thread when an item was expanded or collapsed:
// wParam the item, lParam its folder id.
const UINT WM_QD_FOLDER_EXPANDED = 1352;

class CFolderTreeCtrl : public CTreeCtrl
{
public:
    CFolderTreeCtrl();
    ~CFolderTreeCtrl() override;

    // Sets the tree's text colour and repaints its lines; returns the old colour.
    COLORREF SetTextColor(COLORREF cr);
    COLORREF SetBkColor(COLORREF cr);
    bool IsItemExpanded(HTREEITEM hItem) const { return (GetItemState(hItem, 0x20) & 0x20) != 0; }

    // The colours of the counts: unread mails, unread mails of a store that
    // asks for the second colour, and all mails.
    COLORREF m_crUnread;
    COLORREF m_crUnread2;
    COLORREF m_crCount;

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    // Whether the store's count is all of its mails rather than the unread
    // ones, and whether it is painted in the second colour; the folder pane
    // decides.
    virtual bool CountsAllMails(CMailFolderStore* pStore);
    virtual bool UsesSecondCountColor(CMailFolderStore* pStore);
    // The Shift key went up; the folder pane makes the folder view active
    // when the frame waits for that.
    virtual void OnShiftReleased() {}
    void PaintCounts();

    LRESULT OnPaintMsg(WPARAM, LPARAM);
    LRESULT OnMouseWheelMsg(WPARAM, LPARAM);
    LRESULT OnKeyUpMsg(WPARAM, LPARAM);

    COLORREF m_crBack;
    HFONT m_hCountFont = nullptr;

    DECLARE_MESSAGE_MAP()
};
