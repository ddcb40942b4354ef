// Text operations of the HTML editing code: element HTML into the program's
// narrow strings (everything past ASCII as character references, so nothing
// is lost to code page 932) and the small trims the table commands use.
#pragma once

#include "classlib/ClassLib.h"

#include <oleauto.h>

// Characters 1-126 as single bytes, every other as "&#x%04X;"; stops at the
// first NUL. A null text gives an empty string.
CString ToNarrowWithReferences(const wchar_t* pszText);
// The trimmed text without one wrapping element of the tag (compared without
// regard to case); the trimmed text when it is not so wrapped.
CString UnwrapTag(const char* pszText, const char* pszTag);
// The text without the affix at its end (bAtEnd) or start, compared without
// regard to case; unchanged when it is not there or either is empty.
CString StripAffix(const char* pszText, const char* pszAffix, bool bAtEnd);
// A 32-bit integer or a boolean as "%d", a string in the ANSI code page,
// anything else empty.
CString VariantToText(const VARIANT& value);
