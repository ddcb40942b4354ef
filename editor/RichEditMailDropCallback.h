// CRichEditMailDropCallback: the OLE callback of a rich-edit control that
// lets mails dragged from the mail list ("CVMail Mail Object") be dropped
// on it. In the editor body the mails become attachments of the mail being
// written; without an owner view (dialog fields) such data is handled like
// any other. Embedded by value in its owner: its reference count only
// counts, nothing is freed through it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

class CMailEditView;

class CRichEditMailDropCallback : public IRichEditOleCallback
{
public:
    CRichEditMailDropCallback() = default;
    virtual ~CRichEditMailDropCallback() = default;
    CRichEditMailDropCallback(const CRichEditMailDropCallback&) = delete;
    CRichEditMailDropCallback& operator=(const CRichEditMailDropCallback&) = delete;

    void SetOwner(CMailEditView* pOwner) { m_pOwner = pOwner; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetNewStorage(LPSTORAGE* ppStorage) override;
    STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*, LPOLEINPLACEFRAMEINFO) override;
    STDMETHODIMP ShowContainerUI(BOOL) override;
    STDMETHODIMP QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override;
    STDMETHODIMP DeleteObject(LPOLEOBJECT) override;
    STDMETHODIMP QueryAcceptData(LPDATAOBJECT pData, CLIPFORMAT* pFormat, DWORD dwOperation, BOOL fReally,
                                 HGLOBAL hMetaPict) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    STDMETHODIMP GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* ppData) override;
    STDMETHODIMP GetDragDropEffect(BOOL fDrag, DWORD grfKeyState, LPDWORD pdwEffect) override;
    STDMETHODIMP GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) override;

    // Whether a data object offers mails of the mail list.
    static bool OffersMails(IDataObject* pData);

private:
    void Forget();

    LONG m_nRefs = 0;
    CMailEditView* m_pOwner = nullptr;
    IDataObject* m_pDragData = nullptr;  // held (AddRef) while a drag passes over
};
