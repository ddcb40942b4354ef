// CBrowserEvent: the sink of the browser control's events for shown HTML
// mail. A link the user follows leaves through the shell instead of the
// control, and no page may open a window of its own.
#pragma once

#include "classlib/ClassLib.h"
#include "html/BrowserEventOwner.h"

#include <oaidl.h>

class CBrowserEvent : public IDispatch
{
public:
    CBrowserEvent();
    virtual ~CBrowserEvent();
    CBrowserEvent(const CBrowserEvent&) = delete;
    CBrowserEvent& operator=(const CBrowserEvent&) = delete;

    void SetOwner(CBrowserEventOwner* pOwner) { m_pOwner = pOwner; }
    // Takes a reference on the browser; released by UnsinkEvents.
    void SetBrowser(IUnknown* pBrowser);

    // Connects to the browser's events; false when it refuses or lacks them.
    virtual bool SinkEvents();
    virtual void UnsinkEvents();

    // IUnknown: the creator owns the sink, so counting never deletes it.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_nRef; }
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pCount) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*,
                        UINT*) override;

protected:
    virtual void OnBeforeNavigate2(const char* pszUrl, VARIANT_BOOL* pCancel);
    virtual void OnNewWindow2(VARIANT_BOOL* pCancel);
    virtual void OnDocumentComplete(const char* pszUrl);
    virtual void OnDownloadComplete();

private:
    CBrowserEventOwner* m_pOwner = nullptr;
    IUnknown* m_pBrowser = nullptr;
    DWORD m_dwCookie = 0;
    ULONG m_nRef = 1;
};
