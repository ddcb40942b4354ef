#include "classlib/OleDropSource.h"

HRESULT COleDropSource::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IDropSource) {
        *ppv = static_cast<IDropSource*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT COleDropSource::QueryContinueDrag(BOOL fEscape, DWORD grfKeyState)
{
    if (fEscape)
        return DRAGDROP_S_CANCEL;
    if (!(grfKeyState & (MK_LBUTTON | MK_RBUTTON)))
        return DRAGDROP_S_DROP;
    return S_OK;
}
