// A toolbar layout stored as a "FILE" resource: 32-bit command ids, -1 a
// separator.
#pragma once

#include <windows.h>

#include <vector>

// The ids of the layout, ID_SEPARATOR (0) for a separator; empty when the
// resource is missing.
std::vector<UINT> LoadToolBarLayout(UINT nResourceID);
