#include "mainwnd/FolderDropTarget.h"

#include "mainwnd/FolderTree.h"

CFolderDropTarget::~CFolderDropTarget()
{
    if (m_pData)
        m_pData->Release();
}

HRESULT CFolderDropTarget::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CFolderDropTarget::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_nRefs));
}

ULONG CFolderDropTarget::Release()
{
    LONG n = InterlockedDecrement(&m_nRefs);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

HRESULT CFolderDropTarget::DragEnter(IDataObject* pData, DWORD dwKeys, POINTL pt, DWORD* pdwEffect)
{
    if (m_pData)
        m_pData->Release();
    m_pData = pData;
    if (m_pData)
        m_pData->AddRef();
    return DragOver(dwKeys, pt, pdwEffect);
}

HRESULT CFolderDropTarget::DragOver(DWORD dwKeys, POINTL pt, DWORD* pdwEffect)
{
    DWORD allowed = *pdwEffect;
    *pdwEffect = m_pTree ? m_pTree->OnDragOverItem(m_pData, dwKeys, POINT{pt.x, pt.y}) & allowed : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CFolderDropTarget::DragLeave()
{
    if (m_pTree)
        m_pTree->OnDragLeaveTree();
    if (m_pData)
        m_pData->Release();
    m_pData = nullptr;
    return S_OK;
}

HRESULT CFolderDropTarget::Drop(IDataObject* pData, DWORD dwKeys, POINTL pt, DWORD* pdwEffect)
{
    DWORD allowed = *pdwEffect;
    DWORD effect = m_pTree ? m_pTree->OnDragOverItem(pData, dwKeys, POINT{pt.x, pt.y}) & allowed : DROPEFFECT_NONE;
    if (effect == DROPEFFECT_NONE || !m_pTree->OnDropItem(pData, effect))
        effect = DROPEFFECT_NONE;
    *pdwEffect = effect;
    if (m_pData)
        m_pData->Release();
    m_pData = nullptr;
    return S_OK;
}
