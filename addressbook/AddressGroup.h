// CAddressGroup: a group as the address-book thread holds it for other
// threads: id, name, the absolute path of its address file and copies of
// its entries.
#pragma once

#include "addressbook/AddressData.h"

#include <memory>
#include <vector>

class CAddressGroup
{
public:
    int m_nId = 0;
    CString m_strName;
    CString m_strFilePath;
    std::vector<std::unique_ptr<CAddressData>> m_members;

    // The first member after pStartAfter (from the start when null) whose
    // upper-cased name, address and memo contain the given criteria (passed
    // upper-cased; an empty criterion matches anything). Its address goes
    // to strAddress. Null when none matches.
    const CAddressData* FindAddress(const char* pszName, const char* pszAddress, const char* pszMemo,
                                    const CAddressData* pStartAfter, CString& strAddress) const;
};

// True when the text (passed upper-cased) contains the upper-cased address
// of any member of the group: a substring test, so a member address also
// matches inside a longer text such as a completion line.
bool IsAddressInGroup(const CAddressGroup* pGroup, const char* pszUpperText);
