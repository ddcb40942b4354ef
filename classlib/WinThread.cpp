#include "classlib/WinThread.h"

#include "classlib/FrameWnd.h"

#include "classlib/Wnd.h"

#include <process.h>

namespace {

thread_local CWinThread* t_pCurrentThread = nullptr;

LRESULT CALLBACK MessageFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    CWinThread* pThread = t_pCurrentThread;
    if (code >= 0 && pThread && lParam) {
        if (pThread->ProcessMessageFilter(code, reinterpret_cast<MSG*>(lParam)))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

CWinThread* AfxGetThread()
{
    return t_pCurrentThread;
}

CWinThread::CWinThread() = default;

CWinThread::~CWinThread()
{
    if (t_pCurrentThread == this)
        DetachFromCurrentThread();
    if (m_hThread)
        CloseHandle(m_hThread);
}

void CWinThread::AttachToCurrentThread()
{
    t_pCurrentThread = this;
    m_nThreadID = GetCurrentThreadId();
    if (!m_hMsgFilter)
        m_hMsgFilter = SetWindowsHookExA(WH_MSGFILTER, MessageFilterHook, nullptr, m_nThreadID);
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the message queue
}

void CWinThread::DetachFromCurrentThread()
{
    if (m_hMsgFilter) {
        UnhookWindowsHookEx(m_hMsgFilter);
        m_hMsgFilter = nullptr;
    }
    if (t_pCurrentThread == this)
        t_pCurrentThread = nullptr;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pParam)
{
    CWinThread* pThread = static_cast<CWinThread*>(pParam);
    pThread->AttachToCurrentThread();
    // The creator waits on this event and closes it; the member is cleared first.
    if (HANDLE started = InterlockedExchangePointer(&pThread->m_hStarted, nullptr))
        SetEvent(started);
    int code;
    if (pThread->InitInstance()) {
        code = pThread->Run();
    } else {
        code = pThread->ExitInstance();
    }
    if (pThread->m_pMainWnd && ::IsWindow(pThread->m_pMainWnd->m_hWnd))
        pThread->m_pMainWnd->DestroyWindow();
    pThread->DetachFromCurrentThread();
    CWnd::DeleteTempMap();
    if (pThread->m_bAutoDelete)
        delete pThread;
    return static_cast<unsigned>(code);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize)
{
    if (m_hThread)
        return FALSE;
    unsigned id = 0;
    // Started suspended so that the handle and id are stored before the
    // thread can run (and, with auto-delete, end and free the object).
    uintptr_t h = _beginthreadex(nullptr, nStackSize, &CWinThread::ThreadEntry, this, CREATE_SUSPENDED, &id);
    if (!h)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(h);
    m_nThreadID = id;
    if (dwCreateFlags & CREATE_SUSPENDED)
        return TRUE;  // the caller resumes it
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hStarted = started;
    ::ResumeThread(reinterpret_cast<HANDLE>(h));
    if (started) {
        WaitForSingleObject(started, INFINITE);
        CloseHandle(started);
    }
    return TRUE;
}

int CWinThread::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    // Repeated mouse moves at the same point, paints and caret blinks would
    // otherwise restart idle processing for ever.
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        if (m_ptCursorLast.x == pMsg->pt.x && m_ptCursorLast.y == pMsg->pt.y && pMsg->message == m_nMsgLast)
            return FALSE;
        m_ptCursorLast = pMsg->pt;
        m_nMsgLast = pMsg->message;
        return TRUE;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118 /* WM_SYSTIMER */;
}

namespace {

void AdaptTypedCharacter(MSG* pMsg)
{
    // A typed character outside ASCII reaches a window made through the ANSI
    // side whole, as WM_UNICHAR, when the window says it takes that message;
    // other ANSI windows get the lead and trail bytes, as they expect.
    if ((pMsg->message != WM_CHAR && pMsg->message != WM_IME_CHAR) || pMsg->wParam < 0x80 || !pMsg->hwnd ||
        ::IsWindowUnicode(pMsg->hwnd))
        return;
    if (::SendMessageW(pMsg->hwnd, WM_UNICHAR, UNICODE_NOCHAR, 0))
        pMsg->message = WM_UNICHAR;
}

BOOL GetThreadMessage(MSG* pMsg)
{
    // Messages are taken and dispatched on the Unicode side: the ANSI side
    // hands a double-byte character over as two WM_CHAR messages, and the
    // system's ANSI edit and rich-edit controls turn each byte into a
    // character of its own (mojibake in every field typed into).
    if (!::GetMessageW(pMsg, nullptr, 0, 0))
        return FALSE;
    AdaptTypedCharacter(pMsg);
    return TRUE;
}

// Ctrl+A selects the whole text of the edit field that has the focus, as
// the system's own fields do on newer systems, before any window's keys
// (an accelerator of the same key included) see it.
bool SelectAllInFocusedEdit(const MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN || pMsg->wParam != 'A' || !pMsg->hwnd || ::GetKeyState(VK_CONTROL) >= 0 ||
        ::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_SHIFT) < 0)
        return false;
    char cls[16] = {};
    if (!::GetClassNameA(pMsg->hwnd, cls, sizeof(cls)) || lstrcmpiA(cls, "Edit") != 0)
        return false;
    ::SendMessageA(pMsg->hwnd, EM_SETSEL, 0, -1);
    return true;
}

} // namespace

BOOL CWinThread::PumpMessage()
{
    if (!GetThreadMessage(&m_msgCur))
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run()
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    for (;;) {
        while (bIdle && !::PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::OnIdle(LONG lCount)
{
    if (lCount <= 0) {
        // Toolbar buttons follow the commands' state while the user is idle.
        CWnd* pMainWnd = GetMainWnd();
        if (pMainWnd && pMainWnd->m_hWnd && ::IsWindowVisible(pMainWnd->m_hWnd))
            pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    }
    if (lCount <= 0)
        CWnd::DeleteTempMap();
    return lCount < 1;
}

BOOL CWinThread::DispatchThreadMessageEx(MSG* pMsg)
{
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(pMsg->message);
    if (!entry)
        return FALSE;
    LRESULT result = 0;
    entry->pfn(this, pMsg->message, pMsg->wParam, pMsg->lParam, &result);
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg->hwnd && DispatchThreadMessageEx(pMsg))
        return TRUE;
    if (SelectAllInFocusedEdit(pMsg))
        return TRUE;
    CWnd* pMainWnd = GetMainWnd();
    HWND hMain = pMainWnd ? pMainWnd->m_hWnd : nullptr;
    if (CWnd::WalkPreTranslateTree(hMain, pMsg))
        return TRUE;
    // Messages of windows outside the main window's tree (owned pop-ups) still
    // get the main window's accelerators, and the main window sees the
    // thread's own messages that nobody's map took.
    if (hMain && (!pMsg->hwnd || ::GetAncestor(pMsg->hwnd, GA_ROOT) != hMain))
        return pMainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

BOOL CWinThread::ProcessMessageFilter(int, MSG* pMsg)
{
    // A system modal loop would dispatch a window-less message to nowhere.
    return !pMsg->hwnd && DispatchThreadMessageEx(pMsg);
}

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    if (CWinThread* pThread = AfxGetThread())
        return pThread->PreTranslateMessage(pMsg);
    return CWnd::WalkPreTranslateTree(nullptr, pMsg);
}

BOOL AfxPumpMessage()
{
    MSG msg;
    if (!GetThreadMessage(&msg)) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return FALSE;
    }
    if (!AfxPreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}
