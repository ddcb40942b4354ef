#include "editor/ContextMenuRichEdit.h"

#include "resources/editor/EditorControlsResource.h"

#include <richedit.h>

namespace {

const UINT kUndo = 57643, kCut = 57635, kCopy = 57634, kPaste = 57637;

} // namespace

CContextMenuRichEdit::~CContextMenuRichEdit()
{
    if (m_hMenu)
        ::DestroyMenu(m_hMenu);
}

BOOL CContextMenuRichEdit::Attach(CWnd* pParent, UINT nID)
{
    if (!SubclassDlgItem(nID, pParent))
        return FALSE;
    // Filling the field as it was made is nothing the user can undo.
    ::SendMessageA(m_hWnd, EM_EMPTYUNDOBUFFER, 0, 0);
    if (!m_hMenu)
        m_hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_EDITOR_DEFAULT_MENU));
    return TRUE;
}

HMENU CContextMenuRichEdit::PrepareMenu()
{
    HMENU popup = m_hMenu ? ::GetSubMenu(m_hMenu, 0) : nullptr;
    if (popup) {
        bool canUndo = ::SendMessageA(m_hWnd, EM_CANUNDO, 0, 0) != 0;
        ::EnableMenuItem(popup, kUndo, MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
    }
    return popup;
}

UINT CContextMenuRichEdit::ShowMenu(POINT ptScreen)
{
    HMENU popup = PrepareMenu();
    if (!popup)
        return 0;
    bool canUndo = ::SendMessageA(m_hWnd, EM_CANUNDO, 0, 0) != 0;
    UINT id = static_cast<UINT>(::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                 ptScreen.x, ptScreen.y, 0, m_hWnd, nullptr));
    switch (id) {
    case kCopy: ::SendMessageA(m_hWnd, WM_COPY, 0, 0); break;
    case kCut: ::SendMessageA(m_hWnd, WM_CUT, 0, 0); break;
    case kPaste: ::SendMessageA(m_hWnd, WM_PASTE, 0, 0); break;
    case kUndo:
        if (canUndo)
            ::SendMessageA(m_hWnd, EM_UNDO, 0, 0);
        break;
    default: break;
    }
    return id;
}

LRESULT CContextMenuRichEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CONTEXTMENU) {
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam == -1) {  // the keyboard's menu key
            pt = {8, 8};
            ::ClientToScreen(m_hWnd, &pt);
        }
        ShowMenu(pt);
        return 0;
    }
    if (message == WM_RBUTTONUP) {
        LRESULT r = CWnd::WindowProc(message, wParam, lParam);
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(m_hWnd, &pt);
        ShowMenu(pt);
        return r;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
