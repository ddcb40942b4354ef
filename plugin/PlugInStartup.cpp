#include "plugin/PlugInStartup.h"

#include "core/CommandText.h"
#include "core/QuendalApp.h"
#include "mainwnd/MainFrame.h"
#include "plugin/AppThreadCall.h"
#include "plugin/DlgPlugInInfo.h"
#include "plugin/PlugInHost.h"
#include "plugin/QuendalAPI.h"

namespace {

bool PlugInCommandTexts(UINT nCommand, CString& group, CString& name)
{
    CPlugInHost::Command c;
    if (!PlugInHost().GetCommand(nCommand, c))
        return false;
    group = c.strTitle;
    name = c.strText;
    return true;
}

} // namespace

void StartPlugInHost(CQuendalApp* pApp)
{
    if (!GetQuendalAPIObject())
        SetQuendalAPIObject(new CQuendalAPI(pApp));
    CAppThreadCall::Create();
    MainFrameHooks& hooks = GetMainFrameHooks();
    hooks.pfnFirePlugInEvent = [](int nEvent, HWND hWnd, int nCount) {
        PlugInHost().FirePlugInEvent(nEvent, hWnd, nCount);
    };
    hooks.pfnRunPlugInCommand = [](UINT nID) {
        if (HANDLE h = PlugInHost().RunCommand(nID))
            CloseHandle(h);
    };
    hooks.pfnGetPlugInPrompt = [](UINT nID, CString& prompt) {
        CPlugInHost::Command c;
        if (!PlugInHost().GetCommand(nID, c))
            return false;
        prompt = c.strPrompt;
        return true;
    };
    hooks.pfnShowPlugInInfo = [](CWnd* pParent) {
        CDlgPlugInInfo dlg(PlugInHost(), pParent);
        dlg.DoModal();
    };
    SetPlugInCommandTextProvider(PlugInCommandTexts);
    if (pApp->m_bNoUsePlugIn)
        return;
    PlugInHost().SetClientVersion(pApp->m_wVersion);
    PlugInHost().LoadFolder(CQuendalAPI::PlugInFolder());
}

void FirePlugInInitEvent(HWND hMainWnd)
{
    PlugInHost().SetMainMenu(hMainWnd ? ::GetMenu(hMainWnd) : nullptr);
    PlugInHost().FirePlugInEvent(CPlugInHost::evInitPlugIn);
    if (PlugInHost().GetCommandCount() == 0)
        PlugInHost().PreparePlugInMenu(true);
    if (hMainWnd)
        ::DrawMenuBar(hMainWnd);
}

void UnloadPlugIns()
{
    PlugInHost().UnloadAll();
}

void DeleteQuendalAPIObject()
{
    if (CQuendalAPI* api = GetQuendalAPIObject())
        api->Destroy(1);
    CAppThreadCall::Destroy();
}
