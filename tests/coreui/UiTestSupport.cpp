#include "UiTestSupport.h"

#include <thread>

namespace UiTest {

CHostWnd::CHostWnd()
{
    const char* cls = AfxRegisterWndClass("CVMUiTestHost", CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateEx(0, cls, "UiTest", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 600, 400, nullptr, nullptr);
}

CHostWnd::~CHostWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CHostWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message >= WM_USER || message == WM_LBUTTONDBLCLK)
        m_received.push_back({ message, wParam, lParam });
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CHostWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    m_received.push_back({ WM_COMMAND, wParam, lParam });
    return CWnd::OnCommand(wParam, lParam);
}

std::vector<Received> CHostWnd::Take(UINT message)
{
    std::vector<Received> taken, rest;
    for (const Received& r : m_received)
        (r.message == message ? taken : rest).push_back(r);
    m_received.swap(rest);
    return taken;
}

HWND CHostWnd::CreateChild(const char* className, DWORD style, int x, int y, int cx, int cy, int id,
                           const char* text)
{
    HWND h = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return h;
}

void Pump(DWORD ms)
{
    DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

COLORREF Pixel(HWND hWnd, int x, int y)
{
    HDC hdc = GetDC(hWnd);
    COLORREF cr = GetPixel(hdc, x, y);
    ReleaseDC(hWnd, hdc);
    return cr;
}

void SaveScreenshot(HWND hWnd, const char* name)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    int cx = rc.right, cy = rc.bottom;
    if (cx <= 0 || cy <= 0)
        return;
    HDC src = GetDC(hWnd);
    HDC mem = CreateCompatibleDC(src);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, cx, cy, src, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DWORD stride = ((cx * 3 + 3) & ~3u);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + stride * cy;
    std::string data(reinterpret_cast<char*>(&fh), sizeof(fh));
    data.append(reinterpret_cast<char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
    data.append(static_cast<char*>(bits), stride * cy);
    TestSupport::WriteFileBytes(CString(name) + ".bmp", data);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(hWnd, src);
}

namespace {

struct FindContext
{
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam)
{
    auto* ctx = reinterpret_cast<FindContext*>(lParam);
    char cls[64] = "", text[256] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    GetWindowTextA(hWnd, text, sizeof(text));
    if (strcmp(cls, "#32770") == 0 && IsWindowVisible(hWnd) && strcmp(text, ctx->caption) == 0) {
        ctx->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND WaitForDialog(DWORD threadId, const char* caption, DWORD timeoutMs)
{
    DWORD end = GetTickCount() + timeoutMs;
    do {
        FindContext ctx = { caption, nullptr };
        EnumThreadWindows(threadId, FindDialogProc, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found)
            return ctx.found;
        Sleep(20);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
    return nullptr;
}

void Click(HWND hDlg, int id)
{
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
}

INT_PTR RunModal(CDialog& dlg, const char* caption, const std::function<void(HWND)>& drive)
{
    DWORD self = GetCurrentThreadId();
    std::thread driver([&] {
        HWND hDlg = WaitForDialog(self, caption, 10000);
        drive(hDlg);
        // Whatever the driver did, the dialog must not outlive it.
        if (hDlg && IsWindow(hDlg))
            PostMessageA(hDlg, WM_CLOSE, 0, 0);
    });
    INT_PTR result = dlg.DoModal();
    driver.join();
    return result;
}

} // namespace UiTest
