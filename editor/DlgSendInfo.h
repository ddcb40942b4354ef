// CDlgSendInfo: "送信情報の編集", shown before a mail is sent (and on request):
// subject, the To, Cc and Bcc entries one per row, the sender name and the
// sending address chosen among the accounts' addresses.
#pragma once

#include "addressbook/AddressListCtrl.h"
#include "classlib/ClassLib.h"
#include "classlib/Dialog.h"

class CDlgSendInfo : public CDialog
{
public:
    CDlgSendInfo(const char* pszSubject, const char* pszTo, const char* pszCc, const char* pszBcc,
                 const char* pszSignName, const char* pszSenderName, const char* pszSenderAddress, CWnd* pParent);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The rows of an address list as one text, each row followed by ",".
    static CString JoinRows(const CStringArray& rows);

    CString m_strSubject, m_strTo, m_strCc, m_strBcc, m_strSignName, m_strSenderName, m_strSenderAddress;

private:
    void FillList(int nId, const CString& text);
    CString ReadList(int nId) const;

    // To, Cc and Bcc: their menus delete rows or add rows from the address book.
    CAddressListCtrl m_lists[3];
    RECT m_rcAddressNote = {};  // where the address book window was last
};
