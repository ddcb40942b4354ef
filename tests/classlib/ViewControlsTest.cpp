// List views with virtual rows, toolbars following update handlers, status-bar panes.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

const UINT ID_TEST_ON = 34001;
const UINT ID_TEST_CHECKED = 34002;
const UINT ID_TEST_NOBODY = 34003;

// A virtual list: the control keeps a count, the view answers each cell.
class CNumbersView : public CListView
{
public:
    int m_nAsked = 0;

protected:
    void OnGetDispInfo(NMHDR* pHdr, LRESULT* pResult)
    {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(pHdr);
        if (info->item.mask & LVIF_TEXT) {
            m_nAsked++;
            snprintf(info->item.pszText, static_cast<size_t>(info->item.cchTextMax), "r%d c%d", info->item.iItem,
                     info->item.iSubItem);
        }
        *pResult = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNumbersView, CListView)
    ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
END_MESSAGE_MAP()

class CBarsFrame : public CFrameWnd
{
public:
    CSplitterWnd m_split;
    CNumbersView* m_pList = nullptr;
    CToolBar m_toolBar;
    CStatusBar m_statusBar;

    BOOL OnCreateClient(LPCREATESTRUCTA) override
    {
        m_pList = new CNumbersView;
        RECT rc = { 0, 0, 100, 100 };
        if (!m_pList->Create(this, AFX_IDW_PANE_FIRST, rc, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA))
            return FALSE;
        SetActiveView(m_pList);
        return TRUE;
    }
    int OnCreate(LPCREATESTRUCTA lpcs)
    {
        if (CFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        static const UINT buttons[] = { ID_TEST_ON, ID_SEPARATOR, ID_TEST_CHECKED, ID_TEST_NOBODY };
        static const UINT panes[] = { ID_SEPARATOR, ID_TEST_ON };
        if (!m_toolBar.CreateEx(this) || !m_toolBar.SetButtons(buttons, 4))
            return -1;
        if (!m_statusBar.Create(this) || !m_statusBar.SetIndicators(panes, 2))
            return -1;
        return 0;
    }

protected:
    void OnOn() {}
    void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); pCmdUI->Enable(TRUE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBarsFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_TEST_ON, OnOn)
    ON_UPDATE_COMMAND_UI(ID_TEST_CHECKED, OnUpdateChecked)
END_MESSAGE_MAP()

} // namespace

TEST(ViewControls, VirtualListAsksItsViewForEachCellAndBarsSurroundIt)
{
    auto* pFrame = new CBarsFrame;
    const char* cls = AfxRegisterWndClass("CVMTestBarsFrame", 0);
    ASSERT_TRUE(pFrame->CreateEx(0, cls, "bars", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr));
    HWND hFrame = pFrame->m_hWnd;
    pFrame->ShowWindow(SW_SHOWNA);
    pFrame->RecalcLayout();

    CListCtrl& list = pFrame->m_pList->GetListCtrl();
    list.InsertColumn(0, "a", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "b", LVCFMT_LEFT, 80);
    list.SetItemCount(100000);
    EXPECT_EQ(list.GetItemCount(), 100000);
    EXPECT_EQ(list.GetItemText(76543, 1), CString("r76543 c1"));
    EXPECT_GT(pFrame->m_pList->m_nAsked, 0);

    // Toolbar on top, status bar at the bottom, the list between them.
    RECT client = {}, bar = {}, status = {}, view = {};
    pFrame->GetClientRect(&client);
    auto rectIn = [&](HWND h, RECT& rc) {
        ::GetWindowRect(h, &rc);
        ::MapWindowPoints(nullptr, hFrame, reinterpret_cast<POINT*>(&rc), 2);
    };
    rectIn(pFrame->m_toolBar.m_hWnd, bar);
    rectIn(pFrame->m_statusBar.m_hWnd, status);
    rectIn(pFrame->m_pList->m_hWnd, view);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(view.top, bar.bottom);
    EXPECT_EQ(view.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);

    // The idle update enables, checks and disables the buttons.
    pFrame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(pFrame->m_toolBar.IsButtonEnabled(ID_TEST_ON));
    EXPECT_TRUE(pFrame->m_toolBar.IsButtonChecked(ID_TEST_CHECKED));
    EXPECT_FALSE(pFrame->m_toolBar.IsButtonEnabled(ID_TEST_NOBODY));
    EXPECT_EQ(pFrame->m_toolBar.GetItemID(1), static_cast<UINT>(ID_SEPARATOR));

    EXPECT_TRUE(pFrame->m_statusBar.SetPaneText(1, " 総数：12"));
    char text[64] = {};
    pFrame->m_statusBar.SendMessage(SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, " 総数：12");
    EXPECT_EQ(pFrame->m_statusBar.CommandToIndex(ID_TEST_ON), 1);
    ::DestroyWindow(hFrame);
}
