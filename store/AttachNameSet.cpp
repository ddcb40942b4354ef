#include "store/AttachNameSet.h"

#include "classlib/Mbcs.h"

#include <cstring>

void CAttachNameSet::Clear()
{
    std::vector<uint64_t>().swap(m_slots);
    m_nCount = 0;
}

uint64_t CAttachNameSet::Fingerprint(const char* pszName)
{
    // Lower-cased as CString lowers a code page 932 name: the second byte of
    // a double-byte character is left as it is.
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    size_t left = pszName ? strlen(pszName) : 0;
    for (const char* p = pszName; left > 0;) {
        size_t n = Mbcs::CharLength(p, left);
        for (size_t k = 0; k < n; k++) {
            unsigned char c = static_cast<unsigned char>(p[k]);
            if (n == 1 && c >= 'A' && c <= 'Z')
                c = static_cast<unsigned char>(c + ('a' - 'A'));
            h ^= c;
            h *= 1099511628211ull;
        }
        p += n;
        left -= n;
    }
    return h ? h : 1;
}

void CAttachNameSet::Insert(uint64_t key)
{
    size_t mask = m_slots.size() - 1;
    size_t i = static_cast<size_t>(key ^ (key >> 32)) & mask;
    while (m_slots[i] && m_slots[i] != key)
        i = (i + 1) & mask;
    if (!m_slots[i]) {
        m_slots[i] = key;
        m_nCount++;
    }
}

void CAttachNameSet::Add(const char* pszName)
{
    if ((m_nCount + 1) * 2 > m_slots.size()) {
        std::vector<uint64_t> old;
        old.swap(m_slots);
        m_slots.assign(old.empty() ? 1024 : old.size() * 2, 0);
        m_nCount = 0;
        for (uint64_t key : old)
            if (key)
                Insert(key);
    }
    Insert(Fingerprint(pszName));
}

bool CAttachNameSet::MayContain(const char* pszName) const
{
    if (m_slots.empty())
        return false;
    uint64_t key = Fingerprint(pszName);
    size_t mask = m_slots.size() - 1;
    for (size_t i = static_cast<size_t>(key ^ (key >> 32)) & mask; m_slots[i]; i = (i + 1) & mask)
        if (m_slots[i] == key)
            return true;
    return false;
}
