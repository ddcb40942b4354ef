// Text helpers of the mail store: the keys the mail index derives from its
// header columns (subject without tag, sort subject, bare address, times).
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>
#include <string_view>

namespace StoreText {

// Offset into the subject after a leading "[...]" tag and the blanks after
// it; 0 when nothing would be left.
int SkipSubjectTag(const CString& subject);
// Offset into the subject after the reply and forward prefixes, a bracketed
// tag, and the prefixes after that tag.
int SortSubjectOffset(const CString& subject);
// The bare address of a From text (the part in angle brackets).
CString BareAddress(const CString& from);
// The display-name part of an address text.
CString DisplayName(const CString& from);

// The name the address book gives a mail address; false when it has none.
typedef bool (*AddressBookLookup)(const char* pszAddress, CString& name);
// The address book registers its lookup while it runs (null: none).
void SetAddressBookLookup(AddressBookLookup pfnLookup);
// The name an address text is shown and sorted by in the mail list's
// address types other than 0, 3 and 4: the address book's name of its
// address, else its display name, else the address.
CString AddressBookName(const CString& entry);
// A normalised date text ("%Y/%m/%d %H:%M:%S zone") as UTC seconds, and as
// local wall-clock seconds.
int64_t ParseDate(std::string_view text);
int64_t ParseDateLocal(std::string_view text);

} // namespace StoreText
