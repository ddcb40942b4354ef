// COleDataSource: an OLE data object offered to the clipboard or to a drag:
// formats cached with their data, and formats announced for rendering on
// demand, which a derived class renders in OnRenderGlobalData.
//
// The object is reference counted like the COM object it is: it is made with
// new holding one reference, and whoever made it calls Release when done.
#pragma once

#include "classlib/Exception.h"

#include <ole2.h>

#include <vector>

// Thrown by a rendering asked for an item that does not exist.
class CInvalidArgException : public CException {};
[[noreturn]] void AfxThrowInvalidArgException();

class COleDataSource : public IDataObject
{
public:
    COleDataSource() = default;
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Takes ownership of the memory; a later GetData gets a copy.
    void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal);
    void DelayRenderData(CLIPFORMAT cfFormat);
    // Runs a drag with this data; returns the drop effect.
    DWORD DoDragDrop(DWORD dwEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE);

    // Renders an announced format into *phGlobal (null: allocate it).
    virtual BOOL OnRenderGlobalData(LPFORMATETC lpFormatEtc, HGLOBAL* phGlobal);
    // A drop target storing data into the source; refused unless overridden.
    virtual BOOL OnSetData(LPFORMATETC lpFormatEtc, LPSTGMEDIUM lpStgMedium, BOOL bRelease);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pFormat) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pIn, FORMATETC* pOut) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pFormat, STGMEDIUM* pMedium, BOOL fRelease) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override;

protected:
    virtual ~COleDataSource();

private:
    struct Entry
    {
        CLIPFORMAT cf;
        HGLOBAL hGlobal;  // null: rendered on demand
    };
    const Entry* Find(CLIPFORMAT cf) const;

    std::vector<Entry> m_entries;
    LONG m_nRefs = 1;
};
