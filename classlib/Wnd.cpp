#include "classlib/Wnd.h"

#include "classlib/AppCore.h"
#include "classlib/CommandState.h"
#include "classlib/CriticalSection.h"
#include "classlib/DataExchange.h"
#include "classlib/Exception.h"
#include "classlib/SingleLock.h"
#include "classlib/WinThread.h"

#include <map>
#include <memory>
#include <unordered_map>

namespace {

// Windows belong to the thread that made them, but objects are looked up
// from any thread (FromHandlePermanent), so the map has one lock.
struct HandleMap
{
    CCriticalSection lock;
    std::unordered_map<HWND, CWnd*> map;
};

HandleMap& Permanent()
{
    static HandleMap* m = new HandleMap;  // outlives every static window object
    return *m;
}

// The subclassed procedure as the Unicode side sees it: controls with
// separate ANSI and Unicode entries take a whole character only through the
// latter.
const char kSuperWProp[] = "CvmSuperProcW";

thread_local std::map<HWND, std::unique_ptr<CWnd>>* t_tempMap = nullptr;
thread_local CWnd* t_pWndInit = nullptr;
// The object whose window CreateEx is making, and whether that window was
// destroyed (and the object perhaps deleted) before CreateWindowEx returned.
thread_local CWnd* t_pWndCreating = nullptr;
thread_local bool t_bCreatingDestroyed = false;
thread_local HHOOK t_hHookCbt = nullptr;
// The message being handled on this thread, for Default().
thread_local MSG t_lastMsg = {};

void MapAdd(HWND hWnd, CWnd* pWnd)
{
    CSingleLock hold(&Permanent().lock, TRUE);
    Permanent().map[hWnd] = pWnd;
}

void MapRemove(HWND hWnd)
{
    CSingleLock hold(&Permanent().lock, TRUE);
    Permanent().map.erase(hWnd);
}

} // namespace

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pWndInit) {
        CWnd* pWnd = t_pWndInit;
        t_pWndInit = nullptr;
        pWnd->AttachSubclassed(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(t_hHookCbt, code, wParam, lParam);
}

namespace {

// Windows made through the layer are subclassed as they are created, so that
// the object also sees WM_NCCREATE, WM_CREATE and WM_INITDIALOG.
class CreationHook
{
public:
    explicit CreationHook(CWnd* pWnd)
    {
        t_pWndInit = pWnd;
        if (!t_hHookCbt) {
            t_hHookCbt = SetWindowsHookExA(WH_CBT, AfxCbtFilterHook, nullptr, GetCurrentThreadId());
            m_installed = true;
        }
    }
    CreationHook(const CreationHook&) = delete;
    CreationHook& operator=(const CreationHook&) = delete;
    ~CreationHook()
    {
        t_pWndInit = nullptr;
        if (m_installed && t_hHookCbt) {
            UnhookWindowsHookEx(t_hHookCbt);
            t_hHookCbt = nullptr;
        }
    }

private:
    bool m_installed = false;
};

} // namespace

CWnd::~CWnd()
{
    if (m_hWnd && m_bSubclassed && ::IsWindow(m_hWnd)) {
        // By now the derived parts are gone; the window dies as a plain CWnd.
        ::DestroyWindow(m_hWnd);
    }
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    CSingleLock hold(&Permanent().lock, TRUE);
    auto it = Permanent().map.find(hWnd);
    return it == Permanent().map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    if (!t_tempMap)
        t_tempMap = new std::map<HWND, std::unique_ptr<CWnd>>;
    auto& slot = (*t_tempMap)[hWnd];
    if (!slot) {
        slot.reset(new CWnd);
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void CWnd::DeleteTempMap()
{
    if (!t_tempMap)
        return;
    for (auto& item : *t_tempMap)
        item.second->m_hWnd = nullptr;
    delete t_tempMap;
    t_tempMap = nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    m_hWnd = hWnd;
    MapAdd(hWnd, this);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd) {
        if (FromHandlePermanent(hWnd) == this)
            MapRemove(hWnd);
        if (m_bSubclassed && ::IsWindow(hWnd) && m_pfnSuper)
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        if (m_bSubclassed)
            ::RemovePropA(hWnd, kSuperWProp);
    }
    m_hWnd = nullptr;
    m_bSubclassed = false;
    m_pfnSuper = nullptr;
    return hWnd;
}

void CWnd::AttachSubclassed(HWND hWnd)
{
    m_hWnd = hWnd;
    MapAdd(hWnd, this);
    WNDPROC superW = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    m_pfnSuper = old != &AfxWndProc ? old : &::DefWindowProcA;
    ::SetPropA(hWnd, kSuperWProp, reinterpret_cast<HANDLE>(old != &AfxWndProc ? superW : &::DefWindowProcW));
    m_bSubclassed = true;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    AttachSubclassed(hWnd);
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return pParent && SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow()
{
    return Detach();
}

void CWnd::OnNcDestroyed()
{
    if (this == t_pWndCreating)
        t_bCreatingDestroyed = true;
    HWND hWnd = m_hWnd;
    MapRemove(hWnd);
    if (m_pfnSuper)
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropA(hWnd, kSuperWProp);
    m_hWnd = nullptr;
    m_bSubclassed = false;
    m_pfnSuper = nullptr;
    // The end of a thread's main window ends the thread's message loop.
    CWinThread* pThread = AfxGetThread();
    if (pThread && pThread->m_pMainWnd == this) {
        pThread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    PostNcDestroy();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName, DWORD dwStyle, int x,
                    int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, void* lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = pszClassName;
    cs.lpszName = pszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs))
        return FALSE;
    HWND hWnd;
    CWnd* pOuterCreating = t_pWndCreating;
    bool bOuterDestroyed = t_bCreatingDestroyed;
    t_pWndCreating = this;
    t_bCreatingDestroyed = false;
    {
        CreationHook hook(this);
        hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                 cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    bool destroyed = t_bCreatingDestroyed;
    t_pWndCreating = pOuterCreating;
    t_bCreatingDestroyed = bOuterDestroyed;
    // A window that failed in WM_CREATE is gone, and an object that deletes
    // itself with its window (a frame, a view) is gone with it.
    if (destroyed)
        return FALSE;
    if (!hWnd && m_hWnd)
        OnNcDestroyed();
    return hWnd != nullptr;
}

BOOL CWnd::Create(const char* pszClassName, const char* pszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, pszClassName, pszWindowName, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    if (!m_bSubclassed) {
        HWND hWnd = Detach();
        return ::DestroyWindow(hWnd);
    }
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (ReflectChildNotify(message, wParam, lParam, pResult))
        return TRUE;
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result)) {
            *pResult = result;
            return TRUE;
        }
        return FALSE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
    if (!entry)
        return FALSE;
    LRESULT result = 0;
    entry->pfn(this, message, wParam, lParam, &result);
    *pResult = result;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // Notifications the control's own map takes (ON_NOTIFY_REFLECT, ON_CONTROL_REFLECT).
    const AFX_MSGMAP_ENTRY* entry = nullptr;
    if (message == WM_NOTIFY)
        entry = FindCodeEntry(WM_REFLECT_BASE + WM_NOTIFY, reinterpret_cast<NMHDR*>(lParam)->code);
    else if (message == WM_COMMAND)
        entry = FindCodeEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam));
    if (!entry)
        return FALSE;
    LRESULT result = 0;
    entry->pfn(this, message, wParam, lParam, &result);
    *pResult = result;
    return TRUE;
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    HWND hChild = nullptr;
    switch (message) {
    case WM_COMMAND:
        hChild = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        if (lParam)
            hChild = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis && dis->CtlType != ODT_MENU)
            hChild = dis->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (mis && mis->CtlType != ODT_MENU)
            hChild = ::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID));
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
        hChild = reinterpret_cast<HWND>(lParam);
        break;
    default:
        return FALSE;
    }
    if (!hChild || hChild == m_hWnd)
        return FALSE;
    CWnd* pChild = FromHandlePermanent(hChild);
    if (!pChild)
        return FALSE;
    LRESULT result = 0;
    if (!pChild->OnChildNotify(message, wParam, lParam, &result))
        return FALSE;
    *pResult = result;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A typed character outside ASCII arrives as WM_UNICHAR from the
    // message loop; it carries no text to convert, but edit controls
    // act on it only through their Unicode entry.
    if (message == WM_UNICHAR && m_pfnSuper) {
        if (auto superW = reinterpret_cast<WNDPROC>(::GetPropA(m_hWnd, kSuperWProp)))
            return ::CallWindowProcW(superW, m_hWnd, message, wParam, lParam);
    }
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(t_lastMsg.message, t_lastMsg.wParam, t_lastMsg.lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    // Menus send code 0 and accelerators code 1; both are plain commands.
    if (lParam == 0) {
        // A key runs only what its menu item or button would: a command
        // greyed in the window's present state is dropped, as the system
        // drops the key of a greyed menu item.
        if (IsCommandGreyed(this, nID))
            return TRUE;
        nCode = CN_COMMAND;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr)
        return FALSE;
    return OnCmdMsg(static_cast<UINT>(hdr->idFrom), static_cast<int>(hdr->code), hdr, pResult);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchange::Failure&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::GetWindowText(CString& rString) const
{
    int len = ::GetWindowTextLengthA(m_hWnd);
    char* p = rString.GetBuffer(len + 1);
    ::GetWindowTextA(m_hWnd, p, len + 1);
    rString.ReleaseBuffer();
}

CString CWnd::GetDlgItemText(int nID) const
{
    CString s;
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    if (hItem) {
        int len = ::GetWindowTextLengthA(hItem);
        char* p = s.GetBuffer(len + 1);
        ::GetWindowTextA(hItem, p, len + 1);
        s.ReleaseBuffer();
    }
    return s;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd)
{
    DWORD style = GetStyle();
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
    return TRUE;
}

void CWnd::CenterWindow(HWND hWndAlternateOwner)
{
    HWND hCenter = hWndAlternateOwner ? hWndAlternateOwner : ::GetWindow(m_hWnd, GW_OWNER);
    RECT rcArea;
    if (hCenter && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter)) {
        ::GetWindowRect(hCenter, &rcArea);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    }
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = (rcArea.left + rcArea.right - w) / 2;
    int y = (rcArea.top + rcArea.bottom - h) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    MSG saved = t_lastMsg;
    t_lastMsg.hwnd = hWnd;
    t_lastMsg.message = message;
    t_lastMsg.wParam = wParam;
    t_lastMsg.lParam = lParam;
    LRESULT result = 0;
    // Exceptions must not unwind through the system's frames that called us.
    try {
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (const CException& e) {
        e.ReportError();
    } catch (const std::exception& e) {
        AfxMessageBox(e.what(), MB_ICONSTOP);
    }
    t_lastMsg = saved;
    if (message == WM_NCDESTROY && pWnd->m_hWnd == hWnd)
        pWnd->OnNcDestroyed();
    return result;
}

CWnd* AfxGetMainWnd()
{
    CWinThread* pThread = AfxGetThread();
    return pThread ? pThread->m_pMainWnd : nullptr;
}

const char* AfxRegisterWndClass(const char* pszClassName, UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground,
                                HICON hIcon)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(AfxGetInstanceHandle(), pszClassName, &wc))
        return pszClassName;
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = nClassStyle;
    // The layer subclasses every window it creates; the class keeps the plain default.
    wc.lpfnWndProc = &::DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = pszClassName;
    RegisterClassExA(&wc);
    return pszClassName;
}
