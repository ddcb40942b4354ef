// CWnd: one window handle and the object that takes its messages.
//
// Windows created through CWnd (and controls subclassed through it) get the
// layer's window procedure, which finds the object by handle and runs its
// message map; what the map does not handle goes to the window's original
// procedure. The object stays attached until WM_NCDESTROY; a window created
// by the object is destroyed with it.
#pragma once

#include "classlib/CmdTarget.h"
#include "classlib/String.h"

#include <windows.h>

class CDataExchange;

class CWnd : public CCmdTarget
{
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to a handle; FromHandle makes a temporary wrapper
    // (freed at the thread's next idle time) for a window without one.
    static CWnd* FromHandlePermanent(HWND hWnd);
    static CWnd* FromHandle(HWND hWnd);
    static void DeleteTempMap();

    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    virtual BOOL CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          void* lpParam = nullptr);
    BOOL Create(const char* pszClassName, const char* pszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID);
    virtual BOOL DestroyWindow();
    // Lets a class adjust the class name and styles before the window is made.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

    // Message routing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The original handling of the message being processed.
    LRESULT Default();
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // A control's own share of the notifications it sends its parent
    // (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR...,
    // scrolling): the parent offers each one to the control first; TRUE means
    // handled, with *pResult the parent's answer.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Offers the message to the windows from its target up to hWndStop.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

    // Dialog data exchange between controls and members.
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Thin wrappers, one call each.
    void SetWindowText(const char* pszString) { ::SetWindowTextA(m_hWnd, pszString); }
    void GetWindowText(CString& rString) const;
    CString GetWindowText() const { CString s; GetWindowText(s); return s; }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }
    void GetClientRect(RECT* lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(RECT* lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void ScreenToClient(RECT* lpRect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(lpRect), 2); }
    void CenterWindow(HWND hWndAlternateOwner = nullptr);
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd);
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    HWND GetDlgItemHwnd(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetDlgItemText(int nID, const char* pszString) { ::SetDlgItemTextA(m_hWnd, nID, pszString); }
    CString GetDlgItemText(int nID) const;
    void CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
    UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }

protected:
    // Called after WM_NCDESTROY, when the handle is gone; frames delete themselves here.
    virtual void PostNcDestroy() {}
    // Called once an existing window (a dialog's control) has been subclassed.
    virtual void PreSubclassWindow() {}
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Default handlers that message maps of derived classes may name.
    int OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnPaint() { Default(); }
    BOOL OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    HBRUSH OnCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(Default()); }

    WNDPROC m_pfnSuper = nullptr;
    bool m_bSubclassed = false;

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    void AttachSubclassed(HWND hWnd);
    void OnNcDestroyed();
};

// The window procedure of every window the layer subclasses.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The main window of the current thread (or of the application).
CWnd* AfxGetMainWnd();
// Registers a window class for the layer once (same name, same procedure)
// and returns its name; an already registered class is reused.
const char* AfxRegisterWndClass(const char* pszClassName, UINT nClassStyle, HCURSOR hCursor = nullptr,
                                HBRUSH hbrBackground = nullptr, HICON hIcon = nullptr);
