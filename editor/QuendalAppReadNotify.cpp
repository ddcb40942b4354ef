// The read notification a viewer's answer asks for: the application thread
// opens an editor of mail kind 11 on the mail that was read (it sends at
// once, without showing, when the settings say so).
#include "core/QuendalApp.h"

#include "store/MailFolderStore.h"

void CQuendalApp::SendReadNotify(int nFolderId, int nIndex)
{
    CMailFolderStore* store = FindFolder(nFolderId);
    if (!store || !store->GetRecord(nIndex))
        return;
    OpenMailEditor(11, store, nIndex, 0, "", "", "", "", "", 0, 0, FALSE, 0);
}
