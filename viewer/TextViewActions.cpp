#include "viewer/TextViewActions.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "message/AddressList.h"
#include "plugin/SharedMemory.h"

#include <shellapi.h>

#include <string>
#include <thread>
#include <vector>

namespace {

void ShellOpenOnWorker(const char* pszFile, const char* pszParams)
{
    std::string file = pszFile ? pszFile : "";
    std::string params = pszParams ? pszParams : "";
    if (file.empty())
        return;
    std::thread([file, params]() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ShellExecuteA(nullptr, "open", file.c_str(), params.empty() ? nullptr : params.c_str(), nullptr,
                      SW_SHOWNORMAL);
        CoUninitialize();
    }).detach();
}

BOOL OpenEditorThroughApp(int nMode, CMailFolderStore* pStore, int nIndex, const char* pszAddress,
                          const char* pszBody)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return FALSE;
    return app->OpenMailEditor(nMode, pStore, nIndex, 0, pszAddress, "", "", pszBody, "", 0, 0, FALSE, 0);
}

// The request block: command 2, the length and the bytes; the main window
// passes it to the communication thread, which serves it like a second
// start's request.
void HandOverThroughSharedMemory(const char* pszText)
{
    std::string text = pszText ? pszText : "";
    std::vector<BYTE> block(2 + 4 + text.size());
    WORD code = 2;
    DWORD length = static_cast<DWORD>(text.size());
    memcpy(block.data(), &code, 2);
    memcpy(block.data() + 2, &length, 4);
    memcpy(block.data() + 6, text.data(), text.size());
    if (!WriteSharedMemory(static_cast<DWORD>(block.size()), block.data()))
        return;
    CQuendalApp* app = QuendalApp();
    HWND main = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : FindWindowA("CVMWndClass", nullptr);
    if (main)
        ::PostMessageA(main, WM_QD_HANDOVER_REQUEST, 0, 0);
}

BOOL AddJunkSenderThroughApp(const char* pszAddress, const char* pszName)
{
    CQuendalApp* app = QuendalApp();
    return app && app->AddJunkMailAddress(pszAddress, pszName, "");
}

} // namespace

TextViewActions& GetTextViewActions()
{
    static TextViewActions actions;
    if (!actions.pfnShellOpen)
        actions.pfnShellOpen = ShellOpenOnWorker;
    if (!actions.pfnOpenEditor)
        actions.pfnOpenEditor = OpenEditorThroughApp;
    if (!actions.pfnHandOverAddress)
        actions.pfnHandOverAddress = HandOverThroughSharedMemory;
    if (!actions.pfnAddJunkSender)
        actions.pfnAddJunkSender = AddJunkSenderThroughApp;
    return actions;
}

void HandOverAddressEntry(const char* pszEntry)
{
    CString address = ExtractMailAddress(pszEntry);
    if (address.IsEmpty())
        return;
    CString name = ExtractDisplayName(pszEntry);
    GetTextViewActions().pfnHandOverAddress(name.IsEmpty() ? address : name + " <" + address + ">");
}
