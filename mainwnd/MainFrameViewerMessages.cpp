// The thread messages that move the main window on to another folder's
// unread mail: asked by the mail list when its folder has no unread mail
// left, and by viewer windows, which get an answer so that they can show the
// mail the main list moved to (or end their wait cursor).
#include "mainwnd/MainFrame.h"

#include "mainwnd/QListView.h"

namespace {

// Answer to a viewer: wParam 1 when the main list moved to another
// folder's unread mail, 0 when it found none.
const UINT kFolderSearchAnswer = 1368;

} // namespace

void CMainFrame::AnswerFolderSearch(DWORD dwThreadId, BOOL bNext, BOOL bSkipExcluded)
{
    BOOL found = bNext ? FindNextFolder(bSkipExcluded) : FindPreviousFolder(bSkipExcluded);
    if (dwThreadId)
        ::PostThreadMessageA(dwThreadId, kFolderSearchAnswer, found ? 1 : 0, 0);
}

void CMainFrame::ResetListState()
{
    m_keyDown = m_keyUp = m_keyRepeat = m_showOnKeyUp = 0;
    if (m_pListView)
        m_pListView->ResetUnreadWalk();
}

void CMainFrame::OnNextFolderMessage(WPARAM, LPARAM)
{
    GoToNextFolder(TRUE);
}

void CMainFrame::OnNextFolderAllMessage(WPARAM, LPARAM)
{
    GoToNextFolder(FALSE);
}

void CMainFrame::OnPreviousFolderMessage(WPARAM, LPARAM)
{
    GoToPreviousFolder(TRUE);
}

void CMainFrame::OnResetListStateMessage(WPARAM, LPARAM)
{
    ResetListState();
}

void CMainFrame::OnViewerNextFolderMessage(WPARAM, LPARAM lParam)
{
    AnswerFolderSearch(static_cast<DWORD>(lParam), TRUE, TRUE);
}

void CMainFrame::OnViewerNextFolderAllMessage(WPARAM, LPARAM lParam)
{
    AnswerFolderSearch(static_cast<DWORD>(lParam), TRUE, FALSE);
}

void CMainFrame::OnViewerPreviousFolderMessage(WPARAM, LPARAM lParam)
{
    AnswerFolderSearch(static_cast<DWORD>(lParam), FALSE, TRUE);
}

void CMainFrame::OnViewerPreviousFolderAllMessage(WPARAM, LPARAM lParam)
{
    AnswerFolderSearch(static_cast<DWORD>(lParam), FALSE, FALSE);
}
