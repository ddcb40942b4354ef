// CAddressListCtrl: a recipient list of the editor's send-information
// dialog (To, CC or BCC). Its context menu deletes the selected rows or
// opens the address book window with the dialog's three lists as targets.
#pragma once

#include "core/QListCtrl.h"

class CAddressListCtrl : public CQListCtrl
{
public:
    // The dialog's three lists and the rectangle it keeps for the address book window.
    void SetRecipientLists(HWND hTo, HWND hCc, HWND hBcc, RECT* pKeepRect);

protected:
    LRESULT OnContextMenuMsg(WPARAM wParam, LPARAM lParam);
    void OnDeleteSelected();
    void OnAddFromAddressBook();

    HWND m_hLists[3] = { nullptr, nullptr, nullptr };
    RECT* m_pKeepRect = nullptr;

    DECLARE_MESSAGE_MAP()
};
