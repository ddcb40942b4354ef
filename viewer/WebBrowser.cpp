#include "viewer/WebBrowser.h"

#include "core/QuendalApp.h"
#include "html/BrowserSecurityManager.h"

#include <exdisp.h>
#include <oleidl.h>

#include <string>

namespace {

// Whether a folder holds a sub-folder whose name starts with prefix and,
// when inner is given, that holds a folder of that name.
bool HasEngineFolder(const std::string& folder, const char* prefix, const char* inner)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\" + prefix + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    do {
        std::string name = fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == ".." || name == "plugin")
            continue;
        std::string path = folder + "\\" + name;
        if (!inner || GetFileAttributesA((path + "\\" + inner).c_str()) != INVALID_FILE_ATTRIBUTES)
            found = true;
    } while (!found && FindNextFileA(h, &fd));
    FindClose(h);
    return found;
}

bool DefaultEngineProbe()
{
    HMODULE engine = LoadLibraryExA("mshtml.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!engine)
        return false;
    FreeLibrary(engine);
    // Under Wine the HTML engine is a separate package (a "wine_gecko"
    // folder under the prefix's or the system's gecko folder); without it,
    // the first use of the control asks to download it. An empty gecko
    // folder (only its "plugin" folder) is made by every new prefix.
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll && GetProcAddress(ntdll, "wine_get_version")) {
        char dir[MAX_PATH] = {};
        GetSystemWindowsDirectoryA(dir, sizeof(dir));
        return HasEngineFolder(std::string(dir) + "\\system32\\gecko", "", "wine_gecko") ||
               HasEngineFolder(std::string(dir) + "\\syswow64\\gecko", "", "wine_gecko") ||
               HasEngineFolder("Z:\\usr\\share\\wine\\gecko", "wine-gecko", nullptr) ||
               HasEngineFolder("Z:\\opt\\wine\\gecko", "wine-gecko", nullptr);
    }
    return true;
}

CWebBrowser::EngineProbe g_probe = &DefaultEngineProbe;

const DISPID kDispNavigate = 104;
const DISPID kDispApplication = 200;
const DISPID kDispVisible = 402;

} // namespace

// The container side the control talks to: client site and in-place site.
class CWebBrowser::CSite : public IOleClientSite, public IOleInPlaceSite
{
public:
    CSite(HWND hWnd, DWORD dwZone) : m_hWnd(hWnd), m_security(static_cast<IOleClientSite*>(this), dwZone) {}
    virtual ~CSite() = default;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (m_security.QuerySiteInterface(riid, ppv))
            return S_OK;
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRef; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG n = --m_nRef;
        if (n == 0)
            delete this;
        return n;
    }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** pp) override
    {
        *pp = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hWnd;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT pPos,
                                  LPRECT pClip, LPOLEINPLACEFRAMEINFO pInfo) override
    {
        *ppFrame = nullptr;
        *ppDoc = nullptr;
        ::GetClientRect(m_hWnd, pPos);
        ::GetClientRect(m_hWnd, pClip);
        pInfo->fMDIApp = FALSE;
        pInfo->hwndFrame = GetAncestor(m_hWnd, GA_ROOT);
        pInfo->haccel = nullptr;
        pInfo->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    HWND m_hWnd;
    ULONG m_nRef = 1;
    CBrowserSecurityManager m_security;
};

BEGIN_MESSAGE_MAP(CWebBrowser, CWnd)
    ON_MESSAGE(WM_SIZE, OnSizeMsg)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
END_MESSAGE_MAP()

CWebBrowser::CWebBrowser() = default;

CWebBrowser::~CWebBrowser()
{
    Close();
}

bool CWebBrowser::IsEngineAvailable()
{
    return g_probe && g_probe();
}

void CWebBrowser::SetEngineProbe(EngineProbe probe)
{
    g_probe = probe ? probe : &DefaultEngineProbe;
}

BOOL CWebBrowser::Create(CWnd* pParent, UINT nID, const RECT& rect)
{
    if (!IsEngineAvailable())
        return FALSE;
    const char* cls = AfxRegisterWndClass("CVMBrowserHost", 0, LoadCursor(nullptr, IDC_ARROW), nullptr);
    if (!CreateEx(0, cls, "", WS_CHILD | WS_CLIPCHILDREN, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParent ? pParent->GetSafeHwnd() : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&m_pObject))) ||
        !m_pObject) {
        DestroyWindow();
        return FALSE;
    }
    CQuendalApp* app = QuendalApp();
    m_pSite = new CSite(m_hWnd, static_cast<DWORD>(app ? app->m_nIEZone : 3));
    m_pObject->SetClientSite(m_pSite);
    RECT rc;
    GetClientRect(&rc);
    m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_pSite, 0, m_hWnd, &rc);
    m_pObject->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_pDispatch));
    m_events.SetOwner(&m_loadState);
    m_events.SetBrowser(m_pObject);
    m_events.SinkEvents();
    return m_pDispatch != nullptr;
}

void CWebBrowser::Close()
{
    m_events.UnsinkEvents();
    if (m_pDispatch)
        m_pDispatch->Release();
    m_pDispatch = nullptr;
    if (m_pObject) {
        m_pObject->Close(OLECLOSE_NOSAVE);
        m_pObject->SetClientSite(nullptr);
        m_pObject->Release();
    }
    m_pObject = nullptr;
    if (m_pSite)
        m_pSite->Release();
    m_pSite = nullptr;
}

LRESULT CWebBrowser::OnDestroyMsg(WPARAM, LPARAM)
{
    Close();
    return Default();
}

LRESULT CWebBrowser::OnSizeMsg(WPARAM, LPARAM lParam)
{
    IOleInPlaceObject* inPlace = nullptr;
    if (m_pObject &&
        SUCCEEDED(m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        RECT rc = {0, 0, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        inPlace->SetObjectRects(&rc, &rc);
        inPlace->Release();
    }
    return Default();
}

HRESULT CWebBrowser::Invoke(DISPID id, WORD flags, VARIANT* args, UINT nArgs, VARIANT* result)
{
    if (!m_pDispatch)
        return E_POINTER;
    DISPPARAMS params = {args, nullptr, nArgs, 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    return m_pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

BOOL CWebBrowser::Navigate(const char* pszPath)
{
    m_loadState.BeginLoad(pszPath);
    int n = MultiByteToWideChar(CP_ACP, 0, pszPath, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, pszPath, -1, &wide[0], n);
    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(wide.c_str());
    HRESULT hr = Invoke(kDispNavigate, DISPATCH_METHOD, &url, 1, nullptr);
    VariantClear(&url);
    return SUCCEEDED(hr);
}

IDispatch* CWebBrowser::GetDocumentDispatch()
{
    IDispatch* pBrowser = QueryWebBrowser2();
    if (!pBrowser)
        return nullptr;
    IDispatch* pDocument = nullptr;
    static_cast<IWebBrowser2*>(pBrowser)->get_Document(&pDocument);
    pBrowser->Release();
    return pDocument;
}

BOOL CWebBrowser::GetVisible()
{
    VARIANT v;
    VariantInit(&v);
    if (FAILED(Invoke(kDispVisible, DISPATCH_PROPERTYGET, nullptr, 0, &v)))
        return FALSE;
    return v.vt == VT_BOOL && v.boolVal != VARIANT_FALSE;
}

void CWebBrowser::PutVisible(BOOL bVisible)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = bVisible ? VARIANT_TRUE : VARIANT_FALSE;
    Invoke(kDispVisible, DISPATCH_PROPERTYPUT, &v, 1, nullptr);
}

IDispatch* CWebBrowser::QueryWebBrowser2()
{
    IDispatch* p = nullptr;
    if (m_pObject)
        m_pObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&p));
    return p;
}

BOOL CWebBrowser::ScrollDocumentBy(int dy)
{
    IWebBrowser2* browser = nullptr;
    if (!m_pObject || FAILED(m_pObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))))
        return FALSE;
    // Through the Application's document window: scrollBy(0, dy).
    VARIANT app;
    VariantInit(&app);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    HRESULT hr = browser->Invoke(kDispApplication, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &app,
                                 nullptr, nullptr);
    browser->Release();
    BOOL done = FALSE;
    if (SUCCEEDED(hr) && app.vt == VT_DISPATCH && app.pdispVal) {
        IWebBrowser2* top = nullptr;
        IDispatch* doc = nullptr;
        if (SUCCEEDED(app.pdispVal->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&top)))) {
            top->get_Document(&doc);
            top->Release();
        }
        if (doc) {
            OLECHAR* nameWindow = const_cast<OLECHAR*>(L"parentWindow");
            DISPID id = 0;
            VARIANT win;
            VariantInit(&win);
            if (SUCCEEDED(doc->GetIDsOfNames(IID_NULL, &nameWindow, 1, LOCALE_USER_DEFAULT, &id)) &&
                SUCCEEDED(doc->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &win, nullptr,
                                      nullptr)) &&
                win.vt == VT_DISPATCH && win.pdispVal) {
                OLECHAR* nameScroll = const_cast<OLECHAR*>(L"scrollBy");
                VARIANT xy[2];
                VariantInit(&xy[0]);
                VariantInit(&xy[1]);
                xy[0].vt = VT_I4;  // arguments go in reverse order
                xy[0].lVal = dy;
                xy[1].vt = VT_I4;
                xy[1].lVal = 0;
                DISPPARAMS args = {xy, nullptr, 2, 0};
                if (SUCCEEDED(win.pdispVal->GetIDsOfNames(IID_NULL, &nameScroll, 1, LOCALE_USER_DEFAULT, &id)))
                    done = SUCCEEDED(win.pdispVal->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &args,
                                                          nullptr, nullptr, nullptr));
            }
            VariantClear(&win);
            doc->Release();
        }
    }
    VariantClear(&app);
    return done;
}
