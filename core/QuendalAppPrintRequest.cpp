// A print request on the command line ("/p file", "/pt file ..."): the named
// mail file is printed from the main window's mail view, which start-up
// has made but not shown.
#include "core/QuendalApp.h"

#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "mainwnd/MainFrame.h"
#include "resources/resource.h"
#include "store/MailFolderStore.h"
#include "viewer/MailView.h"

#include <ctime>

namespace {

// The hidden folder the mail is filed into for the time of the print.
const char kPrintFolderName[] = "PrintTempFolder";

} // namespace

BOOL CQuendalApp::PrintMailFile(const char* pszPath)
{
    CMainFrame* frame = m_pMainFrame && m_pMainFrame->m_hWnd ? m_pMainFrame : nullptr;
    DWORD attr = pszPath && *pszPath ? GetFileAttributesA(pszPath) : INVALID_FILE_ATTRIBUTES;
    if (!frame || attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    CString sendTemp = GetSendTempPath();
    if (sendTemp.IsEmpty())
        return FALSE;
    CString dir = CombinePath(sendTemp, "Print");
    int folderId = CreateTempFolder(kPrintFolderName, dir);
    CMailFolderStore* store = folderId ? FindFolder(folderId) : nullptr;
    if (!store)
        return FALSE;

    // A window without the pane gets it for the time of the print; the
    // window's state that is saved at the end stays the user's.
    const bool madePane = frame->GetMailView() == nullptr;
    if (madePane)
        frame->DispMailview(FALSE);
    auto* view = dynamic_cast<CMailView*>(frame->GetMailView());
    int index = -1;
    BOOL shown = FALSE;
    if (view && store->AddNewMailData(pszPath, FormatDateWithZone(time(nullptr)), TRUE, FALSE, nullptr, &index) == 1 &&
        index >= 0) {
        view->ShowMail(index, store, TRUE);
        frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
        shown = TRUE;
    }
    if (view)
        view->ClearMail();
    if (madePane)
        frame->DispMailview(TRUE);
    RemoveFolder(folderId);
    DeleteDirectoryTree(dir, true);
    return shown;
}
