#include "e2e/StandInTray.h"

#include <algorithm>

namespace E2e {

namespace {

const char kTrayClass[] = "Shell_TrayWnd";

// The colour pixels of an icon as the shell's request carries them.
std::vector<BYTE> ColourBits(HICON hIcon)
{
    std::vector<BYTE> bits;
    ICONINFO info = {};
    if (!hIcon || !::GetIconInfo(hIcon, &info))
        return bits;
    BITMAP bm = {};
    if (info.hbmColor && ::GetObjectA(info.hbmColor, sizeof(bm), &bm)) {
        bits.resize(static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight);
        bits.resize(static_cast<size_t>(::GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), bits.data())));
    }
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    return bits;
}

} // namespace

CStandInTray::CStandInTray()
{
    m_hReady = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this] { Run(); });
    ::WaitForSingleObject(m_hReady, 10000);
}

CStandInTray::~CStandInTray()
{
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    if (m_thread.joinable())
        m_thread.join();
    ::CloseHandle(m_hReady);
}

void CStandInTray::Run()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kTrayClass;
    ::RegisterClassA(&wc);
    // Topmost, so that the program's look-up of the tray window finds this
    // one before the desktop's own.
    HWND hWnd = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTrayClass, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, wc.hInstance, this);
    m_hWnd = hWnd;
    ::SetEvent(m_hReady);
    if (!hWnd)
        return;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    ::UnregisterClassA(kTrayClass, wc.hInstance);
}

LRESULT CALLBACK CStandInTray::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<CStandInTray*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
        auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (copy && copy->lpData && copy->cbData >= sizeof(LONG)) {
            Request request;
            request.owner = *static_cast<const LONG*>(copy->lpData);
            const BYTE* data = static_cast<const BYTE*>(copy->lpData);
            request.data.assign(data, data + copy->cbData);
            std::lock_guard<std::mutex> hold(self->m_lock);
            self->m_requests.push_back(std::move(request));
        }
        return TRUE;
    }
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

void CStandInTray::TakeOver(HWND hMain) const
{
    ::PostMessageA(hMain, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
}

bool CStandInTray::Carries(const Request& request, HICON hIcon)
{
    std::vector<BYTE> bits = ColourBits(hIcon);
    return !bits.empty() &&
           std::search(request.data.begin(), request.data.end(), bits.begin(), bits.end()) != request.data.end();
}

std::vector<CStandInTray::Request> CStandInTray::RequestsOf(HWND hOwner) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<Request> out;
    for (const Request& r : m_requests)
        if (r.owner == static_cast<LONG>(reinterpret_cast<LONG_PTR>(hOwner)))
            out.push_back(r);
    return out;
}

bool CStandInTray::Shows(HWND hOwner, HICON hIcon) const
{
    std::vector<Request> requests = RequestsOf(hOwner);
    return !requests.empty() && Carries(requests.back(), hIcon);
}

bool CStandInTray::HasShown(HWND hOwner, HICON hIcon) const
{
    for (const Request& r : RequestsOf(hOwner))
        if (Carries(r, hIcon))
            return true;
    return false;
}

void CStandInTray::Clear()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_requests.clear();
}

} // namespace E2e
