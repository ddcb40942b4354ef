// CHeaderFieldStatic: a clickable label of the mail view's header. A click
// opens a menu of the current mail's header lines of the field's kind (see
// CHeaderDisplayText): a value can be copied, and an address written to,
// replied to or registered in the address book.
#pragma once

#include "classlib/ClassLib.h"
#include "viewer/HeaderDisplayText.h"

#include <vector>

class CMailView;

class CHeaderFieldStatic : public CWnd
{
public:
    CHeaderFieldStatic(CMailView* pOwner, int nKind) : m_pOwner(pOwner), m_nKind(nKind) {}

    // Takes over the label control nID of the owner.
    BOOL Attach(UINT nID);
    void SetKind(int nKind) { m_nKind = nKind; }
    int GetKind() const { return m_nKind; }

    // The menu for the current mail (null without one); the items keep
    // the values the commands act on.
    HMENU BuildMenu();
    // Carries out a command of that menu.
    void RunCommand(UINT nID);

protected:
    LRESULT OnSetCursorMsg(WPARAM, LPARAM);
    LRESULT OnLButtonDownMsg(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CMailView* m_pOwner;
    int m_nKind;
    std::vector<CHeaderDisplayText::MenuItem> m_items;
};
