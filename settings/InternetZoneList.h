// The security zones of the platform's Internet zone manager.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

struct InternetZone
{
    DWORD nZone;
    CString strName;
};

// In the manager's enumeration order; empty when the manager is missing.
std::vector<InternetZone> ListInternetZones();

// Replaces the zone manager (tests; the zone manager of the test machine
// may list no zones). Returns the one replaced; null restores the manager.
typedef std::vector<InternetZone> (*InternetZoneLister)();
InternetZoneLister SetInternetZoneLister(InternetZoneLister lister);
