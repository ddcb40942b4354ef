#include "mainwnd/FoundMailOpen.h"

#include "core/QuendalApp.h"
#include "mainwnd/MailViewSeam.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <atomic>

namespace {

// The list window of the last request; a request and its window come from
// one search thread, and only the newest matters.
std::atomic<HWND> g_hLastList{nullptr};

} // namespace

FoundMailOpenSeam& GetFoundMailOpenSeam()
{
    static FoundMailOpenSeam seam;
    return seam;
}

void PostOpenFoundMail(int nFolderId, int nIndex, HWND hList)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    g_hLastList = hList;
    ::PostThreadMessageA(app->m_nThreadID, WM_QD_OPEN_FOUND_MAIL, static_cast<WPARAM>(nFolderId),
                         static_cast<LPARAM>(nIndex));
}

void OpenFoundMail(int nFolderId, int nIndex)
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* store = app ? app->FindFolder(nFolderId) : nullptr;
    if (!store || !store->GetMailList())
        return;
    CMailIndexRecord* record = store->GetRecord(nIndex);
    if (!record || record->m_bDeleted)
        return;
    if (store->IsInWritingFolder() || store->GetKind() == CFolderRecord::kindSend) {
        app->OpenMailEditor(0, store, nIndex, 0, "", "", "", "", "", 0, 0, FALSE, 0);
        return;
    }
    HWND list = g_hLastList;
    if (GetFoundMailOpenSeam().pfnOpenMailFromList && list && ::IsWindow(list))
        GetFoundMailOpenSeam().pfnOpenMailFromList(store, nIndex, list);
    else if (GetMailViewSeam().pfnOpenMail)
        GetMailViewSeam().pfnOpenMail(store, nIndex);
}
