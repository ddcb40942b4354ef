// The main window's handlers of hand-over requests and of settings changed
// elsewhere, called by the application thread's dispatcher.
#include "mainwnd/MainFrame.h"

#include "core/QuendalApp.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/QListView.h"
#include "message/AddressList.h"
#include "viewer/MailView.h"

void CMainFrame::OpenAddressBookToAdd(const char* pszName, const char* pszAddress)
{
    CString name = pszName ? pszName : "";
    CString address = pszAddress ? pszAddress : "";
    if (name.IsEmpty() && !address.IsEmpty()) {
        name = ExtractDisplayName(address);
        address = ExtractMailAddress(address);
    }
    if (CQuendalApp* app = QuendalApp())
        app->OpenAddressBook(this, 1, nullptr, nullptr, name, address, "");
}

void CMainFrame::ApplyViewSettings()
{
    if (m_pFolderTree)
        m_pFolderTree->ApplyColors();
    if (m_pListView)
        m_pListView->LoadColors();
    if (auto* view = dynamic_cast<CMailView*>(m_pMailView))
        view->ApplyFontsAndColors();
}

void CMainFrame::ReloadKeywords()
{
    if (auto* view = dynamic_cast<CMailView*>(m_pMailView))
        view->ReloadKeywords();
}
