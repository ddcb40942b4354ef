// The registry of viewer, editor and search window threads.
#include "core/QuendalApp.h"

#include "core/AppMessages.h"
#include "core/ThreadEntry.h"
#include "editor/MailEditThread.h"
#include "mainwnd/MailSearchThread.h"
#include "viewer/MailWindowThread.h"

namespace {

CThreadEntry* MakeEntry(CWinThread* pThread, int nKind)
{
    HANDLE dup = nullptr;
    if (!pThread || !DuplicateHandle(GetCurrentProcess(), pThread->m_hThread, GetCurrentProcess(), &dup, 0, FALSE,
                                     DUPLICATE_SAME_ACCESS))
        return nullptr;
    CThreadEntry* e = new CThreadEntry;
    e->hThread = dup;
    e->dwThreadId = pThread->m_nThreadID;
    e->hMainWnd = pThread->m_pMainWnd ? pThread->m_pMainWnd->m_hWnd : nullptr;
    e->pThread = pThread;
    e->nKind = nKind;
    return e;
}

CThreadEntry* At(CPtrArray& list, int i)
{
    return static_cast<CThreadEntry*>(list[i]);
}

void RemoveStale(CPtrArray& list)
{
    for (int i = list.GetSize() - 1; i >= 0; --i) {
        if (!At(list, i)->IsLive()) {
            delete At(list, i);
            list.RemoveAt(i);
        }
    }
}

void RemoveById(CPtrArray& list, DWORD dwThreadId)
{
    for (int i = list.GetSize() - 1; i >= 0; --i) {
        if (At(list, i)->dwThreadId == dwThreadId) {
            delete At(list, i);
            list.RemoveAt(i);
            return;
        }
    }
}

void FreeAll(CPtrArray& list)
{
    for (int i = 0; i < list.GetSize(); ++i)
        delete At(list, i);
    list.RemoveAll();
}

// Asks every live thread of the list to quit and waits for each.
void EndThreads(CPtrArray& list, bool bHide)
{
    RemoveStale(list);
    for (int i = 0; i < list.GetSize(); ++i) {
        CThreadEntry* e = At(list, i);
        if (!e->hMainWnd || !IsWindow(e->hMainWnd))
            continue;
        if (bHide)
            ShowWindow(e->hMainWnd, SW_HIDE);
        ::PostThreadMessageA(e->dwThreadId, WM_QD_QUIT_THREAD, 0, 0);
        if (!bHide) {
            // An editor may ask whether to save: let the user see it.
            BringWindowToTop(e->hMainWnd);
            SetForegroundWindow(e->hMainWnd);
        }
        // The thread may need this thread (a sent message, a modal owner): keep serving it.
        while (MsgWaitForMultipleObjects(1, &e->hThread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            if (!AfxPumpMessage()) {
                WaitForSingleObject(e->hThread, INFINITE);  // the quit message stays queued
                break;
            }
        }
    }
    FreeAll(list);
}

} // namespace

void CQuendalApp::AddEditThread(CWinThread* pThread)
{
    CSingleLock hold(&m_editThreadLock, TRUE);
    if (CThreadEntry* e = MakeEntry(pThread, CThreadEntry::kEditor))
        m_editThreads.Add(e);
    RemoveStale(m_editThreads);
}

void CQuendalApp::AddViewThread(CWinThread* pThread)
{
    if (CThreadEntry* e = MakeEntry(pThread, CThreadEntry::kViewer))
        m_viewThreads.Add(e);
    CleanupViewThreads();
}

void CQuendalApp::AddSearchThread(CWinThread* pThread)
{
    if (CThreadEntry* e = MakeEntry(pThread, CThreadEntry::kSearch))
        m_searchThreads.Add(e);
    CleanupSearchThreads();
}

void CQuendalApp::CleanupEditThreads()
{
    CSingleLock hold(&m_editThreadLock, TRUE);
    RemoveStale(m_editThreads);
}

void CQuendalApp::CleanupViewThreads()
{
    RemoveStale(m_viewThreads);
}

void CQuendalApp::CleanupSearchThreads()
{
    RemoveStale(m_searchThreads);
}

BOOL CQuendalApp::IsFolderInEditor(int nFolderId)
{
    CSingleLock hold(&m_editThreadLock, TRUE);
    RemoveStale(m_editThreads);
    for (int i = m_editThreads.GetSize() - 1; i >= 0; --i) {
        auto* p = static_cast<CMailEditThread*>(At(m_editThreads, i)->pThread);
        if (p->GetDocFolderId() == nFolderId)
            return TRUE;
    }
    return FALSE;
}

BOOL CQuendalApp::IsFolderInViewer(int nFolderId)
{
    RemoveStale(m_viewThreads);
    for (int i = m_viewThreads.GetSize() - 1; i >= 0; --i) {
        auto* p = static_cast<CMailWindowThread*>(At(m_viewThreads, i)->pThread);
        if (p->GetDocFolderId() == nFolderId)
            return TRUE;
    }
    return FALSE;
}

BOOL CQuendalApp::CheckSearchThreads(BOOL bStop)
{
    RemoveStale(m_searchThreads);
    for (int i = m_searchThreads.GetSize() - 1; i >= 0; --i) {
        CThreadEntry* e = At(m_searchThreads, i);
        if (e->nKind != CThreadEntry::kSearch)
            continue;
        if (bStop) {
            ::PostThreadMessageA(e->dwThreadId, WM_QD_QUIT_THREAD, 0, 0);
        } else {
            auto* p = static_cast<CMailSearchThread*>(e->pThread);
            if (WaitForSingleObject(p->m_idleEvent, 0) != WAIT_OBJECT_0)
                return TRUE;
        }
    }
    return FALSE;
}

BOOL CQuendalApp::HasViewThread()
{
    CleanupViewThreads();
    CleanupEditThreads();
    return !m_viewThreads.IsEmpty();
}

BOOL CQuendalApp::ActivateEditThread()
{
    // The editor thread restores and activates its own window.
    const UINT kRestoreEditor = 1408;
    CSingleLock hold(&m_editThreadLock, TRUE);
    RemoveStale(m_editThreads);
    const int count = m_editThreads.GetSize();
    if (count == 0)
        return FALSE;
    if (m_nNextEditorToActivate >= count || m_nNextEditorToActivate < 0)
        m_nNextEditorToActivate = 0;
    CThreadEntry* e = At(m_editThreads, m_nNextEditorToActivate++);
    return ::PostThreadMessageA(e->dwThreadId, kRestoreEditor, 0, 0);
}

void CQuendalApp::PostToWindowThreads(UINT message, WPARAM wParam, LPARAM lParam, BOOL bEditors)
{
    CleanupViewThreads();
    for (int i = 0; i < m_viewThreads.GetSize(); ++i)
        ::PostThreadMessageA(At(m_viewThreads, i)->dwThreadId, message, wParam, lParam);
    if (!bEditors)
        return;
    CSingleLock hold(&m_editThreadLock, TRUE);
    RemoveStale(m_editThreads);
    for (int i = 0; i < m_editThreads.GetSize(); ++i)
        ::PostThreadMessageA(At(m_editThreads, i)->dwThreadId, message, wParam, lParam);
}

void CQuendalApp::CenterThreadWindows()
{
    const UINT kCenter = 1424;
    PostToWindowThreads(kCenter, 0, 0, TRUE);
    CleanupSearchThreads();
    for (int i = 0; i < m_searchThreads.GetSize(); ++i)
        ::PostThreadMessageA(At(m_searchThreads, i)->dwThreadId, kCenter, 0, 0);
}

BOOL CQuendalApp::HasEditThread()
{
    CleanupViewThreads();
    CleanupEditThreads();
    CSingleLock hold(&m_editThreadLock, TRUE);
    return !m_editThreads.IsEmpty();
}

BOOL CQuendalApp::HasSearchThread()
{
    CleanupSearchThreads();
    return !m_searchThreads.IsEmpty();
}

void CQuendalApp::RemoveEditThread(DWORD dwThreadId)
{
    CSingleLock hold(&m_editThreadLock, TRUE);
    RemoveById(m_editThreads, dwThreadId);
}

void CQuendalApp::RemoveViewThread(DWORD dwThreadId)
{
    RemoveById(m_viewThreads, dwThreadId);
}

void CQuendalApp::RemoveSearchThread(DWORD dwThreadId)
{
    RemoveById(m_searchThreads, dwThreadId);
}

BOOL CQuendalApp::CloseAllThreads()
{
    EndThreads(m_viewThreads, true);
    {
        // Not held while waiting: an editor that ends removes itself through the lock.
        CPtrArray editors;
        {
            CSingleLock hold(&m_editThreadLock, TRUE);
            editors.Copy(m_editThreads);
            m_editThreads.RemoveAll();
        }
        EndThreads(editors, false);
    }
    EndThreads(m_searchThreads, false);
    return TRUE;
}
