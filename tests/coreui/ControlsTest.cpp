// The shared owner-drawn controls on the test display: colours probed at a
// few pixels, notifications checked at the host window.
#include "UiTestSupport.h"

#include "core/BuddySpinButton.h"
#include "core/ColoredComboBox.h"
#include "core/DblClickEdit.h"
#include "core/FolderTreeCtrl.h"
#include "core/FontNameComboBox.h"
#include "core/QListCtrl.h"
#include "core/ThemeButton.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <memory>

using namespace UiTest;
using TestSupport::TempDir;

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);

} // namespace

TEST(ColoredComboBox, DrawsInItsColoursAndForwardsSelectionChanges)
{
    CHostWnd host;
    HWND hCombo = host.CreateChild("COMBOBOX", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 10,
                                   10, 200, 200, 1500);
    CColoredComboBox combo;
    ASSERT_TRUE(combo.SubclassWindow(hCombo));
    combo.SetColors(RGB(0, 0, 0), kGreen);
    combo.AddString("受信箱");
    combo.AddString("送信済み");
    combo.SetCurSel(0);
    ::SetFocus(host.m_hWnd);
    combo.Invalidate();
    Pump(200);
    SaveScreenshot(host.m_hWnd, "ColoredComboBox");
    RECT rc;
    combo.GetClientRect(&rc);
    // Inside the selection field, right of the text and left of the arrow.
    EXPECT_EQ(Pixel(combo.m_hWnd, rc.right - 40, rc.bottom / 2), kGreen);
    EXPECT_EQ(SendMessageA(hCombo, CB_GETITEMHEIGHT, 0, 0), 16);

    // Without a notify window the change reaches the parent once, posted.
    host.m_received.clear();
    SendMessageA(host.m_hWnd, WM_COMMAND, MAKEWPARAM(1500, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCombo));
    EXPECT_TRUE(host.Take(WM_COMMAND).empty()) << "the parent must see it only after the combo box";
    Pump(100);
    auto commands = host.Take(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(1500, CBN_SELCHANGE));

    // With one, message 1364 goes there with the combo box.
    combo.SetNotifyWnd(host.m_hWnd);
    SendMessageA(host.m_hWnd, WM_COMMAND, MAKEWPARAM(1500, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCombo));
    Pump(100);
    auto notes = host.Take(WM_QD_COMBO_SELCHANGE);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].lParam, reinterpret_cast<LPARAM>(hCombo));
    EXPECT_TRUE(host.Take(WM_COMMAND).empty());
}

TEST(FontNameComboBox, HoldsTheScreensFontFamilies)
{
    CHostWnd host;
    HWND hCombo = host.CreateChild("COMBOBOX", CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 10, 10,
                                   200, 200, 1501);
    CFontNameComboBox combo;
    ASSERT_TRUE(combo.SubclassWindow(hCombo));
    EXPECT_GT(combo.GetCount(), 0);
}

TEST(SmallControls, DoubleClicksAndSpinPressesReachTheParent)
{
    CHostWnd host;
    CDblClickEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(host.CreateChild("EDIT", WS_BORDER, 10, 10, 100, 20, 1502)));
    SendMessageA(edit.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6));
    auto clicks = host.Take(WM_LBUTTONDBLCLK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(clicks[0].lParam, MAKELPARAM(5, 6));

    CBuddySpinButton spin;
    ASSERT_TRUE(spin.SubclassWindow(host.CreateChild(UPDOWN_CLASSA, 0, 120, 10, 16, 40, 1503)));
    RECT rc;
    spin.GetClientRect(&rc);
    int middle = rc.bottom / 2;
    struct
    {
        int y;
        UINT message;
    } presses[] = { { 1, WM_QD_SPIN_UP }, { middle - 1, WM_QD_SPIN_UP }, { middle, WM_QD_SPIN_DOWN },
                    { rc.bottom - 1, WM_QD_SPIN_DOWN } };
    for (const auto& press : presses) {
        SendMessageA(spin.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, press.y));
        SendMessageA(spin.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(4, press.y));
        Pump(30);
        EXPECT_EQ(host.Take(press.message).size(), 1u) << "y " << press.y;
    }
}

TEST(QListCtrl, RowsInSelectionColoursAndWholeCharactersBeforeTheEllipsis)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    CHostWnd host;
    CQListCtrl list;
    ASSERT_TRUE(list.SubclassWindow(host.CreateChild(WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDRAWFIXED | WS_BORDER, 10, 10,
                                                     400, 200, 1504)));
    list.InsertColumn(0, "", LVCFMT_LEFT, 20);
    list.InsertColumn(1, "件名", LVCFMT_LEFT, 120);
    list.InsertColumn(2, "サイズ", LVCFMT_RIGHT, 60);
    list.InsertItem(0, "");
    list.SetItemText(0, 1, "日本語の長い件名がここに入ります日本語の長い件名");
    list.SetItemText(0, 2, "12KB");
    list.InsertItem(1, "");
    list.SetItemText(1, 1, "短い");
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);

    RECT row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    int probeX = 10;  // the image column, empty without an image list
    int probeY = (row.top + row.bottom) / 2;
    ::SetFocus(host.m_hWnd);
    list.Invalidate();
    Pump(150);
    EXPECT_EQ(Pixel(list.m_hWnd, probeX, probeY), GetSysColor(COLOR_GRAYTEXT));
    // The other test programs share the display and may take the foreground
    // (and with it the focus) while the list paints: paint again with the
    // focus taken back until the row shows in the focused colour.
    COLORREF focused = CLR_INVALID;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
        ::SetForegroundWindow(host.m_hWnd);
        ::SetFocus(list.m_hWnd);
        list.Invalidate();
        Pump(150);
        focused = Pixel(list.m_hWnd, probeX, probeY);
        if (focused == GetSysColor(COLOR_HIGHLIGHT) && ::GetFocus() == list.m_hWnd)
            break;
    }
    SaveScreenshot(host.m_hWnd, "QListCtrl");
    EXPECT_EQ(focused, GetSysColor(COLOR_HIGHLIGHT));
    RECT row2;
    list.GetItemRect(1, &row2, LVIR_BOUNDS);
    EXPECT_EQ(Pixel(list.m_hWnd, probeX, (row2.top + row2.bottom) / 2), GetSysColor(COLOR_WINDOW));

    HDC hdc = GetDC(list.m_hWnd);
    HGDIOBJ old = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    CString text("件名が長すぎて入りきらない日本語のテキスト");
    for (int width = 10; width < 200; width += 3) {
        CString fitted = CQListCtrl::FitText(hdc, text, width);
        ASSERT_EQ(fitted.Right(3), "...") << width;
        CString kept = fitted.Left(fitted.GetLength() - 3);
        EXPECT_FALSE(Mbcs::IsTrailByteAt(text, text.GetLength(), kept.GetLength())) << "cut inside a character at " << width;
    }
    EXPECT_STREQ(CQListCtrl::FitText(hdc, "短い", 200), "短い");
    SelectObject(hdc, old);
    ReleaseDC(list.m_hWnd, hdc);

    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    POINT topLeft = { -1, -1 };
    HIMAGELIST drag = list.CreateSelectionDragImage(&topLeft);
    ASSERT_TRUE(drag);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(drag, &cx, &cy);
    EXPECT_EQ(ImageList_GetImageCount(drag), 1);
    EXPECT_GT(cy, row.bottom - row.top) << "two rows";
    EXPECT_GE(topLeft.y, 0);
    ImageList_Destroy(drag);
}

TEST(QListCtrl, SortMarkInTheHeaderBeforeXpOnlyWhereItFits)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    app.ForceOSVersionType(2);
    CHostWnd host;
    CQListCtrl list;
    ASSERT_TRUE(list.SubclassWindow(host.CreateChild(WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDRAWFIXED, 10, 10, 400, 200, 1505)));
    list.InsertColumn(0, "", LVCFMT_LEFT, 16);  // too narrow for the mark
    list.InsertColumn(1, "差出人", LVCFMT_LEFT, 120);
    BOOL descending = FALSE;
    HWND header = list.GetHeaderCtrl();
    RECT item;
    for (int column : { 0, 1 }) {
        list.SetSortColumn(column, &descending);
        ::InvalidateRect(header, nullptr, TRUE);
        Pump(150);
        SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
        // The mark's place: 10x10 at left + 4 (inside the shrunk rectangle).
        int marked = 0;
        for (int x = item.left + 4; x < item.left + 14 && x < item.right - 2; ++x) {
            for (int y = item.top + 3; y < item.bottom - 3; ++y)
                marked += Pixel(header, x, y) != GetSysColor(COLOR_BTNFACE);
        }
        if (column == 0)
            EXPECT_EQ(marked, 0) << "no mark in a column narrower than 17 pixels";
        else
            EXPECT_GT(marked, 0) << "the sort mark";
    }
    SaveScreenshot(host.m_hWnd, "QListCtrlHeader");
}

TEST(FolderTreeCtrl, UnreadCountsAfterFolderNamesAndExpansionMessages)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    auto addStore = [&app](int id, int kind, int unread) {
        auto* store = new CMailFolderStore;
        CFolderRecord record;
        record.m_nId = id;
        record.m_nKind = kind;
        store->SetFolderRecord(record);
        store->GetMailListNoLoad()->SetUnreadCount(unread);
        app.m_folderStores.Add(store);
        return std::unique_ptr<CMailFolderStore>(store);
    };
    auto inbox = addStore(1, 1, 7);
    auto trash = addStore(2, 4, 0);
    CHostWnd host;
    CFolderTreeCtrl tree;
    ASSERT_TRUE(tree.SubclassWindow(host.CreateChild(WC_TREEVIEWA, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT,
                                                     10, 10, 300, 200, 1506)));
    tree.m_crUnread = kRed;
    HTREEITEM hInbox = tree.InsertItem("受信箱", TVI_ROOT, TVI_LAST, 1);
    HTREEITEM hTrash = tree.InsertItem("ゴミ箱", TVI_ROOT, TVI_LAST, 2);
    HTREEITEM hChild = tree.InsertItem("子", hInbox, TVI_LAST, 3);
    (void)hChild;
    tree.Invalidate();
    Pump(150);
    SaveScreenshot(host.m_hWnd, "FolderTreeCtrl");
    auto redAfter = [&](HTREEITEM hItem) {
        RECT rc;
        tree.GetItemRect(hItem, &rc, TRUE);
        int red = 0;
        for (int x = rc.right + 5; x < rc.right + 55; ++x)
            for (int y = rc.top; y < rc.bottom; ++y)
                red += Pixel(tree.m_hWnd, x, y) == kRed;
        return red;
    };
    EXPECT_GT(redAfter(hInbox), 0) << "[7] after the inbox";
    EXPECT_EQ(redAfter(hTrash), 0) << "no count for 0 unread";

    // Expanding is announced to the application thread: item and folder id.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QD_FOLDER_EXPANDED, WM_QD_FOLDER_EXPANDED, PM_REMOVE)) {
    }
    tree.Expand(hInbox, TVE_EXPAND);
    NMTREEVIEWA nm = {};
    nm.hdr.hwndFrom = tree.m_hWnd;
    nm.hdr.idFrom = 1506;
    nm.hdr.code = TVN_ITEMEXPANDEDA;
    nm.action = TVE_EXPAND;
    nm.itemNew.hItem = hInbox;
    SendMessageA(host.m_hWnd, WM_NOTIFY, 1506, reinterpret_cast<LPARAM>(&nm));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QD_FOLDER_EXPANDED, WM_QD_FOLDER_EXPANDED, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(hInbox));
    EXPECT_EQ(msg.lParam, 1);
    EXPECT_TRUE(tree.IsItemExpanded(hInbox));
    EXPECT_FALSE(tree.IsItemExpanded(hTrash));

    COLORREF old = tree.SetTextColor(RGB(0, 0, 128));
    EXPECT_EQ(tree.SetTextColor(old), RGB(0, 0, 128));
    EXPECT_TRUE(tree.GetStyle() & TVS_HASLINES);
    app.m_folderStores.RemoveAll();
}

TEST(ThemeButton, FrameBorderAndHotTracking)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));  // no visual-styles library loaded: classic frame
    CHostWnd host;
    CThemeButton button;
    ASSERT_TRUE(button.SubclassWindow(host.CreateChild("BUTTON", BS_OWNERDRAW, 10, 10, 120, 30, 1507, "送信")));
    button.SetBorderColor(kRed);
    button.SetIcon(static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(128), IMAGE_ICON, 16, 16, 0)));
    button.Invalidate();
    Pump(150);
    SaveScreenshot(host.m_hWnd, "ThemeButton");
    EXPECT_EQ(Pixel(button.m_hWnd, 0, 15), kRed);
    EXPECT_EQ(Pixel(button.m_hWnd, 60, 0), kRed);
    EXPECT_FALSE(button.IsThemed());

    EXPECT_FALSE(button.IsHovering());
    SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.IsHovering());
    SendMessageA(button.m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.IsHovering());
    SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(button.m_hWnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(button.IsHovering());
}
