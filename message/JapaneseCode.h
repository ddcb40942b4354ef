// Conversions between the Japanese codes met in mail and the program's own
// Shift_JIS (code page 932), the folding of half-width katakana before
// sending, and the MIME names of the program's charset codes.
//
// None of them fails: bytes that cannot be placed are copied or become "?".
// Every function takes an explicit length (-1: up to the first NUL) and never
// reads past it.
#pragma once

#include "classlib/ClassLib.h"

// Shift_JIS -> ISO-2022-JP. Double-byte runs are opened with ESC $ B and
// closed with ESC ( B; half-width katakana stay 8-bit bytes (fold them first
// with HalfWidthKanaToFullWidth). The IBM extensions (0xFA40-0xFC4B) become
// the codes of the same characters in the NEC rows (row 13 and the
// NEC-selected rows 89-92), as Windows' own encoder writes them.
CString SjisToJis(const char* pszText, int nLength = -1);

// True when the text holds a character that ISO-2022-JP as every reader
// reads it (JIS X 0208 and the NEC row 13) does not carry: the IBM
// extensions and their NEC-selected codes, user-defined characters,
// half-width katakana and stray 8-bit bytes.
bool HasCharsBeyondJis(const char* pszText, int nLength = -1);

// ANSI code page -> UTF-8.
CString AnsiToUtf8(const char* pszText, int nLength = -1);

// ISO-2022-JP -> Shift_JIS. Shift_JIS input passes through unchanged (apart
// from control characters other than white space, which are dropped). Bytes of
// a double-byte run that are no JIS X 0208 code become "?". The result is
// never longer than the input.
CString JisToSjis(const char* pszText, int nLength = -1);
// The same into a buffer the caller keeps from one text to the next.
void JisToSjis(const char* pszText, int nLength, CString& out);

// EUC-JP -> Shift_JIS.
CString EucToSjis(const char* pszText, int nLength = -1);
void EucToSjis(const char* pszText, int nLength, CString& out);

// Half-width katakana (0xA0-0xDF) replaced by their full-width forms, voiced
// and semi-voiced marks merged into the character before them.
CString HalfWidthKanaToFullWidth(const char* pszText);
// True when HalfWidthKanaToFullWidth would change the text.
bool HasHalfWidthKana(const char* pszText);

// MIME name of a charset code (0 "ISO-2022-JP", 1 "Shift_JIS", ...); empty
// for codes without a name.
CString GetCharsetNameByCode(int nCode);

// Windows code page for a MIME charset name, or 0 when the program keeps the
// bytes as they are (Shift_JIS, ISO-2022-JP, US-ASCII, unknown names). A code
// page that this machine does not have counts as unknown too.
UINT GetCodePageOfCharset(const char* pszCharset);

// Text in the given Windows code page converted to the ANSI code page through
// UTF-16.
CString ConvertCodePageToAnsi(const char* pszText, int nLength, UINT nCodePage);

// UTF-8 -> ANSI code page. Malformed sequences (a stray continuation byte, a
// sequence cut short by the end of the text or by a byte that does not
// continue it) become "?"; four-byte sequences become surrogate pairs.
CString Utf8ToAnsi(const char* pszText, int nLength = -1);
void Utf8ToAnsi(const char* pszText, int nLength, CString& out);
// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF) and hold at least one multi-byte sequence.
bool IsMultiByteUtf8(const char* pszText, int nLength = -1);
// Header text as it stood in a mail, raw 8-bit bytes included, in Shift_JIS.
// Mail of current programs may carry UTF-8 in its headers without encoded
// words: text that IsMultiByteUtf8 accepts is read as UTF-8 (characters the
// code page lacks get the platform's usual replacement); any other text is
// ISO-2022-JP or Shift_JIS and goes through JisToSjis as before.
CString RawHeaderTextToSjis(const char* pszText, int nLength = -1);

// UTF-7 -> ANSI code page. A run opened by "+" ends at "-" (which is dropped)
// or at any character outside the Base64 alphabet (which is kept); a run still
// open at the end of the text is decoded as far as it goes.
CString Utf7ToAnsi(const char* pszText, int nLength = -1);
