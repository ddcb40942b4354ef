// CMailViewerThread: the user-interface thread of one viewer window. The
// opener fills it with the mail to show and the list it came from, starts
// it and waits until its window exists. The thread serves 1349 (an editor
// for the shown mail, then close), 1356 (to the front), 1380 (show another
// mail), 1381 (take another list), 1404 (quit), 1424 (centre) and
// 1347/1348 (previous, next), 1368 (the main window's answer to a search
// for unread mail in other folders), and tells the application thread 1406 when it
// ends.
#pragma once

#include "viewer/MailWindowThread.h"

class CMailFolderStore;
class CMailViewerFrame;

class CMailViewerThread : public CMailWindowThread
{
public:
    CMailViewerThread() = default;

    BOOL InitInstance() override;
    int ExitInstance() override;

    void SetMail(CMailFolderStore* pStore, int nIndex, HWND hList);
    HWND GetListWindow() const { return m_hList; }
    void SetListWindow(HWND hList) { m_hList = hList; }

    // Starts a viewer for the mail and registers it with the application;
    // on the application thread only.
    static BOOL StartViewer(CMailFolderStore* pStore, int nIndex, HWND hList);
    // Whether the thread of that id is a running viewer (the application's
    // viewer list also holds the thread windows).
    static bool IsViewerThread(DWORD dwThreadId);

protected:
    void ApplyViewSettings() override;
    void ReloadKeywords() override;
    void OnQuit(WPARAM, LPARAM);
    void OnEditor(WPARAM, LPARAM);
    void OnFront(WPARAM, LPARAM);
    void OnShowMail(WPARAM, LPARAM);
    void OnSetList(WPARAM, LPARAM);
    void OnCenter(WPARAM, LPARAM);
    void OnMovePrevious(WPARAM, LPARAM);
    void OnMoveNext(WPARAM, LPARAM);
    void OnFolderSearchAnswer(WPARAM wParam, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CMailViewerFrame* m_pFrame = nullptr;
    CMailFolderStore* m_pStore = nullptr;
    int m_nIndex = -1;
    HWND m_hList = nullptr;
};
