// QdMapi.dll: the Simple MAPI provider. Loading it makes the hidden
// communication window; the twelve exports answer as Simple MAPI callers
// expect, and MAPISendMail hands the mail to the client.
#include "mapibridge/MapiBridge.h"

#include <winsock2.h>
#include <shellapi.h>

#include <string>

namespace {

HINSTANCE g_hInstance = nullptr;
HWND g_hCommunicationWnd = nullptr;
std::string g_lastReceived;  // the last text the client sent by WM_COPYDATA
bool g_bSockets = false;

const char kWindowClass[] = "QdMapiCommunicationWnd";

LRESULT CALLBACK CommunicationWndProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        g_lastReceived.clear();
        // Only the bytes the block really holds, up to a zero.
        if (cds && cds->lpData)
            g_lastReceived.assign(static_cast<const char*>(cds->lpData),
                                  strnlen(static_cast<const char*>(cds->lpData), cds->cbData));
    }
    return DefWindowProcA(h, message, wParam, lParam);
}

bool StartUp(HINSTANCE hInstance)
{
    g_hInstance = hInstance;
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        MessageBoxA(nullptr, "Windows ｿｹｯﾄの初期化に失敗しました。", "QdMapi", MB_OK | MB_ICONSTOP);
        return false;
    }
    g_bSockets = true;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CommunicationWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    g_hCommunicationWnd = CreateWindowExA(0, kWindowClass, "QuendalCommunicationWnd", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                          nullptr, nullptr, hInstance, nullptr);
    return true;
}

void ShutDown()
{
    if (g_hCommunicationWnd)
        DestroyWindow(g_hCommunicationWnd);
    g_hCommunicationWnd = nullptr;
    UnregisterClassA(kWindowClass, g_hInstance);
    if (g_bSockets)
        WSACleanup();
    g_bSockets = false;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        return StartUp(hInstance) ? TRUE : FALSE;
    if (dwReason == DLL_PROCESS_DETACH)
        ShutDown();
    return TRUE;
}

extern "C" {

ULONG WINAPI MAPIAddress(LHANDLE, ULONG_PTR, LPSTR, ULONG, LPSTR, ULONG, lpMapiRecipDesc, FLAGS, ULONG, LPULONG,
                         lpMapiRecipDesc*)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPIDeleteMail(LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPIDetails(LHANDLE, ULONG_PTR, lpMapiRecipDesc, FLAGS, ULONG)
{
    return SUCCESS_SUCCESS;
}

// The connection handshake: the client is started and greeted.
ULONG WINAPI MAPIFindNext(LHANDLE, ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPSTR)
{
    ShellExecuteA(GetDesktopWindow(), nullptr, CMapiBridge::ClientProgramPath().c_str(), "", nullptr, SW_SHOWNORMAL);
    HWND hClient = FindWindowA("CVMWndClass", "Corvane Mail");
    for (int i = 0; !hClient && i < 181; ++i) {
        Sleep(1000);
        hClient = FindWindowA("CVMWndClass", "Corvane Mail");
    }
    if (hClient) {
        static const char kGreeting[] = "Corvane Mail MAPI Connection!";
        COPYDATASTRUCT cds = { 0, sizeof(kGreeting), const_cast<char*>(kGreeting) };
        SendMessageA(hClient, WM_COPYDATA, reinterpret_cast<WPARAM>(g_hCommunicationWnd),
                     reinterpret_cast<LPARAM>(&cds));
        MSG msg;
        PeekMessageA(&msg, g_hCommunicationWnd, WM_COPYDATA, WM_COPYDATA, PM_NOREMOVE);
    }
    return MAPI_E_NO_MESSAGES;
}

ULONG WINAPI MAPIFreeBuffer(LPVOID)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPILogoff(LHANDLE, ULONG_PTR, FLAGS, ULONG)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE lplhSession)
{
    if (lplhSession)
        *lplhSession = reinterpret_cast<LHANDLE>(g_hInstance);
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPIReadMail(LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG, lpMapiMessage*)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPIResolveName(LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG, lpMapiRecipDesc*)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPISaveMail(LHANDLE, ULONG_PTR, lpMapiMessage, FLAGS, ULONG, LPSTR)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPISendDocuments(ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG)
{
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPISendMail(LHANDLE, ULONG_PTR, lpMapiMessage lpMessage, FLAGS, ULONG)
{
    try {
        return CMapiBridge::SendMail(lpMessage);
    } catch (...) {
        return MAPI_E_FAILURE;
    }
}

} // extern "C"
