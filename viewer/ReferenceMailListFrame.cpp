#include "viewer/ReferenceMailListFrame.h"

#include "classlib/AppCore.h"
#include "mainwnd/OwnerDrawMenu.h"
#include "resources/resource.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/ReferenceMailListView.h"
#include "viewer/ViewerProfile.h"

namespace {

const char kWindowClass[] = "CVMRefListWndClass";

} // namespace

BEGIN_MESSAGE_MAP(CReferenceMailListFrame, CFrameWnd)
    ON_WM_CLOSE()
    ON_COMMAND(ID_VIEWER_CLOSE, OnClose)
    ON_COMMAND(ID_VIEWER_CLOSE_WINDOW, OnClose)
    ON_COMMAND(ID_VIEWER_ESCAPE, OnClose)
END_MESSAGE_MAP()

BOOL CReferenceMailListFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    cs.lpszClass = AfxRegisterWndClass(kWindowClass, CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), hIcon);
    return TRUE;
}

BOOL CReferenceMailListFrame::Create(CMailFolderStore* pStore, int nIndex)
{
    m_nIDResource = IDR_REF_LIST;
    int left = ViewerProfile::GetInt("RefWindow", "Left", 60);
    int top = ViewerProfile::GetInt("RefWindow", "Top", 60);
    int width = ViewerProfile::GetInt("RefWindow", "Width", 560);
    int height = ViewerProfile::GetInt("RefWindow", "Height", 500);
    HMENU hMenu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_REF_LIST));
    CMailIndexRecord* r = pStore->GetRecord(nIndex);
    CString title = r ? r->GetText(CMailIndexRecord::colSubject) : CString();
    if (!CreateEx(0, nullptr, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, width, height, nullptr,
                  hMenu)) {
        if (hMenu)
            DestroyMenu(hMenu);
        return FALSE;
    }
    LoadAccelTable(IDR_REF_LIST);
    return m_pList->Fill(pStore, nIndex);
}

BOOL CReferenceMailListFrame::OnCreateClient(LPCREATESTRUCTA)
{
    m_pList = new CReferenceMailListView;
    RECT rc = {0, 0, 100, 100};
    if (!m_pList->Create(this, AFX_IDW_PANE_FIRST, rc)) {
        m_pList = nullptr;
        return FALSE;
    }
    m_pList->OnInitialUpdate();
    SetActiveView(m_pList, FALSE);
    RecalcLayout();
    return TRUE;
}

BOOL CReferenceMailListFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE && GetKeyState(VK_CONTROL) >= 0 &&
        GetKeyState(VK_SHIFT) >= 0) {
        PostMessage(WM_COMMAND, ID_VIEWER_ESCAPE);
        return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

LRESULT CReferenceMailListFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    COwnerDrawMenu* menu = m_pList ? m_pList->GetOpenMenu() : nullptr;
    if (menu && menu->HandleOwnerMessage(message, wParam, lParam, result))
        return result;
    return CFrameWnd::WindowProc(message, wParam, lParam);
}
