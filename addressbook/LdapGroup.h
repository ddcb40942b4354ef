// Refreshing an LDAP group: its directory search replaces the group's
// address file, and the set is then read from that file.
#pragma once

#include "addressbook/AddressDataSet.h"
#include "addressbook/AddressGroupData.h"

// pSet must be pointed at the group's (absolute) file path. Only an LDAP
// group is searched; any group is then read from its file. A search that
// fails, or finds nothing, leaves the saved addresses as they are; with
// bShowError a failure is reported in a message box.
void LoadLdapGroup(const CAddressGroupData* pGroup, CAddressDataSet* pSet, BOOL bShowError);
