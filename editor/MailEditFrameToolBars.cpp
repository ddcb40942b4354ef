// The editor frame's toolbars: the main toolbar with the sending account's
// box and the busy animation, the format toolbar of HTML mail with the font
// boxes; the body's context menu; and the frame messages of the boxes
// (1364), of the HTML editing view (1125) and of the key assignment (1422).
#include "editor/MailEditFrame.h"

#include "classlib/ToolBarLayout.h"
#include "core/ColoredComboBox.h"
#include "core/QuendalApp.h"
#include "editor/MailEditView.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

const UINT kFormatBarId = 0xE803;
// Room on the main toolbar for the account box, and on the format toolbar
// for the two font boxes.
const int kAccountBoxRoom = 152;
const int kFontBoxRoom = 192;
const char* const kFontSizes[] = { "8", "10", "12", "14", "18", "24", "36" };

// In the button list of a toolbar, the place of its boxes: one separator as
// wide as the boxes it holds.
const UINT kBoxRoom = static_cast<UINT>(-1);

// The buttons of a layout, the box room at position nRoomAt; the n-th
// button shows image nFirstImage + n.
void AddButtons(CToolBar& bar, std::vector<UINT> ids, size_t nRoomAt, int nRoomWidth, int nFirstImage)
{
    ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(std::min(nRoomAt, ids.size())), kBoxRoom);
    std::vector<TBBUTTON> buttons;
    int image = nFirstImage;
    for (UINT id : ids) {
        TBBUTTON tb = {};
        if (id == ID_SEPARATOR || id == kBoxRoom) {
            tb.fsStyle = BTNS_SEP;
            tb.iBitmap = id == kBoxRoom ? nRoomWidth : 6;
        } else {
            tb.idCommand = static_cast<int>(id);
            tb.iBitmap = nFirstImage < 0 ? I_IMAGENONE : image++;
            tb.fsState = TBSTATE_ENABLED;
            tb.fsStyle = BTNS_BUTTON;
            tb.iString = -1;
        }
        buttons.push_back(tb);
    }
    bar.SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    bar.SendMessage(TB_AUTOSIZE);
}

// The rectangle of the toolbar's box room (its first separator that wide).
RECT BoxRoom(CToolBar& bar, int nRoomWidth)
{
    RECT rc = {};
    const int count = bar.GetButtonCount();
    for (int i = 0; i < count; ++i) {
        TBBUTTON tb = {};
        bar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tb));
        if ((tb.fsStyle & BTNS_SEP) && tb.iBitmap == nRoomWidth) {
            bar.SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc));
            break;
        }
    }
    return rc;
}

bool CreateBox(CColoredComboBox& box, CToolBar& bar, UINT nID, int nLeft, int nRight, int nTop, int nListBottom,
               HFONT hFont, HWND hNotify)
{
    if (!box.CreateEx(0, "COMBOBOX", "",
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                          CBS_HASSTRINGS,
                      nLeft, nTop, nRight - nLeft, nListBottom - nTop, bar.m_hWnd,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return false;
    if (hFont)
        box.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    box.SetNotifyWnd(hNotify);
    return true;
}

int ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

} // namespace

BOOL CMailEditFrame::CreateToolBars()
{
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                               WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_FLYBY, AFX_IDW_TOOLBAR))
        return FALSE;
    // The n-th picture, the user's bitmap named in "Resource.dat" or the
    // program's, is the n-th command's; the account box follows the first.
    if (CQuendalApp* app = QuendalApp())
        m_hToolBarImages = app->LoadResourceBitmap(this, IDB_EDITOR_TOOLBAR);
    const int first = m_wndToolBar.UseImages(m_hToolBarImages, m_toolBarPictures, IDB_EDITOR_TOOLBAR,
                                             TOOLBAR_PICTURE_SIZE, TOOLBAR_FACE_COLOR);
    AddButtons(m_wndToolBar, LoadToolBarLayout(IDR_EDITOR_TOOLBAR_DEFAULT), 1, kAccountBoxRoom, first);
    if (!m_hBoxFont) {
        LOGFONTA lf = {};
        lf.lfHeight = 12;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lstrcpynA(lf.lfFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE);
        m_hBoxFont = ::CreateFontIndirectA(&lf);
    }
    RECT room = BoxRoom(m_wndToolBar, kAccountBoxRoom);
    if (!CreateBox(m_accountBox, m_wndToolBar, IDC_ME_ACCOUNT, room.left, room.right - 4, room.top + 1, 400,
                   m_hBoxFont, m_hWnd))
        return FALSE;
    if (CQuendalApp* app = QuendalApp()) {
        m_accountBox.SetColors(
            static_cast<COLORREF>(app->GetProfileInt("Color", "EditorTextColor", static_cast<int>(GetSysColor(COLOR_WINDOWTEXT)))),
            static_cast<COLORREF>(app->GetProfileInt("Color", "EditorBkColor", static_cast<int>(GetSysColor(COLOR_WINDOW)))));
    }
    // At rest the animation shows its first frame.
    if (m_animation.CreateEx(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT, 0, 0, 0, 0,
                             m_wndToolBar.m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_ME_ANIMATION)))) {
        m_animation.OpenBusyAnimation();
        PlayAnimation(false);
    }
    return TRUE;
}

// The format toolbar comes after the status bar, so that it stands above it.
BOOL CMailEditFrame::CreateFormatBar()
{
    if (!m_wndFormatBar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                                 WS_CHILD | CBRS_ALIGN_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY, kFormatBarId))
        return FALSE;
    // The font boxes come first.
    const int first = m_wndFormatBar.UseImages(nullptr, m_formatBarPictures, IDB_EDITOR_FORMAT_TOOLBAR,
                                               TOOLBAR_PICTURE_SIZE, TOOLBAR_FACE_COLOR);
    AddButtons(m_wndFormatBar, LoadToolBarLayout(IDR_EDITOR_FORMAT_TOOLBAR_DEFAULT), 0, kFontBoxRoom, first);
    RECT room = BoxRoom(m_wndFormatBar, kFontBoxRoom);
    if (!CreateBox(m_fontNameBox, m_wndFormatBar, IDC_ME_FONT_NAME, room.left + 2, room.left + 146, room.top + 1, 400,
                   m_hBoxFont, m_hWnd) ||
        !CreateBox(m_fontSizeBox, m_wndFormatBar, IDC_ME_FONT_SIZE, room.left + 148, room.left + 188, room.top + 1,
                   400, m_hBoxFont, m_hWnd))
        return FALSE;
    for (const char* size : kFontSizes)
        m_fontSizeBox.AddString(size);
    if (m_pView)
        m_pView->SetHtmlFormatControls(&m_fontNameBox, &m_fontSizeBox, &m_formatState);
    return TRUE;
}

void CMailEditFrame::ShowFormatBar(bool bShow)
{
    if (m_wndFormatBar.m_hWnd && (m_wndFormatBar.IsVisible() != FALSE) != bShow)
        ShowControlBar(&m_wndFormatBar, bShow ? TRUE : FALSE);
}

void CMailEditFrame::PlaceAnimation()
{
    if (!m_animation.m_hWnd || !m_wndToolBar.m_hWnd)
        return;
    RECT bar = {};
    m_wndToolBar.GetClientRect(&bar);
    RECT client = {};
    GetClientRect(&client);
    OSVERSIONINFOA version = { sizeof(version) };
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool vista = ::GetVersionExA(&version) && version.dwMajorVersion >= 6;
#pragma GCC diagnostic pop
    const int left = client.right - (vista ? 48 : 40);
    ::SetWindowPos(m_animation.m_hWnd, HWND_TOP, left, bar.top + 3, 30, bar.bottom - bar.top - 6, SWP_NOACTIVATE);
}

void CMailEditFrame::PlayAnimation(bool bPlay)
{
    if (!m_animation.m_hWnd)
        return;
    if (bPlay) {
        m_animation.PlayLoop();
        return;
    }
    m_animation.Rest();
}

void CMailEditFrame::OnSize(UINT nType, int cx, int cy)
{
    CFrameWnd::OnSize(nType, cx, cy);
    PlaceAnimation();
}

LRESULT CMailEditFrame::OnContextMenuMessage(WPARAM wParam, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    HWND hFrom = reinterpret_cast<HWND>(wParam);
    if (lParam == -1) {
        // From the keyboard: near the top left of the window that has the focus.
        pt = { 8, 8 };
        ::ClientToScreen(hFrom ? hFrom : m_hWnd, &pt);
    }
    HMENU hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_EDIT_CONTEXT));
    if (!hMenu)
        return 0;
    if (HMENU hPopup = ::GetSubMenu(hMenu, 0))
        ::TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(hMenu);
    return 0;
}

LRESULT CMailEditFrame::OnBoxChanged(WPARAM wParam, LPARAM lParam)
{
    HWND hBox = reinterpret_cast<HWND>(lParam ? lParam : static_cast<LPARAM>(wParam));
    if (!m_pView || !hBox)
        return 0;
    // The account box is read when the mail goes; nothing happens now.
    if (hBox == m_fontNameBox.m_hWnd) {
        int sel = m_fontNameBox.GetCurSel();
        if (sel >= 0)
            m_pView->SetHtmlFont(m_fontNameBox.GetLBText(sel), -1);
    } else if (hBox == m_fontSizeBox.m_hWnd) {
        m_pView->SetHtmlFont(nullptr, m_fontSizeBox.GetCurSel());
    } else if (hBox == m_pView->GetDlgItemHwnd(IDC_ME_SIGN)) {
        m_pView->InsertSignature(m_pView->GetSignatureName(), false);
    }
    return 0;
}

LRESULT CMailEditFrame::OnHtmlDocumentComplete(WPARAM, LPARAM)
{
    // A loaded HTML mail goes straight to the user's HTML editor when the
    // settings say so; that editor's run belongs to the external editor.
    if (m_pView && m_pView->TakeHtmlEditorRequest() && ProfileInt("Setting", "HtmlAlwaysUseEditor", 0) != 0)
        PostMessage(WM_COMMAND, ID_EDIT_HTML_EXTERNAL_EDITOR);
    return 0;
}

LRESULT CMailEditFrame::OnSetToolBarState(WPARAM wParam, LPARAM)
{
    m_nToolBarState = static_cast<UINT>(wParam);
    return 0;
}
