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
