#include "addressbook/AddressGroupData.h"

void CAddressGroupData::CopyFrom(const CAddressGroupData& other)
{
    const BYTE deleted = m_bDeleted;
    const int index = m_nIndex;
    *this = other;
    m_bDeleted = deleted;
    m_nIndex = index;
}
