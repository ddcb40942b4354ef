// Character-set names of "CharSet.dat" as the language font dialog treats
// them: trimmed and upper-cased, so that names compare without regard to
// case.
#pragma once

#include "viewer/CharSetDataSet.h"

// Both ends trimmed of blanks (the double-byte blank too), letters in upper
// case; double-byte characters are left whole.
CString NormalizeCharSetName(const char* pszName);
// The first record of that name, deleted ones included.
CCharSetData* FindCharSetByName(const CCharSetDataSet& table, const char* pszName);
// Whether a record not marked deleted has the name, once normalised.
bool CharSetNameExists(const CCharSetDataSet& table, const char* pszName);
