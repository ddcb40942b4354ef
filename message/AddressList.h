// Address lists of mail headers and the percent forms of parameter values
// (RFC 2231) and mail links.
#pragma once

#include "classlib/ClassLib.h"

// Splits an address list at commas outside double quotes and comments (and
// after an entry whose "<...>" is complete) and appends each trimmed entry,
// name part included. With bUnique an entry whose bare address is already in
// the array (case-insensitive) is dropped. False for a missing text or array.
bool ParseAddressList(const char* pszList, CStringArray* pEntries, bool bUnique = false);
// The entries of an address list as an address field shows them: joined by
// ", " with no separator after the last (lists that end in "," come from the
// send information dialog).
CString AddressFieldText(const char* pszList);
// The bare address of one entry: the text in its last angle brackets, else
// the text before "(", else its first word; quoted text ignored.
CString ExtractMailAddress(const char* pszEntry);
// The display name of one entry (name part or comment, quotes removed).
CString ExtractDisplayName(const char* pszEntry);
// Whether an entry of the list has that bare address, letter case aside
// (whole addresses: "ko@example.jp" is not in "hanako@example.jp").
bool AddressListContains(const char* pszList, const char* pszAddress);

// "%xx" escapes to bytes, then ISO-2022-JP to Shift_JIS.
CString DecodePercentText(const char* pszText);
// "%xx" escapes to bytes only, nothing converted.
CString DecodePercentBytes(const char* pszText, int nLength = -1);
// Shift_JIS -> ISO-2022-JP, then letters and digits kept, line breaks as
// CR LF, every other byte "%xx" (with the byte after it).
CString EncodePercentText(const char* pszText);
