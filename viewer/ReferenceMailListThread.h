// CReferenceMailListThread: the user-interface thread of one related-mail
// list window, opened for a mail of a folder. It serves 1404 (quit) and
// 1424 (centre).
#pragma once

#include "viewer/MailWindowThread.h"

class CMailFolderStore;
class CReferenceMailListFrame;

class CReferenceMailListThread : public CMailWindowThread
{
public:
    CReferenceMailListThread(CMailFolderStore* pStore, int nIndex);

    BOOL InitInstance() override;

    // Starts a window for the mail and registers it; on the application thread only.
    static BOOL Start(CMailFolderStore* pStore, int nIndex);

protected:
    void ApplyViewSettings() override;
    void ReloadKeywords() override;
    void OnQuit(WPARAM, LPARAM);
    void OnCenter(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CReferenceMailListFrame* m_pFrame = nullptr;
    CMailFolderStore* m_pStore;
    int m_nIndex;
    // The list drags mails and puts them on the clipboard through OLE.
};
