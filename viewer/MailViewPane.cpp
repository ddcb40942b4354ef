#include "viewer/MailViewPane.h"

#include "mainwnd/MailViewSeam.h"
#include "viewer/MailView.h"
#include "viewer/MailViewerOpen.h"

void InstallMailViewPane()
{
    MailViewSeam& seam = GetMailViewSeam();
    if (!seam.pfnCreate)
        seam.pfnCreate = []() -> CView* { return new CMailView(FALSE); };
    if (!seam.pfnShowMail) {
        seam.pfnShowMail = [](CView* pView, CMailFolderStore* pStore, int nIndex) {
            auto* view = dynamic_cast<CMailView*>(pView);
            if (!view)
                return;
            if (!pStore || nIndex < 0)
                view->ClearMail();
            else
                view->ShowMail(nIndex, pStore, FALSE);
        };
    }
    if (!seam.pfnOpenMail)
        seam.pfnOpenMail = [](CMailFolderStore* pStore, int nIndex) { OpenMailViewer(pStore, nIndex, nullptr); };
}
