// The editor frame's toolbars: the main toolbar with the sending account's
// box and the busy animation, the format toolbar of HTML mail with the font
// boxes; the body's context menu; and the frame messages of the boxes
// (1364), of the HTML editing view (1125) and of the key assignment (1422).
#include "editor/MailEditFrame.h"

#include "core/ColoredComboBox.h"
#include "core/QuendalApp.h"
#include "editor/MailEditView.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"

#include <commctrl.h>

#include <vector>

namespace {

const UINT kFormatBarId = 0xE803;
// Room on the main toolbar for the account box, and on the format toolbar
// for the two font boxes.
const int kAccountBoxRoom = 152;
const int kFontBoxRoom = 192;
const char* const kFontSizes[] = { "8", "10", "12", "14", "18", "24", "36" };

struct ToolButton
{
    UINT nID;      // ID_SEPARATOR: a gap; kBoxRoom: the place of the boxes
    int nImage;    // a standard image, or -1 for a text label
    const char* pszLabel;
};
const UINT kBoxRoom = static_cast<UINT>(-1);

const ToolButton kMainButtons[] = {
    { ID_EDIT_SEND, STD_REDOW, nullptr },
    { kBoxRoom, 0, nullptr },
    { ID_EDIT_TO_OUTBOX, STD_FILEOPEN, nullptr },
    { ID_EDIT_SAVE, STD_FILESAVE, nullptr },
    { ID_SEPARATOR, 0, nullptr },
    { ID_EDIT_AUTO_SIGNATURE, STD_PROPERTIES, nullptr },
    { ID_EDIT_REPLACE, STD_REPLACE, nullptr },
    { ID_EDIT_FIND_CMD, STD_FIND, nullptr },
    { ID_SEPARATOR, 0, nullptr },
    { ID_EDIT_SHOW_BCC, STD_COPY, nullptr },
    { ID_EDIT_TEMPLATE, STD_PASTE, nullptr },
    { ID_EDIT_ADDRESS_BOOK, STD_PRINTPRE, nullptr },
    { ID_SEPARATOR, 0, nullptr },
    { ID_EDIT_EXTERNAL_EDITOR, STD_CUT, nullptr },
    { ID_EDIT_OPEN_SOURCE, STD_UNDO, nullptr },
    { ID_EDIT_CHAR_COUNT, STD_PRINT, nullptr },
    { ID_SEPARATOR, 0, nullptr },
    { ID_EDIT_READ_RECEIPT, STD_FILENEW, nullptr },
    { ID_EDIT_BODY_ARCHIVE, STD_DELETE, nullptr },
    { ID_SEPARATOR, 0, nullptr },
    { ID_EDIT_HELP, STD_HELP, nullptr },
};

const ToolButton kFormatButtons[] = {
    { kBoxRoom, 0, nullptr },
    { ID_HTML_TAG_MENU, -1, "段落" },
    { ID_SEPARATOR, 0, nullptr },
    { ID_HTML_BOLD, -1, "B" },
    { ID_HTML_ITALIC, -1, "I" },
    { ID_HTML_UNDERLINE, -1, "U" },
    { ID_HTML_TEXT_COLOR, -1, "色" },
    { ID_SEPARATOR, 0, nullptr },
    { ID_HTML_LEFT, -1, "左" },
    { ID_HTML_CENTER, -1, "中" },
    { ID_HTML_RIGHT, -1, "右" },
    { ID_HTML_INDENT, -1, "→" },
    { ID_HTML_OUTDENT, -1, "←" },
    { ID_HTML_NUMBERING, -1, "1." },
    { ID_HTML_BULLETS, -1, "・" },
    { ID_SEPARATOR, 0, nullptr },
    { ID_HTML_TABLE, -1, "表" },
    { ID_HTML_HORIZONTAL_LINE, -1, "線" },
    { ID_HTML_IMAGE, -1, "画像" },
    { ID_HTML_BACKGROUND, -1, "背景" },
    { ID_HTML_ANCHOR, -1, "リンク" },
};

// The buttons of a toolbar from its table; the box room is one separator
// as wide as the boxes it holds. With the user's own images (nOwnImage not
// -1, the first of them) the n-th button with an image takes the n-th.
void AddButtons(CToolBar& bar, const ToolButton* pButtons, size_t nCount, int nRoomWidth, int nOwnImage)
{
    std::vector<TBBUTTON> buttons;
    int own = 0;
    for (size_t i = 0; i < nCount; ++i) {
        const ToolButton& b = pButtons[i];
        TBBUTTON tb = {};
        if (b.nID == ID_SEPARATOR || b.nID == kBoxRoom) {
            tb.fsStyle = BTNS_SEP;
            tb.iBitmap = b.nID == kBoxRoom ? nRoomWidth : 6;
        } else {
            tb.idCommand = static_cast<int>(b.nID);
            tb.iBitmap = b.nImage < 0 ? I_IMAGENONE : nOwnImage >= 0 ? nOwnImage + own++ : b.nImage;
            tb.fsState = TBSTATE_ENABLED;
            tb.fsStyle = BTNS_BUTTON | (b.pszLabel ? BTNS_AUTOSIZE : 0);
            tb.iString = b.pszLabel ? reinterpret_cast<INT_PTR>(b.pszLabel) : -1;
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
    // The user's bitmap named in "Resource.dat", else the standard images.
    if (CQuendalApp* app = QuendalApp())
        m_hToolBarImages = app->LoadResourceBitmap(this, IDR_MAILEDIT);
    const int own = m_wndToolBar.AddImageRow(m_hToolBarImages);
    if (own < 0)
        m_wndToolBar.SendMessage(TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    AddButtons(m_wndToolBar, kMainButtons, sizeof(kMainButtons) / sizeof(kMainButtons[0]), kAccountBoxRoom, own);
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
    if (!m_wndFormatBar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_LIST,
                                 WS_CHILD | CBRS_ALIGN_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY, kFormatBarId))
        return FALSE;
    m_wndFormatBar.SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    AddButtons(m_wndFormatBar, kFormatButtons, sizeof(kFormatButtons) / sizeof(kFormatButtons[0]), kFontBoxRoom, -1);
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
