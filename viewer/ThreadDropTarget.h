// CThreadDropTarget: the OLE drop target of a thread tree: mails dragged
// from a mail list ("CVMail Mail Object") are handed to the tree's frame,
// which links them into the thread.
#pragma once

#include <ole2.h>

#include <vector>

class CReferenceMailTreeFrame;

class CThreadDropTarget : public IDropTarget
{
public:
    explicit CThreadDropTarget(CReferenceMailTreeFrame* pFrame) : m_pFrame(pFrame) {}
    CThreadDropTarget(const CThreadDropTarget&) = delete;
    CThreadDropTarget& operator=(const CThreadDropTarget&) = delete;

    // The frame is gone: later calls do nothing.
    void Detach() { m_pFrame = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pData, DWORD dwKeys, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD dwKeys, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pData, DWORD dwKeys, POINTL pt, DWORD* pdwEffect) override;

private:
    virtual ~CThreadDropTarget() = default;
    // The mails of the data object's block (one folder's).
    bool ReadMails(IDataObject* pData);

    LONG m_nRefs = 1;
    CReferenceMailTreeFrame* m_pFrame;
    bool m_bValid = false;
    int m_nFolderId = 0;
    std::vector<int> m_mails;
};
