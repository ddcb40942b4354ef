// CBrowserSecurityManager: the part of the browser control's site that puts
// every page of a shown mail into the security zone of the settings. It
// lives inside the site and counts references on the site.
#pragma once

#include <windows.h>
#include <servprov.h>
#include <urlmon.h>

class CBrowserSecurityManager : public IServiceProvider, public IInternetSecurityManager
{
public:
    CBrowserSecurityManager(IUnknown* pSite, DWORD dwZone) : m_pSite(pSite), m_dwZone(dwZone) {}
    virtual ~CBrowserSecurityManager() = default;

    // For the site's QueryInterface: the two interfaces of this part.
    bool QuerySiteInterface(REFIID riid, void** ppv);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return m_pSite->QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_pSite->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_pSite->Release(); }

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override;

    // IInternetSecurityManager
    STDMETHODIMP SetSecuritySite(IInternetSecurityMgrSite*) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP GetSecuritySite(IInternetSecurityMgrSite**) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP MapUrlToZone(LPCWSTR pwszUrl, DWORD* pdwZone, DWORD dwFlags) override;
    STDMETHODIMP GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP ProcessUrlAction(LPCWSTR, DWORD, BYTE*, DWORD, BYTE*, DWORD, DWORD, DWORD) override
    {
        return INET_E_DEFAULT_ACTION;
    }
    STDMETHODIMP QueryCustomPolicy(LPCWSTR, REFGUID, BYTE**, DWORD*, BYTE*, DWORD, DWORD) override
    {
        return INET_E_DEFAULT_ACTION;
    }
    STDMETHODIMP SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP GetZoneMappings(DWORD, IEnumString**, DWORD) override { return INET_E_DEFAULT_ACTION; }

private:
    IUnknown* m_pSite;
    DWORD m_dwZone;
};
