#include "html/BrowserSecurityManager.h"

bool CBrowserSecurityManager::QuerySiteInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IServiceProvider)
        *ppv = static_cast<IServiceProvider*>(this);
    else if (riid == IID_IInternetSecurityManager)
        *ppv = static_cast<IInternetSecurityManager*>(this);
    else
        return false;
    AddRef();
    return true;
}

STDMETHODIMP CBrowserSecurityManager::QueryService(REFGUID guidService, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (guidService == IID_IInternetSecurityManager && riid == IID_IInternetSecurityManager) {
        *ppv = static_cast<IInternetSecurityManager*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CBrowserSecurityManager::MapUrlToZone(LPCWSTR, DWORD* pdwZone, DWORD)
{
    // Every page of a mail gets the one zone; the zone is the answer's
    // value, the result says the call worked.
    if (!pdwZone)
        return E_POINTER;
    *pdwZone = m_dwZone;
    return S_OK;
}
