#include "editor/RichEditMailDropCallback.h"

#include "editor/MailEditView.h"
#include "mainwnd/MailObjectBlock.h"

namespace {

FORMATETC MailFormat()
{
    FORMATETC f = {MailObjectBlock::GetMailFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return f;
}

} // namespace

bool CRichEditMailDropCallback::OffersMails(IDataObject* pData)
{
    if (!pData)
        return false;
    FORMATETC f = MailFormat();
    return pData->QueryGetData(&f) == S_OK;
}

STDMETHODIMP CRichEditMailDropCallback::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IRichEditOleCallback)) {
        *ppv = static_cast<IRichEditOleCallback*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CRichEditMailDropCallback::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_nRefs));
}

STDMETHODIMP_(ULONG) CRichEditMailDropCallback::Release()
{
    return static_cast<ULONG>(InterlockedDecrement(&m_nRefs));
}

STDMETHODIMP CRichEditMailDropCallback::GetNewStorage(LPSTORAGE* ppStorage)
{
    if (ppStorage)
        *ppStorage = nullptr;
    return E_INVALIDARG;
}

STDMETHODIMP CRichEditMailDropCallback::GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                                          LPOLEINPLACEFRAMEINFO)
{
    return S_OK;
}

STDMETHODIMP CRichEditMailDropCallback::ShowContainerUI(BOOL)
{
    return S_OK;
}

STDMETHODIMP CRichEditMailDropCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG)
{
    return S_OK;
}

STDMETHODIMP CRichEditMailDropCallback::DeleteObject(LPOLEOBJECT)
{
    return S_OK;
}

void CRichEditMailDropCallback::Forget()
{
    if (m_pDragData) {
        m_pDragData->Release();
        m_pDragData = nullptr;
    }
}

STDMETHODIMP CRichEditMailDropCallback::QueryAcceptData(LPDATAOBJECT pData, CLIPFORMAT*, DWORD dwOperation,
                                                        BOOL fReally, HGLOBAL)
{
    if (!fReally) {
        // The drag passes over the control: mails are taken by the owner,
        // not inserted as text (S_FALSE keeps the control from pasting).
        if (pData != m_pDragData) {
            Forget();
            m_pDragData = pData;
            if (m_pDragData)
                m_pDragData->AddRef();
        }
        return m_pOwner && OffersMails(pData) ? S_FALSE : S_OK;
    }
    if (m_pDragData && dwOperation == RECO_DROP && m_pOwner && OffersMails(m_pDragData)) {
        IDataObject* data = m_pDragData;
        m_pDragData = nullptr;
        m_pOwner->AttachMails(data);
        data->Release();
        return S_FALSE;
    }
    Forget();
    return S_OK;
}

STDMETHODIMP CRichEditMailDropCallback::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CRichEditMailDropCallback::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* ppData)
{
    if (ppData)
        *ppData = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CRichEditMailDropCallback::GetDragDropEffect(BOOL fDrag, DWORD grfKeyState, LPDWORD pdwEffect)
{
    if (!pdwEffect)
        return E_POINTER;
    if (m_pDragData && m_pOwner && OffersMails(m_pDragData)) {
        *pdwEffect = DROPEFFECT_COPY;
        return S_OK;
    }
    if (!fDrag) {
        bool ctrl = (grfKeyState & MK_CONTROL) != 0, shift = (grfKeyState & MK_SHIFT) != 0;
        *pdwEffect = ctrl && shift ? DROPEFFECT_LINK : ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
    return S_OK;
}

STDMETHODIMP CRichEditMailDropCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*)
{
    return S_OK;
}
