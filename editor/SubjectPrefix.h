// Subject prefixes of replies and forwards: recognising "Re:", "RE[2]:",
// "Re^3>", "Fw:", "FWD：" and a leading "[list:12]" tag, and making the
// subject of a reply or a forward. Pure functions on Shift_JIS text.
#pragma once

#include "classlib/ClassLib.h"

// A reply prefix at the start of pszText: "RE" in any case, optionally
// "[digits]" or "^digits", blanks, ":" or the full-width colon or ">", blanks.
// *pnLength receives the length of all of it.
bool IsReplyPrefix(const char* pszText, int* pnLength);
// A forward prefix: "FW" or "FWD" in any case, blanks, ":", "：" or ">", blanks.
bool IsForwardPrefix(const char* pszText, int* pnLength);
// A "[...]" tag (double-byte characters taken whole) and the blanks after it.
bool IsBracketTag(const char* pszText, int* pnLength);
// The text after a leading tag when text follows the tag; else the text.
const char* SkipBracketTag(const char* pszText, int* pnSkipped = nullptr);
// Skips leading prefixes of one sort: reply prefixes (when allowed) until a
// forward prefix, or forward prefixes (when allowed) until a reply prefix.
const char* SkipSubjectPrefixes(const char* pszText, bool bForward, bool bReply);

// The subject without its reply and forward prefixes and its list tag.
CString GetBareSubject(const char* pszSubject);
// "Re: " and the source subject without its reply prefixes; with bDropTag a
// list tag (and the reply prefixes behind it) is dropped as well.
CString MakeReplySubject(const char* pszSubject, bool bDropTag);
// "Fw: " and the subject without its leading forward prefixes; forward
// method 2 (sent on unchanged) keeps the subject as it is.
CString MakeForwardSubject(const char* pszSubject, int nForwardMethod);
