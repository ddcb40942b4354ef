#include "viewer/MailViewerOpen.h"

#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "core/ThreadEntry.h"
#include "store/MailFolderStore.h"
#include "viewer/MailViewerThread.h"
#include "viewer/ReferenceMailListThread.h"
#include "viewer/ReferenceMailTreeThread.h"

#include <usp10.h>

#include <cstring>
#include <memory>
#include <vector>

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

// Edit controls lay their text out through script caches that all threads
// share in one list, one cache per font. Under Wine, two threads making the
// cache of the same font at the same moment can leave that list broken and
// its lock held, and every later layout hangs. A cache held for each font
// of the main window's controls keeps those entries in the list for good,
// so that the window threads, which use the same fonts, only ever find them.
// Made on the application thread before a window thread starts.
struct PinnedCache
{
    LOGFONTA font;
    SCRIPT_CACHE cache;
};

BOOL CALLBACK PinFontOf(HWND hWnd, LPARAM lParam)
{
    auto* pinned = reinterpret_cast<std::vector<PinnedCache>*>(lParam);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    if (!font || !::GetObjectA(font, sizeof(lf), &lf))
        return TRUE;
    for (const PinnedCache& p : *pinned)
        if (memcmp(&p.font, &lf, sizeof(lf)) == 0)
            return TRUE;
    using GetHeightFn = HRESULT(WINAPI*)(HDC, SCRIPT_CACHE*, long*);
    static GetHeightFn getHeight = reinterpret_cast<GetHeightFn>(
        reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryA("usp10.dll"), "ScriptCacheGetHeight")));
    if (!getHeight)
        return FALSE;
    HDC dc = ::GetDC(hWnd);
    HGDIOBJ old = ::SelectObject(dc, font);
    PinnedCache entry = {lf, nullptr};
    long height = 0;
    if (SUCCEEDED(getHeight(dc, &entry.cache, &height)))
        pinned->push_back(entry);
    ::SelectObject(dc, old);
    ::ReleaseDC(hWnd, dc);
    return TRUE;
}

void PinScriptCaches(CQuendalApp* app)
{
    static std::vector<PinnedCache> pinned;  // held until the process ends
    if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
        ::EnumChildWindows(app->m_pMainWnd->m_hWnd, PinFontOf, reinterpret_cast<LPARAM>(&pinned));
}

bool OnApplicationThread(CQuendalApp* app)
{
    return app && ::GetCurrentThreadId() == app->m_nThreadID;
}

// Hands a request made on another window thread to the application thread.
BOOL PostRequest(CQuendalApp* app, MailWindowRequest::Kind kind, CMailFolderStore* pStore, int nIndex, HWND hList)
{
    return CPostedObjectTable::Instance().PostToThread(
        app->m_nThreadID, WM_QD_OPEN_MAIL_WINDOW, 0,
        std::make_shared<MailWindowRequest>(
            MailWindowRequest{kind, pStore->GetFolderId(), nIndex, hList, ::GetAsyncKeyState(VK_SHIFT) < 0}));
}

BOOL OpenViewerHere(CQuendalApp* app, CMailFolderStore* pStore, int nIndex, HWND hList, bool bShift)
{
    PinScriptCaches(app);
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
    PinScriptCaches(app);
    if (bAsTree)
        return CReferenceMailTreeThread::Start(pStore, nIndex);
    return CReferenceMailListThread::Start(pStore, nIndex);
}

void RunMailWindowRequest(LPARAM lParam)
{
    std::shared_ptr<MailWindowRequest> request =
        CPostedObjectTable::Instance().Take<MailWindowRequest>(WM_QD_OPEN_MAIL_WINDOW, lParam);
    if (!request)
        return;
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* store = app ? app->FindFolder(request->nFolderId) : nullptr;
    if (store && request->kind == MailWindowRequest::viewer)
        OpenViewerHere(app, store, request->nIndex, request->hList, request->bShift);
    else if (store)
        OpenReferenceMailWindow(request->kind == MailWindowRequest::tree, store, request->nIndex);
}
