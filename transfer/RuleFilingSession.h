// CRuleFilingSession: a receiving session (POP3 or IMAP4) as the session
// thread runs it: the filter rules choose whether a mail is received, the
// folder and label it is filed with and whether it stays on the server; and
// every filing holds the thread's store lock, so that the watchdog never
// ends the thread in the middle of a store write.
#pragma once

#include "classlib/ClassLib.h"
#include "core/DateTimeUtil.h"
#include "net/NetMessages.h"
#include "net/ReceivedIdList.h"
#include "store/MailFolderStore.h"
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
    bool FileReceivedMail(std::string& mail, const CString& strName, bool& bKeepOnServer) override
    {
        bKeepOnServer = false;
        ReceiveFilingChoice choice;
        if (!m_pChooser || !m_pChooser->ChooseFolderForMail(mail, choice) || !choice.pFolder) {
            CSingleLock hold(m_pStoreLock, TRUE);
            return TSession::FileReceivedMail(mail, strName, bKeepOnServer);
        }
        CMailFolderStore* pTarget = choice.pFolder;
        int nIndex = -1;
        {
            CSingleLock hold(m_pStoreLock, TRUE);
            CString received = FormatDateWithZone(CReceivedIdList::CurrentTime());
            this->NoteFilingIntent(pTarget, strName);
            if (pTarget->AddNewMailText(mail, strName, received, FALSE, FALSE, &nIndex,
                                        choice.filter.bMarked ? &choice.filter : nullptr) != 1)
                return false;
            bKeepOnServer = pTarget->LastFilingDecodeFailed() != FALSE;
        }
        this->AddTargetFolder(pTarget);
        if (this->m_dwMainThreadId)
            PostThreadMessageA(this->m_dwMainThreadId, CVM_MSG_MAIL_FILED, static_cast<WPARAM>(nIndex + 1),
                               pTarget->GetFolderId());
        // The server handling the last matching rule asks for.
        if (choice.bRuleMet && choice.bLeaveOnServer)
            this->SetKeepOnce();
        else if (choice.bRuleMet && choice.bDeleteOnServer)
            this->SetDeleteOnce();
        return true;
    }

    int CheckReceiveFilter(const CString& strHeader) override
    {
        return m_pChooser ? m_pChooser->CheckReceive(strHeader) : 0;
    }

private:
    CCriticalSection* m_pStoreLock;
    CReceiveFolderChooser* m_pChooser;
};
