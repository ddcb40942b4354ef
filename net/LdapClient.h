// CLdapClient: one directory search for the address book over the platform's
// LDAP library. It keeps nothing between calls; every input comes with the call.
#pragma once

#include "classlib/ClassLib.h"
#include "net/LdapEntry.h"

class CLdapClient
{
public:
    virtual ~CLdapClient() = default;

    // Connects to host:port, sets the protocol version (2 or 3), binds simply
    // (a null or empty bind name binds anonymously), searches base/scope/filter
    // for all attributes within nTimeout seconds and appends one new
    // CLdapEntry per entry found to pResults (the caller owns array and
    // entries). Attribute names are matched without regard to case; values
    // are taken as UTF-8 and converted when bUtf8 is set. On false, strError
    // says why and nothing was appended. A search cut short by the server's
    // size limit still returns true with the entries it got; strError then
    // carries the size-limit text.
    bool Search(const char* pszHost, int nPort, const char* pszBindName, const char* pszPassword,
                const char* pszBase, const char* pszFilter, int nScope,
                const char* pszMailAttr, const char* pszNameAttr, const char* pszThirdAttr,
                CPtrArray* pResults, CString& strError, int nVersion, BOOL bUtf8, int nTimeout);

    // Name of an LDAP result code as the search error text shows it; empty
    // for a code without a name.
    static const char* ResultCodeName(ULONG nCode);
};

// The address book's form of the same search: name, mail and memo attribute
// in that order.
bool LdapSearch(const char* pszServer, int nPort, const char* pszBindName, const char* pszPassword,
                const char* pszBase, const char* pszFilter, int nScope,
                const char* pszNameAttr, const char* pszMailAttr, const char* pszMemoAttr,
                CPtrArray* pResults, CString& strError, int nVersion, BOOL bUtf8, int nTimeout);
