#include "addressbook/AddressGroup.h"

#include <cstring>

namespace {

bool ContainsUpper(const CString& field, const char* pszCriterion)
{
    if (!pszCriterion || !*pszCriterion)
        return true;
    CString upper = field;
    upper.MakeUpper();
    return std::strstr(upper, pszCriterion) != nullptr;
}

} // namespace

const CAddressData* CAddressGroup::FindAddress(const char* pszName, const char* pszAddress, const char* pszMemo,
                                               const CAddressData* pStartAfter, CString& strAddress) const
{
    size_t i = 0;
    if (pStartAfter) {
        while (i < m_members.size() && m_members[i].get() != pStartAfter)
            ++i;
        // A start-after member that is no longer there starts from the top.
        i = i < m_members.size() ? i + 1 : 0;
    }
    for (; i < m_members.size(); ++i) {
        const CAddressData* m = m_members[i].get();
        if (ContainsUpper(m->m_strName, pszName) && ContainsUpper(m->m_strAddress, pszAddress)
            && ContainsUpper(m->m_strMemo, pszMemo)) {
            strAddress = m->m_strAddress;
            return m;
        }
    }
    return nullptr;
}

bool IsAddressInGroup(const CAddressGroup* pGroup, const char* pszUpperText)
{
    if (!pGroup || !pszUpperText)
        return false;
    for (const auto& m : pGroup->m_members) {
        if (m->m_strAddress.IsEmpty())
            continue;
        CString upper = m->m_strAddress;
        upper.MakeUpper();
        if (std::strstr(pszUpperText, upper))
            return true;
    }
    return false;
}
