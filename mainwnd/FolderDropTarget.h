// CFolderDropTarget: the OLE drop target registered for the folder tree; it
// hands each step of a drag over the tree to the folder pane.
#pragma once

#include <ole2.h>

class CFolderTree;

class CFolderDropTarget : public IDropTarget
{
public:
    explicit CFolderDropTarget(CFolderTree* pTree) : m_pTree(pTree) {}
    CFolderDropTarget(const CFolderDropTarget&) = delete;
    CFolderDropTarget& operator=(const CFolderDropTarget&) = delete;

    // The pane is gone: later calls do nothing.
    void Detach() { m_pTree = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pData, DWORD dwKeys, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD dwKeys, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pData, DWORD dwKeys, POINTL pt, DWORD* pdwEffect) override;

private:
    virtual ~CFolderDropTarget();

    LONG m_nRefs = 1;
    CFolderTree* m_pTree;
    IDataObject* m_pData = nullptr;  // held between DragEnter and DragLeave or Drop
};
