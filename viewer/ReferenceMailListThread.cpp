#include "viewer/ReferenceMailListThread.h"

#include "core/AppMessages.h"
#include "store/MailFolderStore.h"
#include "viewer/ReferenceMailListFrame.h"
#include "viewer/ReferenceMailListView.h"

namespace {

const UINT msgCenter = 1424;

} // namespace

BEGIN_MESSAGE_MAP(CReferenceMailListThread, CMailWindowThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
    ON_THREAD_MESSAGE(msgCenter, OnCenter)
END_MESSAGE_MAP()

CReferenceMailListThread::CReferenceMailListThread(CMailFolderStore* pStore, int nIndex)
    : m_pStore(pStore), m_nIndex(nIndex)
{
    m_nFolderId = pStore ? pStore->GetFolderId() : 0;
}

BOOL CReferenceMailListThread::Start(CMailFolderStore* pStore, int nIndex)
{
    return StartAndRegister(new CReferenceMailListThread(pStore, nIndex));
}

BOOL CReferenceMailListThread::InitInstance()
{
    StartOle();
    m_pFrame = new CReferenceMailListFrame;
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

void CReferenceMailListThread::OnQuit(WPARAM, LPARAM)
{
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->DestroyWindow();
    else
        ::PostQuitMessage(0);
}

void CReferenceMailListThread::ApplyViewSettings()
{
    if (m_pFrame && m_pMainWnd && m_pFrame->GetListView())
        m_pFrame->GetListView()->LoadColors();
}

void CReferenceMailListThread::ReloadKeywords()
{
    // The list shows no mail text.
}

void CReferenceMailListThread::OnCenter(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd) {
        m_pFrame->CenterWindow();
        m_pFrame->BringWindowToTop();
        ::SetForegroundWindow(m_pFrame->m_hWnd);
    }
}
