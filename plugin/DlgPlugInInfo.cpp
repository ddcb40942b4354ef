#include "plugin/DlgPlugInInfo.h"

#include "plugin/PlugInHost.h"
#include "resources/plugin/PlugInResource.h"

namespace {

typedef const char* (*TextFunc)(void);
typedef void (*WindowFunc)(HWND);

template <typename T> T Export(HMODULE h, const char* pszName)
{
    return h ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, pszName))) : nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgPlugInInfo, CDialog)
    ON_CONTROL(LBN_SELCHANGE, IDC_PI_LIST, OnSelChange)
    ON_BN_CLICKED(IDC_PI_PROPERTY, OnProperty)
    ON_BN_CLICKED(IDC_PI_HELP, OnHelp)
END_MESSAGE_MAP()

CDlgPlugInInfo::CDlgPlugInInfo(CPlugInHost& host, CWnd* pParent) : CDialog(IDD_PLUGIN_INFO, pParent), m_host(host)
{
}

BOOL CDlgPlugInInfo::OnInitDialog()
{
    SetDlgItemText(IDC_PI_README, "");
    HWND hList = ::GetDlgItem(m_hWnd, IDC_PI_LIST);
    const auto& plugIns = m_host.GetPlugIns();
    for (size_t i = 0; i < plugIns.size(); ++i) {
        TextFunc name = Export<TextFunc>(plugIns[i].hModule, "GetPlugInName");
        if (!name)
            continue;
        const char* text = name();
        // Each item knows its plug-in, so a plug-in without a name shifts nothing.
        LRESULT item = ::SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : ""));
        if (item >= 0)
            ::SendMessageA(hList, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(i));
    }
    return TRUE;
}

HMODULE CDlgPlugInInfo::Selected()
{
    HWND hList = ::GetDlgItem(m_hWnd, IDC_PI_LIST);
    LRESULT item = ::SendMessageA(hList, LB_GETCURSEL, 0, 0);
    if (item < 0)
        return nullptr;
    size_t index = static_cast<size_t>(::SendMessageA(hList, LB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    const auto& plugIns = m_host.GetPlugIns();
    return index < plugIns.size() ? plugIns[index].hModule : nullptr;
}

void CDlgPlugInInfo::OnSelChange()
{
    TextFunc readMe = Export<TextFunc>(Selected(), "GetReadMeText");
    const char* text = readMe ? readMe() : nullptr;
    SetDlgItemText(IDC_PI_README, text ? text : "");
}

void CDlgPlugInInfo::OnProperty()
{
    HMODULE h = Selected();
    if (!h)
        return;
    if (WindowFunc property = Export<WindowFunc>(h, "PlugInProperty"))
        property(m_hWnd);
    else
        AfxMessageBox("このプラグインには、プロパティがありません。", MB_OK | MB_ICONINFORMATION);
}

void CDlgPlugInInfo::OnHelp()
{
    HMODULE h = Selected();
    if (!h)
        return;
    if (WindowFunc help = Export<WindowFunc>(h, "ShowHelp"))
        help(m_hWnd);
    else
        AfxMessageBox("このプラグインに、ヘルプはありません。", MB_OK | MB_ICONINFORMATION);
}
