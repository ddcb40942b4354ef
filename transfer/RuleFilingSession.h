// CRuleFilingSession: a receiving session (POP3 or IMAP4) as the session
// thread runs it: the filter rules choose whether a mail is received and the
// folder that files it, and every filing holds the thread's store lock, so
// that the watchdog never ends the thread in the middle of a store write.
#pragma once

#include "classlib/ClassLib.h"
#include "transfer/ReceiveFolderChooser.h"

template <class TSession>
class CRuleFilingSession : public TSession
{
public:
    CRuleFilingSession(CCriticalSection* pStoreLock, CReceiveFolderChooser* pChooser)
        : m_pStoreLock(pStoreLock), m_pChooser(pChooser)
    {
    }

protected:
    bool FileReceivedMail(const CString& strPath, bool& bKeepOnServer) override
    {
        CSingleLock hold(m_pStoreLock, TRUE);
        CMailFolderStore* pDefault = this->m_pTargetStore;
        CMailFolderStore* pTarget = m_pChooser ? m_pChooser->ChooseFolder(strPath) : nullptr;
        if (pTarget)
            this->m_pTargetStore = pTarget;
        bool bFiled = TSession::FileReceivedMail(strPath, bKeepOnServer);
        this->m_pTargetStore = pDefault;
        return bFiled;
    }

    int CheckReceiveFilter(const CString& strHeader) override
    {
        return m_pChooser ? m_pChooser->CheckReceive(strHeader) : 0;
    }

private:
    CCriticalSection* m_pStoreLock;
    CReceiveFolderChooser* m_pChooser;
};
