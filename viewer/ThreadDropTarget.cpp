#include "viewer/ThreadDropTarget.h"

#include "mainwnd/MailObjectBlock.h"
#include "viewer/ReferenceMailTreeFrame.h"

HRESULT CThreadDropTarget::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CThreadDropTarget::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_nRefs));
}

ULONG CThreadDropTarget::Release()
{
    LONG n = InterlockedDecrement(&m_nRefs);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

bool CThreadDropTarget::ReadMails(IDataObject* pData)
{
    m_mails.clear();
    m_nFolderId = 0;
    if (!pData)
        return false;
    FORMATETC format = {MailObjectBlock::GetMailFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(pData->GetData(&format, &medium)))
        return false;
    MailObjectBlock::MailObject object;
    bool ok = medium.tymed == TYMED_HGLOBAL && MailObjectBlock::ParseGlobal(medium.hGlobal, object);
    ReleaseStgMedium(&medium);
    if (!ok || object.mails.empty())
        return false;
    m_nFolderId = object.mails[0].nFolderId;
    for (const MailObjectBlock::MailRef& ref : object.mails) {
        // Mails of several folders never link: the frame refuses them.
        if (ref.nFolderId != m_nFolderId)
            m_nFolderId = -1;
        m_mails.push_back(ref.nIndex);
    }
    return true;
}

HRESULT CThreadDropTarget::DragEnter(IDataObject* pData, DWORD dwKeys, POINTL pt, DWORD* pdwEffect)
{
    m_bValid = ReadMails(pData);
    return DragOver(dwKeys, pt, pdwEffect);
}

HRESULT CThreadDropTarget::DragOver(DWORD, POINTL pt, DWORD* pdwEffect)
{
    DWORD effect = DROPEFFECT_NONE;
    if (m_pFrame && m_bValid)
        effect = m_pFrame->DragOverAt(POINT{pt.x, pt.y}, m_mails, m_nFolderId);
    *pdwEffect &= effect;
    return S_OK;
}

HRESULT CThreadDropTarget::DragLeave()
{
    if (m_pFrame)
        m_pFrame->EndDrag();
    m_bValid = false;
    return S_OK;
}

HRESULT CThreadDropTarget::Drop(IDataObject* pData, DWORD, POINTL pt, DWORD* pdwEffect)
{
    m_bValid = ReadMails(pData);
    DWORD effect = DROPEFFECT_NONE;
    if (m_pFrame && m_bValid)
        effect = m_pFrame->DragOverAt(POINT{pt.x, pt.y}, m_mails, m_nFolderId) & *pdwEffect;
    if (m_pFrame) {
        m_pFrame->EndDrag();
        if (effect != DROPEFFECT_NONE)
            m_pFrame->DropAt(POINT{pt.x, pt.y}, m_mails, m_nFolderId);
    }
    *pdwEffect = effect;
    m_bValid = false;
    return S_OK;
}
