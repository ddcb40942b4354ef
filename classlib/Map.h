// Associative maps iterated by POSITION, with the member names the program uses.
#pragma once

#include "classlib/Object.h"
#include "classlib/String.h"

#include <windows.h>
#include <map>

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject
{
    typedef std::map<KEY, VALUE> Store;

public:
    int GetCount() const { return static_cast<int>(m_map.size()); }
    int GetSize() const { return GetCount(); }
    bool IsEmpty() const { return m_map.empty(); }

    bool Lookup(ARG_KEY key, VALUE& value) const
    {
        auto it = m_map.find(KEY(key));
        if (it == m_map.end())
            return false;
        value = it->second;
        return true;
    }
    void SetAt(ARG_KEY key, ARG_VALUE value) { m_map[KEY(key)] = value; }
    VALUE& operator[](ARG_KEY key) { return m_map[KEY(key)]; }
    bool RemoveKey(ARG_KEY key) { return m_map.erase(KEY(key)) != 0; }
    void RemoveAll() { m_map.clear(); }

    // Positions point at the stored pair; the map's nodes do not move.
    POSITION GetStartPosition() const
    {
        return m_map.empty() ? nullptr : ToPos(&*m_map.begin());
    }
    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const
    {
        const auto* entry = reinterpret_cast<const typename Store::value_type*>(pos);
        key = entry->first;
        value = entry->second;
        auto it = m_map.find(entry->first);
        ++it;
        pos = it == m_map.end() ? nullptr : ToPos(&*it);
    }

private:
    static POSITION ToPos(const typename Store::value_type* p)
    {
        return reinterpret_cast<POSITION>(const_cast<typename Store::value_type*>(p));
    }

    Store m_map;
};

class CMapStringToString : public CMap<CString, const char*, CString, const char*> {};
class CMapStringToPtr : public CMap<CString, const char*, void*, void*> {};
class CMapStringToOb : public CMap<CString, const char*, CObject*, CObject*> {};
class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {};
class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {};
class CMapWordToOb : public CMap<WORD, WORD, CObject*, CObject*> {};
