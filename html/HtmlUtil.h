// Free functions on HTML text, file names, charsets and line ends shared by
// the editor, the mail reader, the attachment list and the task list.
//
// Text is code page 932. The HTML scans look only at ASCII delimiters that
// can never be the second byte of a double-byte character, so they work on
// Shift_JIS and on UTF-8 text alike.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

class CRelatedPartList;

// ---- Local files of an HTML mail as related parts ----
// Rewrites the local pictures and pages that the HTML at pszPath (none for a
// mail without a page file) shows or links, by path or "file:" address, into
// "cid:" references and enters each file into the list. Without pszText the
// file itself is read (a file that cannot be read gives an empty text).
// Files outside the folder of pszPath go only when the page as stored there
// does not name them, unless the page is the user's own (bUsersPage, written
// by their HTML editor): a mail that is sent on must not carry other files
// of the disk, whatever its HTML names, while pictures put in while writing
// go along.
CString ConvertHtmlLinksToCid(const char* pszText, const char* pszPath, CRelatedPartList& list,
                              bool bUsersPage = false);
// One tag, "<" to ">": the first of the attributes src, background, href and
// value that the tag has (in that order) has its value rewritten.
CString RewriteTagLinks(const char* pszTag, const char* pszPath, CRelatedPartList& list);
// The text after an attribute name: [blank] "=" [blank] value rest.
CString RewriteLinkAttributeValue(const char* pszText, const char* pszPath, CRelatedPartList& list);

// ---- Text ----
// The visible text of the body: tags and comments removed, BR, P and TR as
// line breaks (never more than two in a row), script and style contents
// dropped, and the entities &nbsp; &lt; &gt; "&quot; " and "&amp; " decoded.
CString HtmlToPlainText(const char* pszHtml);
// "%" and two hex digits (either case) give their byte, "+" a space.
CString UrlDecode(const char* pszText);
// The byte of two hex digits; a character that is no hex digit counts as 0.
unsigned char HexPairToByte(char chHigh, char chLow);

// ---- Names and types ----
// .html .htm .exe .com .bat .cmd .js .vbs, any case.
bool IsRiskyFileExtension(const char* pszFileName);
bool IsIso2022JpCharset(const char* pszCharset);
bool IsWordType(const char* pszContentType);
bool IsExcelType(const char* pszContentType);
// True when no byte is a lead byte of a double-byte character.
bool IsSingleByteText(const char* pszText);
// "MS Gothic" and "MS PGothic" (any case) by their Japanese face names.
CString ToJapaneseFontName(const char* pszFaceName);

// ---- Line ends ----
// Every line end (CR LF, LF CR, lone CR or LF) becomes CR LF.
void NormalizeLineEnds(CString& strDest, const char* pszSource);
// CR LF <-> the record separator 0x1E, so that a multi-line text fits one
// field of a tab-separated record.
CString EncodeLineBreaks(const char* pszText);
CString DecodeLineBreaks(const char* pszText);

// Multi-byte text of the font charset's code page (Hangul, GB2312, Big5,
// Greek, Turkish, Arabic, Baltic, Russian, Thai; any other charset: the
// program's code page) as UTF-16; nLength bytes, -1 up to the NUL. Returns
// the count of wide characters.
int MultiByteToWideForCharset(std::wstring& strWide, const char* pszText, int nLength, int nCharset);
