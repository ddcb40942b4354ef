// CAddressData: one entry of a group's address file: address, name, memo,
// icon name and the extra properties, which the file keeps joined in one
// column (name 0x1F value 0x1E, repeated).
#pragma once

#include "addressbook/AddressProperty.h"
#include "core/DataStrgRecord.h"

#include <vector>

class CAddressData : public CDataStrgRecord
{
public:
    CString m_strAddress;
    CString m_strName;
    CString m_strMemo;
    CString m_strIconName = "IconDefault";
    // Empty when the entry has no properties.
    std::vector<CAddressProperty> m_properties;

    // The properties joined as the file stores them; line breaks inside a
    // name or value become one blank so the text never splits its line.
    CString GetPropertyText() const;
    void SetPropertyText(const char* pszText);

    // Copies address, name, memo and icon name and takes over the other's
    // properties (through their joined text).
    void CopyFrom(const CAddressData& other);
    // A copy for the address-book thread's groups: the texts and the index,
    // without the properties.
    CAddressData* Clone() const;
};
