#include "viewer/ReferenceMailTreeThread.h"

#include "core/AppMessages.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/MailFolderStore.h"
#include "viewer/MailView.h"
#include "viewer/ReferenceMailTreeFrame.h"

namespace {

enum : UINT {
    msgCenter = 1424,
    msgMovePrevious = 1347,
    msgMoveNext = 1348,
};

} // namespace

BEGIN_MESSAGE_MAP(CReferenceMailTreeThread, CMailWindowThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
    ON_THREAD_MESSAGE(msgCenter, OnCenter)
    ON_THREAD_MESSAGE(msgMovePrevious, OnMove)
    ON_THREAD_MESSAGE(msgMoveNext, OnMove)
END_MESSAGE_MAP()

CReferenceMailTreeThread::CReferenceMailTreeThread(CMailFolderStore* pStore, int nIndex)
    : m_pStore(pStore), m_nIndex(nIndex)
{
    m_nFolderId = pStore ? pStore->GetFolderId() : 0;
}

BOOL CReferenceMailTreeThread::Start(CMailFolderStore* pStore, int nIndex)
{
    return StartAndRegister(new CReferenceMailTreeThread(pStore, nIndex));
}

BOOL CReferenceMailTreeThread::InitInstance()
{
    StartOle();
    m_pFrame = new CReferenceMailTreeFrame;
    if (!m_pStore || !m_pStore->GetMailList() || !m_pFrame->Create(m_pStore, m_nIndex)) {
        if (!m_pFrame->m_hWnd)
            delete m_pFrame;
        m_pFrame = nullptr;
        SignalReady();
        return FALSE;
    }
    m_pMainWnd = m_pFrame;
    m_pFrame->ShowWindow(SW_SHOW);
    m_pFrame->BringWindowToTop();
    ::SetForegroundWindow(m_pFrame->m_hWnd);
    SignalReady();
    return TRUE;
}

void CReferenceMailTreeThread::OnQuit(WPARAM, LPARAM)
{
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->DestroyWindow();
    else
        ::PostQuitMessage(0);
}

void CReferenceMailTreeThread::ApplyViewSettings()
{
    if (m_pFrame && m_pMainWnd && m_pFrame->GetView())
        m_pFrame->GetView()->ApplyFontsAndColors();
}

void CReferenceMailTreeThread::ReloadKeywords()
{
    if (m_pFrame && m_pMainWnd && m_pFrame->GetView())
        m_pFrame->GetView()->ReloadKeywords();
}

void CReferenceMailTreeThread::OnCenter(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd) {
        m_pFrame->CenterWindow();
        m_pFrame->BringWindowToTop();
        ::SetForegroundWindow(m_pFrame->m_hWnd);
    }
}

void CReferenceMailTreeThread::OnMove(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->SendMessage(WM_COMMAND, m_msgCur.message == msgMovePrevious ? ID_VIEWER_PREV_MAIL : ID_VIEWER_NEXT_MAIL);
}
