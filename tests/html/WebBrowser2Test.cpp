#include "html/WebBrowser2.h"

#include <gtest/gtest.h>

namespace {

// A dispatch object standing in for the control and for its Application
// object: it answers property 200 with its application (when it has one)
// and, when it is a browser, the IWebBrowser2 query with itself.
class FakeDispatch : public IDispatch
{
public:
    FakeDispatch(bool isBrowser, FakeDispatch* application) : m_isBrowser(isBrowser), m_application(application) {}
    LONG Refs() const { return m_refs; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || (m_isBrowser && riid == IID_IWebBrowser2)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refs); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override
    {
        if (id != 200 || !(flags & DISPATCH_PROPERTYGET) || !m_application)
            return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_DISPATCH;
        result->pdispVal = m_application;
        m_application->AddRef();
        return S_OK;
    }

private:
    bool m_isBrowser;
    FakeDispatch* m_application;
    LONG m_refs = 1;
};

} // namespace

TEST(WebBrowser2, FromTheControlsApplication)
{
    FakeDispatch browser(true, nullptr);
    FakeDispatch control(false, &browser);
    IWebBrowser2* result = QueryWebBrowser2(&control);
    EXPECT_EQ(static_cast<void*>(result), static_cast<void*>(&browser));
    // One reference for the caller; the Application pointer was released.
    EXPECT_EQ(browser.Refs(), 2);
    result->Release();

    FakeDispatch plain(false, nullptr);
    FakeDispatch otherControl(false, &plain);
    EXPECT_EQ(QueryWebBrowser2(&otherControl), nullptr);
    EXPECT_EQ(plain.Refs(), 1);
    FakeDispatch noApplication(false, nullptr);
    EXPECT_EQ(QueryWebBrowser2(&noApplication), nullptr);
    EXPECT_EQ(QueryWebBrowser2(nullptr), nullptr);
}
