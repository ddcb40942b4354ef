// Picking addresses from the address book for a caller that has no field of
// its own (the plug-in API's address selection).
#pragma once

#include "classlib/ClassLib.h"

// Shows the address book modally for picking; the addresses chosen when it
// closes (a double-click picks and closes), empty when none.
CString PickAddressText(HWND hParent);
