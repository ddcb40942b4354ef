// The browser control's event sink and security manager for shown HTML
// mail, driven through their COM interfaces without an HTML engine.
#include "core/ShellExecuteRequest.h"
#include "html/BrowserEvent.h"
#include "html/BrowserLoadState.h"
#include "html/BrowserSecurityManager.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_opened;

void RecordOpen(const CShellExecuteRequest& request)
{
    g_opened.push_back((request.m_strVerb + " " + request.m_strFile).GetString());
}

// A browser that offers (or refuses) its event connection point.
class FakeBrowser : public IConnectionPointContainer, public IConnectionPoint
{
public:
    explicit FakeBrowser(bool accept) : m_accept(accept) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IConnectionPointContainer) {
            *ppv = static_cast<IConnectionPointContainer*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** pp) override
    {
        if (riid != DIID_DWebBrowserEvents2) {
            *pp = nullptr;
            return E_NOINTERFACE;
        }
        *pp = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IUnknown* pSink, DWORD* pCookie) override
    {
        if (!m_accept)
            return E_FAIL;
        sink = pSink;
        *pCookie = 42;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        unadvised = cookie;
        sink = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    ULONG refs = 1;
    IUnknown* sink = nullptr;
    DWORD unadvised = 0;

private:
    bool m_accept;
};

struct Owner : CBrowserLoadState
{
    std::vector<std::string> completed;
    int downloads = 0;
    void OnBrowserDocumentComplete(const char* url) override
    {
        completed.push_back(url);
        CBrowserLoadState::OnBrowserDocumentComplete(url);
    }
    void OnBrowserDownloadComplete() override { ++downloads; }
};

// Fires an event the way the control does: arguments last first.
void Fire(IDispatch* sink, DISPID id, std::vector<VARIANT> args)
{
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = { reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0 };
    sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

VARIANT ByRef(VARIANT* target)
{
    VARIANT v;
    v.vt = VT_VARIANT | VT_BYREF;
    v.pvarVal = target;
    return v;
}

VARIANT BoolRef(VARIANT_BOOL* target)
{
    VARIANT v;
    v.vt = VT_BOOL | VT_BYREF;
    v.pboolVal = target;
    return v;
}

VARIANT Empty()
{
    VARIANT v;
    VariantInit(&v);
    return v;
}

// BeforeNavigate2 to the URL; answers the cancel flag the sink set.
bool Navigate(IDispatch* sink, const wchar_t* url)
{
    VARIANT target;
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(url);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT empty = Empty();
    Fire(sink, DISPID_BEFORENAVIGATE2,
         { Empty(), ByRef(&target), ByRef(&empty), ByRef(&empty), ByRef(&empty), ByRef(&empty), BoolRef(&cancel) });
    VariantClear(&target);
    return cancel != VARIANT_FALSE;
}

} // namespace

TEST(BrowserEvent, LinksLeaveThroughTheShellExceptTheProgramsOwnPage)
{
    ShellOpenHandler before = SetShellOpenHandler(&RecordOpen);
    g_opened.clear();
    Owner owner;
    CBrowserEvent events;
    events.SetOwner(&owner);

    // The program loads its page: that navigation is the control's own.
    owner.BeginLoad("C:\\Mail\\Body.html");
    EXPECT_FALSE(Navigate(&events, L"C:\\Mail\\Body.html"));
    EXPECT_TRUE(g_opened.empty());
    VARIANT url;
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(L"c:\\mail\\body.HTML");
    Fire(&events, DISPID_DOCUMENTCOMPLETE, { Empty(), ByRef(&url) });
    VariantClear(&url);
    ASSERT_EQ(owner.completed.size(), 1u);
    EXPECT_EQ(owner.completed[0], "c:\\mail\\body.HTML");

    // Once loaded, a clicked link opens in the shell and the page stays.
    EXPECT_TRUE(Navigate(&events, L"http://example.jp/\u65e5"));
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(g_opened[0], "open http://example.jp/日");

    // A page's own window is refused outright.
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT none = Empty();
    Fire(&events, DISPID_NEWWINDOW2, { ByRef(&none), BoolRef(&cancel) });
    EXPECT_EQ(cancel, VARIANT_TRUE);

    Fire(&events, DISPID_DOWNLOADCOMPLETE, {});
    EXPECT_EQ(owner.downloads, 1);
    SetShellOpenHandler(before);
}

TEST(BrowserEvent, ConnectsReportsARefusalAndLetsGo)
{
    FakeBrowser refusing(false);
    CBrowserEvent a;
    a.SetBrowser(static_cast<IConnectionPointContainer*>(&refusing));
    EXPECT_FALSE(a.SinkEvents());
    a.UnsinkEvents();
    EXPECT_EQ(refusing.refs, 1u) << "the browser is released";

    FakeBrowser browser(true);
    {
        CBrowserEvent b;
        b.SetBrowser(static_cast<IConnectionPointContainer*>(&browser));
        ASSERT_TRUE(b.SinkEvents());
        EXPECT_EQ(browser.sink, static_cast<IUnknown*>(static_cast<IDispatch*>(&b)));
        // The control quitting ends the connection.
        Fire(&b, DISPID_ONQUIT, {});
        EXPECT_EQ(browser.unadvised, 42u);
        EXPECT_EQ(browser.refs, 1u);
    }
    CBrowserEvent none;
    EXPECT_FALSE(none.SinkEvents());
}

TEST(BrowserSecurityManager, EveryPageGetsTheZoneOfTheSettings)
{
    struct Site : IUnknown
    {
        ULONG refs = 1;
        STDMETHODIMP QueryInterface(REFIID, void** ppv) override
        {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
        STDMETHODIMP_(ULONG) Release() override { return --refs; }
    } site;
    for (DWORD zone : { 3u, 4u }) {
        CBrowserSecurityManager manager(&site, zone);
        DWORD got = 0;
        EXPECT_EQ(manager.MapUrlToZone(L"http://example.jp/", &got, 0), S_OK);
        EXPECT_EQ(got, zone);
        EXPECT_EQ(manager.MapUrlToZone(L"file:///C:/a.html", &got, 0), S_OK);
        EXPECT_EQ(got, zone);
        EXPECT_EQ(manager.MapUrlToZone(L"x", nullptr, 0), E_POINTER);
    }
    CBrowserSecurityManager manager(&site, 3);
    void* p = nullptr;
    EXPECT_EQ(manager.QueryService(IID_IInternetSecurityManager, IID_IInternetSecurityManager, &p), S_OK);
    EXPECT_EQ(p, static_cast<IInternetSecurityManager*>(&manager));
    EXPECT_EQ(manager.QueryService(IID_IInternetSecurityManager, IID_IUnknown, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(manager.QueryService(IID_IServiceProvider, IID_IInternetSecurityManager, &p), E_NOINTERFACE);
    EXPECT_EQ(manager.ProcessUrlAction(L"x", 0, nullptr, 0, nullptr, 0, 0, 0), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(manager.SetZoneMapping(0, L"x", 0), INET_E_DEFAULT_ACTION);
    EXPECT_TRUE(manager.QuerySiteInterface(IID_IServiceProvider, &p));
    EXPECT_EQ(site.refs, 3u) << "references count on the site";
}
