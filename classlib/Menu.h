// CMenu: one menu handle, owned (destroyed with the object) unless detached.
#pragma once

#include "classlib/String.h"

#include <windows.h>

class CMenu
{
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu() { DestroyMenu(); }

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }

    BOOL LoadMenu(UINT nIDResource);
    BOOL CreatePopupMenu();
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    BOOL DestroyMenu();

    HMENU GetSubMenu(int nPos) const { return ::GetSubMenu(m_hMenu, nPos); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    CString GetMenuString(UINT nIDItem, UINT nFlags) const;
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
    DWORD CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* pszNewItem)
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, pszNewItem);
    }
    BOOL RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
    // Shows a popup (this menu) at a screen point; with TPM_RETURNCMD the chosen command.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, HWND hWnd) const
    {
        return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hWnd, nullptr);
    }
};
