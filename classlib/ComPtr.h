// CComPtr: one reference to a COM object, released with the object.
#pragma once

#include <unknwn.h>

template <class T>
class CComPtr
{
public:
    CComPtr() = default;
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~CComPtr() { Release(); }

    void Release()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    // For the functions that hand out a new reference through a T**; the
    // reference held before is released.
    T** Receive()
    {
        Release();
        return &m_p;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    // Asks the object for another of its interfaces.
    template <class Q>
    HRESULT QueryInterface(REFIID iid, CComPtr<Q>& out) const
    {
        return m_p ? m_p->QueryInterface(iid, out.ReceiveVoid()) : E_POINTER;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
