#include "addressbook/AddressListCtrl.h"

#include "addressbook/DlgAddressNote.h"
#include "core/QuendalApp.h"
#include "resources/addressbook/AddressbookResource.h"

BEGIN_MESSAGE_MAP(CAddressListCtrl, CQListCtrl)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
    ON_COMMAND(ID_TARGET_DELETE, OnDeleteSelected)
    ON_COMMAND(ID_TARGET_ADD, OnAddFromAddressBook)
END_MESSAGE_MAP()

void CAddressListCtrl::SetRecipientLists(HWND hTo, HWND hCc, HWND hBcc, RECT* pKeepRect)
{
    m_hLists[0] = hTo;
    m_hLists[1] = hCc;
    m_hLists[2] = hBcc;
    m_pKeepRect = pKeepRect;
}

LRESULT CAddressListCtrl::OnContextMenuMsg(WPARAM, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    if (lParam == -1) {
        // From the keyboard: near the list's top-left corner.
        pt = { 8, 8 };
        ::ClientToScreen(m_hWnd, &pt);
    }
    CMenu menu;
    if (menu.LoadMenu(IDR_ADDRESS_TARGET_MENU))
        ::TrackPopupMenu(menu.GetSubMenu(0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    return 0;
}

void CAddressListCtrl::OnDeleteSelected()
{
    for (int i = GetItemCount() - 1; i >= 0; --i)
        if (GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED)
            SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(i));
}

void CAddressListCtrl::OnAddFromAddressBook()
{
    CAddressRecipientTargets targets;
    for (int i = 0; i < 3; ++i)
        targets.hList[i] = m_hLists[i];
    if (QuendalApp())
        QuendalApp()->OpenAddressBook(GetParent(), 1, &targets, m_pKeepRect);
}
