// CWabAddress: one entry read from a Windows Address Book file, and the
// list of them that the address book imports.
#pragma once

#include "classlib/ClassLib.h"

class CWabAddress
{
public:
    CString m_strAddress;
    CString m_strDisplayName;
    CString m_strNote;
    CString m_strAddressType;
};

// Frees every CWabAddress of the list and empties it.
void ClearWabAddressList(CPtrArray& list);
