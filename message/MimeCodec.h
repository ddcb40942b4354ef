// CMimeCodec: the codec set every parsed message owns: Base64,
// quoted-printable, uuencode and BinHex, the encoded header words of RFC 2047,
// and whole-text and whole-file decoders built on them.
#pragma once

#include "classlib/ClassLib.h"
#include "message/Base64.h"
#include "message/BinHex.h"
#include "message/QuotedPrintable.h"
#include "message/Uuencode.h"

#include <string>
#include <vector>

// Transfer-encoding codes of Content-Transfer-Encoding.
enum MailTransferEncoding {
    kEncoding7Bit = 0,
    kEncoding8Bit = 1,
    kEncodingBinary = 2,
    kEncodingQuotedPrintable = 3,
    kEncodingBase64 = 4,
    kEncodingUuencode = 5,
    kEncodingBinHex = 6,
};

class CMimeCodec
{
public:
    CMimeCodec() = default;
    virtual ~CMimeCodec() = default;
    CMimeCodec(const CMimeCodec&) = delete;
    CMimeCodec& operator=(const CMimeCodec&) = delete;

    // ---- Encoded header words ----
    // Runs of double-byte characters become ISO-2022-JP words, Base64 (mode
    // 0) or quoted-printable (any other mode); single-byte characters stay.
    CString EncodeHeaderText(const char* pszText, int nMode = 0);
    // A Shift_JIS text as encoded words of at most nMaxWord characters (the
    // first at most nFirstRoom), cut between whole characters so that each
    // decodes alone, and so that no word but the last ends in Base64 padding
    // (a reader may stop at such a word). ISO-2022-JP, or UTF-8 for a text
    // that ISO-2022-JP does not carry.
    static std::vector<CString> EncodeWords(const char* pszText, size_t nLength, int nFirstRoom, int nMaxWord);
    // The same in quoted-printable mode.
    CString EncodeHeaderTextQP(const char* pszText) { return EncodeHeaderText(pszText, 1); }
    // The value with its encoded words decoded into Shift_JIS; with
    // bCharsetOnly the charset name of its first word instead (as written;
    // empty when there is none). A word that is not closed by "?=" stays as
    // it stands.
    CString DecodeHeaderText(const char* pszText, bool bCharsetOnly = false);

    static CString DecodeUtf8(const char* pszText, int nLength = -1);
    static CString DecodeUtf7(const char* pszText, int nLength = -1);

    // ---- Whole texts ----
    CString DecodeBase64Text(const char* pszText, int nLength = -1);
    CString DecodeQuotedPrintableText(const char* pszText, int nLength = -1);
    CString DecodeUuencodeLine(const char* pszLine);
    CString DecodeBinHexText(const char* pszText);
    // Decodes CR LF separated Base64 lines into pBuffer until a line that is
    // exactly ".", the end of the text or a line that no longer fits; returns
    // the byte count (the buffer NUL-terminated when there is room).
    int DecodeBase64Lines(const char* pszText, char* pBuffer, int nSize);
    // The body of a MIME part decoded by its transfer-encoding code (lines
    // split for Base64, soft breaks joined for quoted-printable, uuencode
    // between its "begin" and "end" lines); other codes copy.
    static std::string DecodeTransfer(const char* pText, size_t nLength, int nEncoding);
    // The same into a buffer the caller keeps from one part to the next.
    static void DecodeTransfer(const char* pText, size_t nLength, int nEncoding, std::string& out);

    // ---- Files (false when the file cannot be created) ----
    bool DecodeBase64TextToFile(const char* pszText, const char* pszPath);
    bool DecodeQuotedPrintableToFile(const char* pszText, const char* pszPath);
    // The text from its "begin " line; decodes up to the "end" line.
    bool UudecodeToFile(const char* pszText, const char* pszPath);
    bool DecodeBinHexToFile(const char* pszText, const char* pszPath);
    bool DecodeHeaderTextToFile(const char* pszText, const char* pszPath);

    CString GetMailAddressOnly(const char* pszAddress);

    CBase64 m_base64;
    CQuotedPrintable m_quotedPrintable;
    CUuencode m_uuencode;
    CBinHex m_binHex;
};
