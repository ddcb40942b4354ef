#include "classlib/OleDataSource.h"

#include "classlib/OleDropSource.h"

#include <shlobj.h>

#include <cstring>

void AfxThrowInvalidArgException()
{
    throw CInvalidArgException();
}

namespace {

HGLOBAL CopyGlobal(HGLOBAL hSource)
{
    SIZE_T size = GlobalSize(hSource);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
    if (!copy)
        return nullptr;
    void* from = GlobalLock(hSource);
    void* to = GlobalLock(copy);
    if (from && to)
        memcpy(to, from, size);
    GlobalUnlock(copy);
    GlobalUnlock(hSource);
    return copy;
}

} // namespace

COleDataSource::~COleDataSource()
{
    for (const Entry& e : m_entries)
        if (e.hGlobal)
            GlobalFree(e.hGlobal);
}

const COleDataSource::Entry* COleDataSource::Find(CLIPFORMAT cf) const
{
    for (const Entry& e : m_entries)
        if (e.cf == cf)
            return &e;
    return nullptr;
}

void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal)
{
    for (Entry& e : m_entries) {
        if (e.cf == cfFormat) {
            if (e.hGlobal)
                GlobalFree(e.hGlobal);
            e.hGlobal = hGlobal;
            return;
        }
    }
    m_entries.push_back({ cfFormat, hGlobal });
}

void COleDataSource::DelayRenderData(CLIPFORMAT cfFormat)
{
    CacheGlobalData(cfFormat, nullptr);
}

DWORD COleDataSource::DoDragDrop(DWORD dwEffects)
{
    COleDropSource source;
    DWORD effect = DROPEFFECT_NONE;
    if (::DoDragDrop(this, &source, dwEffects, &effect) != DRAGDROP_S_DROP)
        return DROPEFFECT_NONE;
    return effect;
}

BOOL COleDataSource::OnRenderGlobalData(LPFORMATETC, HGLOBAL*)
{
    return FALSE;
}

BOOL COleDataSource::OnSetData(LPFORMATETC, LPSTGMEDIUM, BOOL)
{
    return FALSE;
}

HRESULT COleDataSource::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG COleDataSource::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_nRefs));
}

ULONG COleDataSource::Release()
{
    LONG refs = InterlockedDecrement(&m_nRefs);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

HRESULT COleDataSource::GetData(FORMATETC* pFormat, STGMEDIUM* pMedium)
{
    if (!pFormat || !pMedium)
        return E_INVALIDARG;
    const Entry* e = Find(pFormat->cfFormat);
    if (!e)
        return DV_E_FORMATETC;
    if (!(pFormat->tymed & TYMED_HGLOBAL))
        return DV_E_TYMED;
    HGLOBAL hGlobal = nullptr;
    if (e->hGlobal) {
        hGlobal = CopyGlobal(e->hGlobal);
        if (!hGlobal)
            return E_OUTOFMEMORY;
    } else {
        try {
            if (!OnRenderGlobalData(pFormat, &hGlobal) || !hGlobal)
                return DV_E_FORMATETC;
        } catch (const CInvalidArgException&) {
            return DV_E_LINDEX;
        } catch (const CMemoryException&) {
            return E_OUTOFMEMORY;
        }
    }
    pMedium->tymed = TYMED_HGLOBAL;
    pMedium->hGlobal = hGlobal;
    pMedium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT COleDataSource::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT COleDataSource::QueryGetData(FORMATETC* pFormat)
{
    if (!pFormat)
        return E_INVALIDARG;
    if (!Find(pFormat->cfFormat))
        return DV_E_FORMATETC;
    return (pFormat->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
}

HRESULT COleDataSource::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut)
{
    if (pOut)
        pOut->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT COleDataSource::SetData(FORMATETC* pFormat, STGMEDIUM* pMedium, BOOL fRelease)
{
    return OnSetData(pFormat, pMedium, fRelease) ? S_OK : E_NOTIMPL;
}

HRESULT COleDataSource::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum)
{
    if (dwDirection != DATADIR_GET)
        return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const Entry& e : m_entries)
        formats.push_back({ e.cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL });
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), ppEnum);
}

HRESULT COleDataSource::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT COleDataSource::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT COleDataSource::EnumDAdvise(IEnumSTATDATA**)
{
    return OLE_E_ADVISENOTSUPPORTED;
}
