#include "plugin/SendFolderRequest.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "mainwnd/MainFrame.h"

BOOL PostSendFolderMail(int nFolderId, BOOL bKeepNoCopy)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !app->m_pMainFrame || !app->m_pMainFrame->m_hWnd)
        return FALSE;
    return ::PostMessageA(app->m_pMainFrame->m_hWnd, WM_QD_SEND_FOLDER_MAIL, bKeepNoCopy ? 1 : 0, nFolderId);
}
