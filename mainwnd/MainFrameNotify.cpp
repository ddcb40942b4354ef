// The main window's side of the new-mail notification window: the new mails
// of a run of receives are recorded as they are filed, and the window is
// started on its own thread, or told to stay longer when it is up.
#include "mainwnd/MainFrame.h"

#include "core/QuendalApp.h"
#include "mainwnd/NotifyMailData.h"
#include "mainwnd/ReceiveNotifyThread.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

CNotifyMailData& CMainFrame::GetNotifyMailData()
{
    // Lives as long as the process: the notification thread may outlast the window.
    static CNotifyMailData data;
    return data;
}

void CMainFrame::PrepareNotifyEntries()
{
    CQuendalApp* pApp = QuendalApp();
    CNotifyMailData& data = GetNotifyMailData();
    std::vector<NotifyFolderEntry> entries = CNotifyMailData::GroupByFolder(data.GetNewMails());
    std::vector<NotifyFolderEntry> shown;
    for (NotifyFolderEntry& e : entries) {
        CMailFolderStore* pStore = pApp ? pApp->FindFolder(e.nFolderId) : nullptr;
        if (!pStore)
            continue;
        e.strName = pStore->GetFolderName();
        e.nUnread = pStore->GetUnreadCount();
        CMailListData* list = pStore->GetMailList();
        for (NotifyMailItem& m : e.mails) {
            CMailIndexRecord* r = list && m.nIndex >= 0 && m.nIndex < list->GetAllRecordCount()
                                      ? pStore->GetRecord(m.nIndex)
                                      : nullptr;
            if (!r)
                continue;
            m.strSubject = r->GetText(CMailIndexRecord::colSubject);
            m.strFrom = r->GetText(CMailIndexRecord::colFrom);
            m.bRead = r->m_bRead;
        }
        shown.push_back(e);
    }
    data.SetEntries(shown);
}

BOOL CMainFrame::IsReceiveNotifyThreadRunning() const
{
    return m_hNotifyThread && ::WaitForSingleObject(m_hNotifyThread, 0) == WAIT_TIMEOUT;
}

void CMainFrame::StartReceiveNotifyThread()
{
    PrepareNotifyEntries();
    if (IsReceiveNotifyThreadRunning() &&
        CReceiveNotifyThread::PostNotice(m_dwNotifyThread, CReceiveNotifyThread::msgShowAgain))
        return;
    if (m_hNotifyThread) {
        // A thread that has begun to end is let go first; its window has
        // already closed.
        ::WaitForSingleObject(m_hNotifyThread, 3000);
        ::CloseHandle(m_hNotifyThread);
        m_hNotifyThread = nullptr;
        m_dwNotifyThread = 0;
    }
    auto* pThread = new CReceiveNotifyThread(&GetNotifyMailData());
    if (!pThread->CreateThread()) {
        delete pThread;
        return;
    }
    // The thread waits for the show message, so its object is still there.
    ::DuplicateHandle(::GetCurrentProcess(), pThread->m_hThread, ::GetCurrentProcess(), &m_hNotifyThread, SYNCHRONIZE,
                      FALSE, 0);
    m_dwNotifyThread = pThread->m_nThreadID;
    pThread->PostThreadMessage(CReceiveNotifyThread::msgShow, 0, 0);
}

void CMainFrame::EndReceiveNotifyThread()
{
    if (IsReceiveNotifyThreadRunning()) {
        ::PostThreadMessageA(m_dwNotifyThread, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_hNotifyThread, 3000);
    }
    if (m_hNotifyThread)
        ::CloseHandle(m_hNotifyThread);
    m_hNotifyThread = nullptr;
    m_dwNotifyThread = 0;
}

void CMainFrame::OnNotifyNewMail(int nFolderId, int nIndex)
{
    GetNotifyMailData().AddNewMail(nFolderId, nIndex);
}
