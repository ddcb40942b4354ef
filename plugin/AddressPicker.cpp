#include "plugin/AddressPicker.h"

#include "addressbook/DlgAddressNote.h"

CString PickAddressText(HWND hParent)
{
    // The picker writes what a double-click picks into its owner field; a
    // hidden one takes it, so that the pick does not start a new mail.
    HWND field = ::CreateWindowExA(0, "EDIT", "", ES_AUTOHSCROLL, 0, 0, 0, 0, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    CString picked;
    {
        CDlgAddressNote picker(hParent ? CWnd::FromHandle(hParent) : nullptr);
        picker.SetPicking(field, CAddressRecipientTargets());
        picker.m_bCloseAfterPick = TRUE;
        if (picker.DoModal() == IDOK)
            picked = picker.GetPickedText();
    }
    if (field)
        ::DestroyWindow(field);
    return picked;
}
