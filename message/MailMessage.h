// CMailMessage: the header block of a mail parsed into its header lines and
// the fields the rest of the program reads by name. The parser is lenient:
// whatever it is given yields a header list and fields, with defaults for
// what is missing.
#pragma once

#include "classlib/ClassLib.h"
#include "message/MailHeader.h"
#include "message/MimeCodec.h"
#include "message/MimeParameters.h"

#include <cstdint>
#include <string>

// Content codes: one code space for main types, subtypes and disposition words.
enum MailContentCode {
    kContentUnknown = -1,
    kContentText = 0,
    kContentPlain = 1,
    kContentRichText = 2,
    kContentHtml = 3,
    kContentVCard = 4,
    kContentMultipart = 5,
    kContentMixed = 6,
    kContentAlternative = 7,
    kContentRelated = 8,
    kContentMessage = 10,
    kContentRfc822 = 11,
    kContentPartial = 12,
    kContentApplication = 15,
    kContentOctetStream = 16,
    kContentBinHex = 17,
    kContentAttachment = 18,
    kContentImage = 19,
    kContentOther = 20,
    kContentInline = 21,
};

// Filter rules may hold a prepared pattern for a condition text. The hook
// answers whether one exists for pszText and, when it does, whether pszValue
// matches it.
typedef bool (*FilterPatternHook)(const char* pszText, const char* pszValue, bool* pbMatch);
FilterPatternHook SetFilterPatternHook(FilterPatternHook hook);

class CMailMessage
{
public:
    CMailMessage();
    virtual ~CMailMessage();
    CMailMessage(const CMailMessage&) = delete;
    CMailMessage& operator=(const CMailMessage&) = delete;

    // The header block of a mail in memory: the text up to the first blank
    // line (all of it when there is none). Returns true.
    bool ParseHeaderText(const char* pszText);
    // Reads a mail file and parses its header block (cut at the first blank
    // line, else at a line "."). False when the file cannot be opened or has
    // neither; the message is then left as it was.
    bool ParseFile(const char* pszPath);
    // Parses a header block. Returns true.
    bool Parse(const char* pszText, int nLength = -1);

    CString GetHeader(const char* pszName) const;
    void AddHeader(const char* pszName, const char* pszValue);
    // Rewrites (or adds) the charset parameter of the Content-Type (or
    // X-Content-Type) line, raw text included when it is kept.
    void SetCharset(const char* pszCharset);
    // The header lines as kept raw (keep-raw flag), else "name: value" lines,
    // each ended by CR LF.
    CString GetHeaderText() const;
    CString GetArcID() const;
    static CString GetArcPassword(const CPtrArray& headers);
    // The text between the last "<" and the ">" after it, at most 127 characters.
    static CString ExtractAddress(const char* pszText);
    bool MatchCondition(const char* pszText, const char* pszHeaderName, bool bEmptyNameResult, bool bNegate) const;
    // The charset of the first text/plain Content-Type of a header block,
    // upper case; the media type fields are set on the way.
    CString GetHeaderCharset(const char* pszHeaderText);

    int GetHeaderCount() const { return m_headers.GetSize(); }
    CMailHeader* GetHeaderAt(int i) const { return static_cast<CMailHeader*>(m_headers.GetAt(i)); }
    // Content code of the disposition word: kContentAttachment, kContentInline or -1.
    int GetDispositionCode() const;
    // Whether the parsed header gives its multipart subtype as "digest".
    bool IsDigest() const;
    // A part of a multipart/digest without a Content-Type of its own is an
    // enclosed mail (message/rfc822) rather than text/plain; this makes it
    // one. Nothing changes when the part names its type.
    void DefaultToEnclosedMail();

    // ---- Fields ----
    CPtrArray m_headers;  // owned CMailHeader*, in order of appearance
    CMimeCodec* m_pCodec;
    int m_nMainType;
    int m_nSubType;
    int m_nTransferEncoding;
    int m_nPriority;
    CString m_strReceiveAccount;
    CString m_strSendAccount;
    bool m_bHasAttachFile;
    CString m_strSubject;
    CString m_strRawSubject;
    CString m_strFrom, m_strReplyTo, m_strTo, m_strCc, m_strBcc;
    CString m_strDate;
    CString m_strRawDate;
    CString m_strAttachFolder;
    CString m_strMediaType;
    CString m_strSubTypeText;
    CString m_strContentId;
    CString m_strCharset;
    CString m_strBoundary;
    CString m_strMessageId;
    CString m_strReferenceId;
    CString m_strReferences;
    CString m_strMimeVersion;
    CString m_strTransferEncoding;
    CString m_strDisposition;
    CString m_strDispositionWord;
    CString m_strName;
    CString m_strFileName;
    CString m_strDescription;
    int m_nPartialTotal;
    int m_nPartialNumber;
    CString m_strPartialTotal;
    CString m_strPartialNumber;
    CString m_strPartialId;
    int64_t m_creationTime;
    bool m_bHasCreationTime;
    int64_t m_modificationTime;
    bool m_bHasModificationTime;
    bool m_bResent;
    int m_nForwardType;
    bool m_bKeepFromAddress;
    CString m_strMailer;
    CString m_strSignName;
    int m_nCreateFolderId;
    bool m_bSetHeaders;
    bool m_bReadReceipt;
    CString m_strReadReceiptAddress;
    CStringArray m_attachPaths;
    bool m_bKeepRaw;

private:
    void ResetFields();
    void DeleteHeaders();
    // Reads one header from text[pos, end); returns the position after it.
    size_t ReadHeader(const char* text, size_t pos, size_t end, CMailHeader& header);
    void ApplyField(CMailHeader& header);
    void ParseContentType(const char* pszValue);
    void ParseDisposition();
    // A parameter's text in Shift_JIS: an extended value from its charset,
    // a plain one with its header words decoded.
    CString ParameterText(const CMimeParameters::Value& value) const;
    void FinishFields();
};

// True for the header names the program writes for itself and never sends;
// the case of the letters counts unless bIgnoreCase.
bool IsPrivateHeader(const char* pszName, bool bIgnoreCase = false);
// A mail without the header lines of IsPrivateHeader, in any case of
// letters (their folds with them).
std::string WithoutPrivateHeaders(const std::string& mail);
// Charset code of the message's charset name (-1 for unknown names and Shift_JIS).
int CharsetNameToCode(const CMailMessage& message);
int CharsetNameToCode(const char* pszCharset);
