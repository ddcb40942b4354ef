#include "plugin/AppThreadCall.h"

#include "core/PostedObjectTable.h"

#include <memory>
#include <mutex>

namespace {

const UINT kRunMessage = WM_APP + 0x341;
const char kClassName[] = "CVMAppThreadCall";

struct Task
{
    std::function<void()> work;
    std::mutex lock;
    bool abandoned = false;
    bool ran = false;
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Task()
    {
        if (hDone)
            ::CloseHandle(hDone);
    }
};

HWND g_hWnd = nullptr;
DWORD g_dwThread = 0;

LRESULT CALLBACK CallWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kRunMessage)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    // The caller holds one reference while it waits; this one keeps the
    // task alive when the caller gave up in the meantime. A token that is
    // not a waiting call's (the window can be found and sent to from any
    // program) finds nothing.
    std::shared_ptr<Task> task = CPostedObjectTable::Instance().Take<Task>(kRunMessage, lParam);
    if (!task)
        return 0;
    {
        std::lock_guard<std::mutex> hold(task->lock);
        if (task->abandoned)
            return 0;
        task->ran = true;
    }
    task->work();
    ::SetEvent(task->hDone);
    return 1;
}

} // namespace

void CAppThreadCall::Create()
{
    if (g_hWnd)
        return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CallWndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);
    g_hWnd = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    g_dwThread = g_hWnd ? ::GetCurrentThreadId() : 0;
}

void CAppThreadCall::Destroy()
{
    if (g_hWnd)
        ::DestroyWindow(g_hWnd);
    g_hWnd = nullptr;
    g_dwThread = 0;
}

bool CAppThreadCall::Run(const std::function<void()>& work, DWORD dwTimeoutMs)
{
    if (!g_hWnd || ::GetCurrentThreadId() == g_dwThread) {
        work();
        return true;
    }
    auto task = std::make_shared<Task>();
    task->work = work;
    // A message that timed out may still reach the window later: it finds
    // the token gone, or the task abandoned.
    CPostedObjectTable::Instance().SendWithTimeout(g_hWnd, kRunMessage, 0, task, SMTO_NORMAL, dwTimeoutMs, nullptr);
    bool ran;
    {
        std::lock_guard<std::mutex> hold(task->lock);
        ran = task->ran;
        if (!ran)
            task->abandoned = true;
    }
    // Work that started runs to its end before the caller goes on, so it may
    // use the caller's variables.
    if (ran)
        ::WaitForSingleObject(task->hDone, INFINITE);
    return ran;
}
