// COleDropSource: the source side of an OLE drag. By default a drag ends in a
// drop when the mouse button is released and is cancelled by Escape; a
// subclass decides otherwise by overriding QueryContinueDrag. The object
// lives on the caller's stack for the length of the drag, so it counts no
// references.
#pragma once

#include <ole2.h>

class COleDropSource : public IDropSource
{
public:
    COleDropSource() = default;
    virtual ~COleDropSource() = default;
    COleDropSource(const COleDropSource&) = delete;
    COleDropSource& operator=(const COleDropSource&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscape, DWORD grfKeyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};
