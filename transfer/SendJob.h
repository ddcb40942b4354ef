// CSendJob: the job record of a send (the folder whose mails go out and
// whether the sent copies are kept), and the filling of the SMTP session
// from one stored mail of that folder.
#pragma once

#include "classlib/ClassLib.h"

class CAccountData;
class CMailFolderStore;
class CMailSendThread;
class CTransferHost;

class CSendJob
{
public:
    CTransferHost* m_pHost = nullptr;
    CMailFolderStore* m_pFolder = nullptr;  // the outbox for the commands
    BYTE m_bKeepSent = 0;                   // no copy into the sent-mail folder

    // Fills the send thread's session and its ready text from the stored
    // mail nIndex of pFolder for the account. False when the mail is not
    // this account's or cannot be read.
    static bool PrepareSession(CMailSendThread* pThread, const CAccountData* pAccount, int nIndex,
                               CMailFolderStore* pFolder);
    // A stored mail as its Cc and Bcc recipients get it when its attachments
    // are for the To recipients only: the parts of its top multipart that
    // are attachments are left out. A mail without such parts is returned
    // as it is.
    static CString WithoutAttachments(const CString& mail);
};
