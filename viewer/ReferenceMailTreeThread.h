// CReferenceMailTreeThread: the user-interface thread of one thread tree
// window, opened for a mail of a folder. It serves 1404 (quit), 1424
// (centre) and 1347/1348 (previous, next item).
#pragma once

#include "viewer/MailWindowThread.h"

class CMailFolderStore;
class CReferenceMailTreeFrame;

class CReferenceMailTreeThread : public CMailWindowThread
{
public:
    CReferenceMailTreeThread(CMailFolderStore* pStore, int nIndex);

    BOOL InitInstance() override;

    // Starts a window for the mail and registers it; on the application thread only.
    static BOOL Start(CMailFolderStore* pStore, int nIndex);

protected:
    void ApplyViewSettings() override;
    void ReloadKeywords() override;
    void OnQuit(WPARAM, LPARAM);
    void OnCenter(WPARAM, LPARAM);
    void OnMove(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CReferenceMailTreeFrame* m_pFrame = nullptr;
    CMailFolderStore* m_pStore;
    int m_nIndex;
};
