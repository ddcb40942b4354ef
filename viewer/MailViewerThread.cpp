#include "viewer/MailViewerThread.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "store/MailFolderStore.h"
#include "viewer/MailView.h"
#include "viewer/MailViewerFrame.h"

#include <algorithm>
#include <vector>

namespace {

enum : UINT {
    msgOpenEditor = 1349,
    msgFront = 1356,
    msgShowMail = 1380,
    msgSetList = 1381,
    msgCenter = 1424,
    msgMovePrevious = 1347,
    msgMoveNext = 1348,
    msgFolderSearchAnswer = 1368,
};

CCriticalSection& ViewerIdLock()
{
    static CCriticalSection lock;
    return lock;
}

std::vector<DWORD>& ViewerIds()
{
    static std::vector<DWORD> ids;
    return ids;
}

} // namespace

BEGIN_MESSAGE_MAP(CMailViewerThread, CMailWindowThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
    ON_THREAD_MESSAGE(msgOpenEditor, OnEditor)
    ON_THREAD_MESSAGE(msgFront, OnFront)
    ON_THREAD_MESSAGE(msgShowMail, OnShowMail)
    ON_THREAD_MESSAGE(msgSetList, OnSetList)
    ON_THREAD_MESSAGE(msgCenter, OnCenter)
    ON_THREAD_MESSAGE(msgMovePrevious, OnMovePrevious)
    ON_THREAD_MESSAGE(msgMoveNext, OnMoveNext)
    ON_THREAD_MESSAGE(msgFolderSearchAnswer, OnFolderSearchAnswer)
END_MESSAGE_MAP()

void CMailViewerThread::SetMail(CMailFolderStore* pStore, int nIndex, HWND hList)
{
    m_pStore = pStore;
    m_nIndex = nIndex;
    m_hList = hList;
    m_nFolderId = pStore ? pStore->GetFolderId() : 0;
}

BOOL CMailViewerThread::StartViewer(CMailFolderStore* pStore, int nIndex, HWND hList)
{
    auto* t = new CMailViewerThread;
    t->SetMail(pStore, nIndex, hList);
    return StartAndRegister(t);
}

bool CMailViewerThread::IsViewerThread(DWORD dwThreadId)
{
    CSingleLock hold(&ViewerIdLock(), TRUE);
    auto& ids = ViewerIds();
    return std::find(ids.begin(), ids.end(), dwThreadId) != ids.end();
}

BOOL CMailViewerThread::InitInstance()
{
    {
        CSingleLock hold(&ViewerIdLock(), TRUE);
        ViewerIds().push_back(m_nThreadID);
    }
    m_pFrame = new CMailViewerFrame;
    if (!m_pFrame->Create(this, m_hList)) {
        m_pFrame = nullptr;
        SignalReady();
        return FALSE;
    }
    m_pMainWnd = m_pFrame;
    m_pFrame->ShowMail(m_pStore, m_nIndex, TRUE);
    m_pFrame->ShowWindow(SW_SHOW);
    m_pFrame->BringWindowToTop();
    ::SetForegroundWindow(m_pFrame->m_hWnd);
    SignalReady();
    m_pFrame->AskReadNotifyIfPending();
    return TRUE;
}

int CMailViewerThread::ExitInstance()
{
    {
        CSingleLock hold(&ViewerIdLock(), TRUE);
        auto& ids = ViewerIds();
        ids.erase(std::remove(ids.begin(), ids.end(), m_nThreadID), ids.end());
    }
    return CMailWindowThread::ExitInstance();
}

void CMailViewerThread::OnQuit(WPARAM, LPARAM)
{
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->DestroyWindow();
    else
        ::PostQuitMessage(0);
}

void CMailViewerThread::OnEditor(WPARAM wParam, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->OpenEditorAndClose(static_cast<int>(wParam));
}

void CMailViewerThread::ApplyViewSettings()
{
    if (m_pFrame && m_pMainWnd && m_pFrame->GetView())
        m_pFrame->GetView()->ApplyFontsAndColors();
}

void CMailViewerThread::ReloadKeywords()
{
    if (m_pFrame && m_pMainWnd && m_pFrame->GetView())
        m_pFrame->GetView()->ReloadKeywords();
}

void CMailViewerThread::OnFront(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->Activate(FALSE);
}

void CMailViewerThread::OnShowMail(WPARAM wParam, LPARAM lParam)
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* store = app ? app->FindFolder(static_cast<int>(wParam)) : nullptr;
    if (!m_pFrame || !m_pMainWnd || !store)
        return;
    m_pFrame->ReloadHtmlSetting();
    m_pFrame->ShowMail(store, static_cast<int>(lParam), TRUE);
    m_pFrame->Activate(FALSE);
}

void CMailViewerThread::OnSetList(WPARAM, LPARAM lParam)
{
    m_hList = reinterpret_cast<HWND>(lParam);
    if (m_pFrame && m_pMainWnd)
        m_pFrame->SetListWindow(m_hList);
}

void CMailViewerThread::OnCenter(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->Activate(TRUE);
}

void CMailViewerThread::OnMovePrevious(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->MoveMail(false);
}

void CMailViewerThread::OnMoveNext(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->MoveMail(true);
}

void CMailViewerThread::OnFolderSearchAnswer(WPARAM wParam, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->OnFolderSearchAnswer(wParam != 0);
}
