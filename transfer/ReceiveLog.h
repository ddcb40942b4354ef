// CReceiveLog: the receive log "$$Receive.Log" in the mailbox folder, one
// line per receive of an account, newest first:
// time "%Y/%m/%d %H:%M:%S" TAB account TAB result TAB number of mails.
#pragma once

#include "classlib/ClassLib.h"

class CReceiveLog
{
public:
    // Puts an entry at the front and keeps at most nLimit entries; nothing
    // is written when nLimit is below 1.
    static BOOL AddEntry(const char* pszPath, int nLimit, const char* pszAccount, const char* pszResult, int nCount);
};
