#include "viewer/MailViewerOpen.h"

#include "core/QuendalApp.h"
#include "core/ThreadEntry.h"
#include "store/MailFolderStore.h"
#include "viewer/MailViewerThread.h"
#include "viewer/ReferenceMailListThread.h"
#include "viewer/ReferenceMailTreeThread.h"

namespace {

enum : UINT {
    msgShowMail = 1380,
    msgSetList = 1381,
};

struct MailWindowRequest
{
    enum Kind { viewer, tree, list } kind;
    int nFolderId;
    int nIndex;
    HWND hList;
    bool bShift;
};

bool OnApplicationThread(CQuendalApp* app)
{
    return app && ::GetCurrentThreadId() == app->m_nThreadID;
}

// Hands a request made on another window thread to the application thread.
BOOL PostRequest(CQuendalApp* app, MailWindowRequest::Kind kind, CMailFolderStore* pStore, int nIndex, HWND hList)
{
    auto* request = new MailWindowRequest{kind, pStore->GetFolderId(), nIndex, hList, ::GetAsyncKeyState(VK_SHIFT) < 0};
    if (::PostThreadMessageA(app->m_nThreadID, WM_QD_OPEN_MAIL_WINDOW, 0, reinterpret_cast<LPARAM>(request)))
        return TRUE;
    delete request;
    return FALSE;
}

BOOL OpenViewerHere(CQuendalApp* app, CMailFolderStore* pStore, int nIndex, HWND hList, bool bShift)
{
    if (!bShift && app->GetProfileInt("Setting", "NoCreateMailViewFrame", 0) && app->HasViewThread()) {
        for (int i = 0; i < app->m_viewThreads.GetSize(); i++) {
            DWORD id = static_cast<CThreadEntry*>(app->m_viewThreads[i])->dwThreadId;
            if (!CMailViewerThread::IsViewerThread(id))
                continue;
            ::PostThreadMessageA(id, msgShowMail, static_cast<WPARAM>(pStore->GetFolderId()), nIndex);
            ::PostThreadMessageA(id, msgSetList, 0, reinterpret_cast<LPARAM>(hList));
            return TRUE;
        }
    }
    return CMailViewerThread::StartViewer(pStore, nIndex, hList);
}

} // namespace

BOOL OpenMailViewer(CMailFolderStore* pStore, int nIndex, HWND hList)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !pStore || nIndex < 0)
        return FALSE;
    if (!OnApplicationThread(app))
        return PostRequest(app, MailWindowRequest::viewer, pStore, nIndex, hList);
    return OpenViewerHere(app, pStore, nIndex, hList, ::GetKeyState(VK_SHIFT) < 0);
}

BOOL OpenReferenceMailWindow(BOOL bAsTree, CMailFolderStore* pStore, int nIndex)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !pStore || nIndex < 0)
        return FALSE;
    MailWindowRequest::Kind kind = bAsTree ? MailWindowRequest::tree : MailWindowRequest::list;
    if (!OnApplicationThread(app))
        return PostRequest(app, kind, pStore, nIndex, nullptr);
    if (bAsTree)
        return CReferenceMailTreeThread::Start(pStore, nIndex);
    return CReferenceMailListThread::Start(pStore, nIndex);
}

void RunMailWindowRequest(LPARAM lParam)
{
    auto* request = reinterpret_cast<MailWindowRequest*>(lParam);
    if (!request)
        return;
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* store = app ? app->FindFolder(request->nFolderId) : nullptr;
    if (store && request->kind == MailWindowRequest::viewer)
        OpenViewerHere(app, store, request->nIndex, request->hList, request->bShift);
    else if (store && request->kind == MailWindowRequest::tree)
        CReferenceMailTreeThread::Start(store, request->nIndex);
    else if (store)
        CReferenceMailListThread::Start(store, request->nIndex);
    delete request;
}
