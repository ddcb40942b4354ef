#include "plugin/SendFolderRequest.h"

#include "core/AppMessages.h"
#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "mainwnd/MainFrame.h"

#include <memory>

BOOL PostSendFolderMail(int nFolderId, BOOL bKeepNoCopy)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !app->m_pMainFrame || !app->m_pMainFrame->m_hWnd)
        return FALSE;
    return CPostedObjectTable::Instance().PostToWindow(
               app->m_pMainFrame->m_hWnd, WM_QD_SEND_FOLDER_MAIL, 0,
               std::make_shared<SendFolderMailRequest>(SendFolderMailRequest{nFolderId, bKeepNoCopy != FALSE}))
               ? TRUE
               : FALSE;
}
