#include "html/BrowserEvent.h"

#include "core/QuendalApp.h"
#include "core/ShellExecuteRequest.h"

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

namespace {

void OpenWithShell(const char* pszUrl)
{
    if (CQuendalApp* app = QuendalApp())
        app->ShellOpenFile("open", pszUrl, "");
    else
        ShellOpenFile("open", pszUrl, "");
}

// The text of a URL argument, given by value or by reference.
CString UrlText(const VARIANT& arg)
{
    const VARIANT* v = &arg;
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal)
        v = v->pvarVal;
    if (v->vt == VT_BSTR && v->bstrVal)
        return CString(static_cast<const wchar_t*>(v->bstrVal));
    if (v->vt == (VT_BSTR | VT_BYREF) && v->pbstrVal && *v->pbstrVal)
        return CString(static_cast<const wchar_t*>(*v->pbstrVal));
    return CString();
}

VARIANT_BOOL* CancelFlag(const VARIANT& arg)
{
    return arg.vt == (VT_BOOL | VT_BYREF) ? arg.pboolVal : nullptr;
}

} // namespace

CBrowserEvent::CBrowserEvent() = default;

CBrowserEvent::~CBrowserEvent()
{
    UnsinkEvents();
}

void CBrowserEvent::SetBrowser(IUnknown* pBrowser)
{
    if (pBrowser)
        pBrowser->AddRef();
    if (m_pBrowser)
        m_pBrowser->Release();
    m_pBrowser = pBrowser;
}

bool CBrowserEvent::SinkEvents()
{
    if (!m_pBrowser)
        return false;
    IConnectionPointContainer* pContainer = nullptr;
    if (FAILED(m_pBrowser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pContainer))) ||
        !pContainer)
        return false;
    IConnectionPoint* pPoint = nullptr;
    HRESULT hr = pContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, &pPoint);
    pContainer->Release();
    if (FAILED(hr) || !pPoint)
        return false;
    hr = pPoint->Advise(static_cast<IDispatch*>(this), &m_dwCookie);
    pPoint->Release();
    if (FAILED(hr)) {
        m_dwCookie = 0;
        return false;
    }
    return true;
}

void CBrowserEvent::UnsinkEvents()
{
    if (m_pBrowser && m_dwCookie) {
        IConnectionPointContainer* pContainer = nullptr;
        if (SUCCEEDED(m_pBrowser->QueryInterface(IID_IConnectionPointContainer,
                                                 reinterpret_cast<void**>(&pContainer))) &&
            pContainer) {
            IConnectionPoint* pPoint = nullptr;
            if (SUCCEEDED(pContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, &pPoint)) && pPoint) {
                pPoint->Unadvise(m_dwCookie);
                pPoint->Release();
            }
            pContainer->Release();
        }
    }
    m_dwCookie = 0;
    SetBrowser(nullptr);
}

STDMETHODIMP CBrowserEvent::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CBrowserEvent::GetTypeInfoCount(UINT* pCount)
{
    if (pCount)
        *pCount = 0;
    return S_OK;
}

STDMETHODIMP CBrowserEvent::GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo)
{
    if (ppInfo)
        *ppInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CBrowserEvent::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CBrowserEvent::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*, UINT*)
{
    // Arguments come last first.
    UINT n = pParams ? pParams->cArgs : 0;
    auto arg = [&](UINT i) -> const VARIANT& { return pParams->rgvarg[n - 1 - i]; };
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        if (n >= 7)
            OnBeforeNavigate2(UrlText(arg(1)), CancelFlag(arg(6)));
        break;
    case DISPID_NEWWINDOW2:
        if (n >= 2)
            OnNewWindow2(CancelFlag(arg(1)));
        break;
    case DISPID_DOCUMENTCOMPLETE:
        if (n >= 2)
            OnDocumentComplete(UrlText(arg(1)));
        break;
    case DISPID_DOWNLOADCOMPLETE:
        OnDownloadComplete();
        break;
    case DISPID_ONQUIT:
        UnsinkEvents();
        break;
    default:
        break;
    }
    return S_OK;
}

void CBrowserEvent::OnBeforeNavigate2(const char* pszUrl, VARIANT_BOOL* pCancel)
{
    bool allowed = m_pOwner && m_pOwner->MayNavigate();
    if (!allowed)
        OpenWithShell(pszUrl);
    allowed = m_pOwner && m_pOwner->MayNavigate();
    if (pCancel)
        *pCancel = allowed ? VARIANT_FALSE : VARIANT_TRUE;
}

void CBrowserEvent::OnNewWindow2(VARIANT_BOOL* pCancel)
{
    // A window of the page's own would navigate past the shell.
    if (pCancel)
        *pCancel = VARIANT_TRUE;
}

void CBrowserEvent::OnDocumentComplete(const char* pszUrl)
{
    if (m_pOwner)
        m_pOwner->OnBrowserDocumentComplete(pszUrl);
}

void CBrowserEvent::OnDownloadComplete()
{
    if (m_pOwner)
        m_pOwner->OnBrowserDownloadComplete();
}
