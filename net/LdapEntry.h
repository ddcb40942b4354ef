// CLdapEntry: one directory entry as the LDAP search hands it to the address
// book: the mail address, the name, the chosen third value and every other
// attribute with its first value, in the order the server returned them.
// The address book copies it into its own address record.
#pragma once

#include "classlib/ClassLib.h"

#include <utility>
#include <vector>

class CLdapEntry
{
public:
    CString m_strMail;
    CString m_strName;
    CString m_strThird;
    // (attribute name, value); empty when the entry had no further attribute.
    std::vector<std::pair<CString, CString>> m_attributes;
};
