// The sort arrow of a list's header: up on the sorted column for ascending
// order, down for descending, none on the others.
#pragma once

#include <windows.h>

// nColumn -1 clears every arrow.
void SetHeaderSortMark(HWND hHeader, int nColumn, bool bAscending);
