// Growable arrays indexed by int, with the member names the program uses.
#pragma once

#include "classlib/Object.h"
#include "classlib/String.h"

#include <windows.h>
#include <cassert>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    int GetSize() const { return static_cast<int>(m_v.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_v.empty(); }
    int GetUpperBound() const { return GetSize() - 1; }
    void SetSize(int nNewSize, int /*nGrowBy*/ = -1) { m_v.resize(nNewSize > 0 ? static_cast<size_t>(nNewSize) : 0); }
    void FreeExtra() { m_v.shrink_to_fit(); }
    void RemoveAll() { m_v.clear(); }

    const TYPE& GetAt(int i) const { assert(InRange(i)); return m_v[static_cast<size_t>(i)]; }
    TYPE& GetAt(int i) { assert(InRange(i)); return m_v[static_cast<size_t>(i)]; }
    void SetAt(int i, ARG_TYPE e) { assert(InRange(i)); m_v[static_cast<size_t>(i)] = e; }
    TYPE& ElementAt(int i) { assert(InRange(i)); return m_v[static_cast<size_t>(i)]; }
    const TYPE& operator[](int i) const { return GetAt(i); }
    TYPE& operator[](int i) { return ElementAt(i); }
    const TYPE* GetData() const { return m_v.data(); }
    TYPE* GetData() { return m_v.data(); }

    void SetAtGrow(int i, ARG_TYPE e)
    {
        if (i >= GetSize())
            SetSize(i + 1);
        m_v[static_cast<size_t>(i)] = e;
    }
    int Add(ARG_TYPE e) { m_v.push_back(e); return GetSize() - 1; }
    int Append(const CArray& src) { int old = GetSize(); m_v.insert(m_v.end(), src.m_v.begin(), src.m_v.end()); return old; }
    void Copy(const CArray& src) { m_v = src.m_v; }
    void InsertAt(int i, ARG_TYPE e, int nCount = 1)
    {
        if (i > GetSize())
            SetSize(i);
        m_v.insert(m_v.begin() + i, static_cast<size_t>(nCount), e);
    }
    void RemoveAt(int i, int nCount = 1)
    {
        assert(i >= 0 && nCount >= 0 && i + nCount <= GetSize());
        m_v.erase(m_v.begin() + i, m_v.begin() + i + nCount);
    }

    typename std::vector<TYPE>::iterator begin() { return m_v.begin(); }
    typename std::vector<TYPE>::iterator end() { return m_v.end(); }
    typename std::vector<TYPE>::const_iterator begin() const { return m_v.begin(); }
    typename std::vector<TYPE>::const_iterator end() const { return m_v.end(); }
    std::vector<TYPE>& Vector() { return m_v; }
    const std::vector<TYPE>& Vector() const { return m_v; }

private:
    bool InRange(int i) const { return i >= 0 && i < GetSize(); }

    std::vector<TYPE> m_v;
};

class CStringArray : public CArray<CString, const char*> {};
class CPtrArray : public CArray<void*, void*> {};
class CObArray : public CArray<CObject*, CObject*> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CUIntArray : public CArray<UINT, UINT> {};
class CWordArray : public CArray<WORD, WORD> {};
class CByteArray : public CArray<BYTE, BYTE> {};

// An array of typed pointers over a pointer array base.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS
{
public:
    TYPE GetAt(int i) const { return static_cast<TYPE>(BASE_CLASS::GetAt(i)); }
    TYPE operator[](int i) const { return GetAt(i); }
    TYPE& ElementAt(int i) { return reinterpret_cast<TYPE&>(BASE_CLASS::ElementAt(i)); }
    TYPE& operator[](int i) { return ElementAt(i); }
    int Add(TYPE p) { return BASE_CLASS::Add(p); }
    void SetAt(int i, TYPE p) { BASE_CLASS::SetAt(i, p); }
    void InsertAt(int i, TYPE p, int nCount = 1) { BASE_CLASS::InsertAt(i, p, nCount); }
};
