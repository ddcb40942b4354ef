// CAddressProperty: one extra attribute of an address entry (for example a
// directory attribute the LDAP search returned), kept as name and value.
#pragma once

#include "classlib/ClassLib.h"

class CAddressProperty
{
public:
    CString m_strName;
    CString m_strValue;
};
