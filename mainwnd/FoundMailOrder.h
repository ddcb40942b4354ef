// The row order of the lists with real rows (the search result list): the
// key of a sort item compared as text, time or number, never equal, so that
// the list control's sort gets a strict answer for every pair.
#pragma once

#include "classlib/ClassLib.h"

class CMailIndexRecord;

namespace FoundMailOrder {

// Sort items: 0 attachment, 1 subject without prefixes and tag, 2 bare From
// address, 3 sent and 4 received time, 5 size, 6 the folder name (pszFolderA
// and B; the recipients when they are null), 7 label colour, 8 bookmark,
// 9 subject as stored, 12 and -1 record position, 13 From as shown; any
// other the received-date text. Ascending: 1 when a's key is greater, else
// -1; descending the other way round.
int Compare(CMailIndexRecord& a, const char* pszFolderA, CMailIndexRecord& b, const char* pszFolderB, int nItem,
            bool bAscending);

} // namespace FoundMailOrder
