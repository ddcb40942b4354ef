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
