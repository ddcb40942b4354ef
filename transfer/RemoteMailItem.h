// CRemoteMailItem: one mail waiting on a server, as the selective-receive
// window lists it: where it is (account, message number, id), what it is
// (subject, sender, date, size; decoded for display) and what the user asked
// for it (the row's operation and the flags made from it).
#pragma once

#include "classlib/ClassLib.h"

class CRemoteMailItem
{
public:
    // Operations (also the row's image): none, receive, receive and leave
    // unread, receive and delete, delete; 9 and 10 mark rows received by
    // operation 1 and 2.
    enum { opNone = 0, opReceive = 1, opReceiveUnread = 2, opReceiveDelete = 3, opDelete = 4,
           opReceived = 9, opReceivedUnread = 10 };

    // Fills the item from a mail header as the server gave it.
    void SetData(int nAccount, const CString& header, const CString& strId, int nNumber, int nSize);
    // The flags from the operation (Execute); false when there is nothing to do.
    bool TakeOperation(int nAccount);

    int m_nAccount = -1;
    int m_nNumber = 0;
    BYTE m_bReceive = 0;
    BYTE m_bDelete = 0;
    BYTE m_bKeepUnread = 0;
    CString m_strSubject;
    CString m_strSender;
    CString m_strDate;
    int m_nSize = 0;
    CString m_strId;
    int m_nOperation = opNone;
};
