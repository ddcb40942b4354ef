// CMimePart: one MIME part of a mail held in memory: its parsed header and
// the place of its body in the caller's text, with the parts of a multipart
// (or the message of a message/rfc822 part) as children. Bodies are not
// copied; the text must outlive the parts.
#pragma once

#include "classlib/ClassLib.h"
#include "message/MailMessage.h"

#include <string>

class CMimePart
{
public:
    // Deeper trees are not walked: a multipart at this depth keeps its whole
    // body as text.
    static constexpr int kMaxDepth = 32;

    CMimePart() = default;
    ~CMimePart();
    CMimePart(const CMimePart&) = delete;
    CMimePart& operator=(const CMimePart&) = delete;

    // A whole mail (or part): the header up to the first blank line, then
    // the body. A text without a blank line is all header. Returns true.
    bool Parse(const char* pText, size_t nLength, int nDepth = 0);

    int GetChildCount() const { return m_children.GetSize(); }
    CMimePart* GetChild(int i) const { return static_cast<CMimePart*>(m_children.GetAt(i)); }
    const char* GetBody() const { return m_pBody; }
    size_t GetBodyLength() const { return m_nBodyLength; }
    // The body with its transfer encoding undone.
    std::string DecodeContent() const;
    // The decoded body converted to Shift_JIS by the part's charset.
    CString DecodeText() const;
    // The same two into buffers the caller keeps from one part and one mail
    // to the next (bytes holds the undone transfer encoding on the way), so
    // that decoding a mail takes no memory of the heap once they are large
    // enough.
    void DecodeContent(std::string& bytes) const;
    void DecodeText(CString& text, std::string& bytes) const;
    // True when the depth bound stopped the walk at this part.
    bool IsDepthLimited() const { return m_bDepthLimited; }

    CMailMessage m_header;

private:
    // The header and the place of the body, without looking inside the body.
    void ParseHeader(const char* pText, size_t nLength);
    // The parts of a multipart or the enclosed mail, by the parsed header.
    void ParseChildren(int nDepth);
    // A multipart/digest's parts without a Content-Type are enclosed mails.
    void ParseMultipart(int nDepth);

    const char* m_pBody = "";
    size_t m_nBodyLength = 0;
    CPtrArray m_children;  // owned CMimePart*
    bool m_bDepthLimited = false;
};

// Text in a MIME charset converted to Shift_JIS (ISO-2022-JP, US-ASCII and an
// empty name through JisToSjis; unknown names keep the bytes).
CString ConvertCharsetToSjis(const char* pText, size_t nLength, const char* pszCharset);
void ConvertCharsetToSjis(const char* pText, size_t nLength, const char* pszCharset, CString& out);
