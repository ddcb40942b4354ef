// CMailFileReader: files one mail file into a folder: parses it, writes its
// parts into the mail's attachment folder, appends the mail to "MailData.Qmd"
// and gives the folder store the values of its index record.
#pragma once

#include "classlib/ClassLib.h"

#include <memory>
#include <string>
#include <vector>

class CMailMessage;

// The header values an index record takes from a mail.
struct MailHeaderValues
{
    CString strSubject, strFrom, strTo, strCc;
    CString strDate;  // normalised ("%Y/%m/%d %H:%M:%S zone"); empty when the mail has none
    CString strMessageId;
    CString strReference;  // the id this mail answers, or the id of a split message
    CString strAccount;    // "X-ReceiveAcount"
    CString strCharset;
    int nPriority = 3;
    BOOL bReceipt = FALSE;
    int nPartNumber = 0;
    int nPartTotal = 0;
};

class CMailFileReader
{
public:
    CMailFileReader();
    CMailFileReader(const CMailFileReader&) = delete;
    CMailFileReader& operator=(const CMailFileReader&) = delete;
    ~CMailFileReader();

    // Parses the mail, stores its parts (bStore) and appends it to
    // "MailData.Qmd" in the folder directory. 1 on success, 0 when the data
    // file could not be written.
    int ReadMailFile(const char* pszFolderDir, const char* pszMailPath, BOOL bStore = TRUE, int nCodePage = -1,
                     int nForcedEncoding = -1);
    // The same for the bytes of a mail file held in memory, filed under the
    // name its file would have had (the text is taken over).
    int ReadMailText(const char* pszFolderDir, const char* pszMailName, std::string& text, BOOL bStore = TRUE,
                     int nCodePage = -1, int nForcedEncoding = -1);
    // Reads and decodes the mail (parts stored only with bStore). 1 when the
    // mail was read, 0 when it could not be opened or has no header.
    int ParseMailFile(const char* pszMailPath, const char* pszFolderDir, BOOL bStore = TRUE, int nCodePage = -1,
                      int nForcedEncoding = -1);
    // The same for a mail already in memory (a stored mail being shown).
    int ParseMailText(const std::string& text, BOOL bStore = FALSE, int nCodePage = -1, int nForcedEncoding = -1);
    // Tells the next filing that no folder of the mail's name exists under
    // "Attach" yet (the store knows the names it has), so nothing there need
    // be looked for.
    void SetAttachFolderNew(BOOL bNew) { m_bAttachFolderNew = bNew; }
    // An open data file to append the entry to (kept open; closed only when
    // a write fails), instead of opening the folder's own for this mail.
    void SetDataFile(CFile* pFile) { m_pDataFile = pFile; }
    // The last filing created the mail's attachment folder.
    BOOL MadeAttachFolder() const { return m_bAttachFolderMade; }
    // Parses a header block alone (the index rebuild).
    void ParseHeaderText(const char* pszHeader, const char* pszAttachFolder);

    const MailHeaderValues& GetValues() const { return m_values; }
    int GetDataOffset() const { return m_nDataOffset; }
    int GetDataLength() const { return m_nDataLength; }
    const CString& GetMailFileName() const { return m_strMailFileName; }
    const CString& GetAttachFolder() const { return m_strAttachFolder; }
    const CString& GetBody() const { return m_strBody; }
    const CString& GetHeaderText() const { return m_strHeader; }
    const CString& GetHtmlText() const { return m_strHtml; }
    const CStringArray& GetAttachList() const { return m_attachList; }
    const CStringArray& GetHtmlFileList() const { return m_htmlFiles; }
    const CStringArray& GetMessagePartList() const { return m_messageParts; }
    const CStringArray& GetOtherPartList() const { return m_otherParts; }
    // The body is the text of the mail's HTML part (the application's option).
    BOOL BodyFromHtml() const { return m_bHtmlBodyDone; }
    // Decoding failed (the mail is still stored whole).
    BOOL DecodeFailed() const { return m_bDecodeFailed; }
    // The mail comes from the one outside mail program whose attachment
    // folder carries "temp.ppd".
    BOOL IsPpdMail() const;

    // Names an attachment may not take in the mail's folder.
    static CString SafePartName(const char* pszName);

private:
    struct Part;
    void ResetParse(const char* pszMailPath, const char* pszFolderDir, BOOL bStore, int nCodePage);
    void ParseLoadedMail(const std::string& text, int nCodePage, int nForcedEncoding);
    // What ParseMailFile does once the file's bytes are read.
    int ParseMailBytes(const char* pszMailPath, const char* pszFolderDir, std::string& text, BOOL bStore,
                       int nCodePage, int nForcedEncoding);
    // Appends the parsed mail's entry to the folder's data file.
    int WriteDataEntry(const char* pszFolderDir, int nCodePage);
    bool StorePartSafe(CMailMessage& header, const std::string& body, int nForcedEncoding);
    void StorePart(CMailMessage& header, const std::string& body, BOOL bAlternative, BOOL bRelatedHtml,
                   int nForcedEncoding, int nDepth);
    void WalkMultipart(CMailMessage& header, const std::string& body, int nDepth);
    CString GeneratedName();
    CString MakePartPath(const char* pszName, BOOL bHtml, BOOL bInline, BOOL bOther);
    BOOL WritePartFile(CMailMessage& part, const std::string& body, const char* pszName, BOOL bHtml,
                       BOOL bInline, BOOL bOther, CString& path);
    void RewriteHtmlLinks(const char* pszPath);
    void WriteHeadersDat();
    void MakeAttachDirectory(const CString& dir);
    void FillValues();

    std::unique_ptr<CMailMessage> m_pMessage;
    MailHeaderValues m_values;
    CString m_strMailPath;
    CString m_strMailFileName;
    CString m_strFolderDir;
    CString m_strAttachFolder;
    CString m_strHeader;
    CString m_strBody;
    CString m_strHtml;
    std::string m_bodyText;  // the raw body as filed
    std::string m_partHeaders;
    CStringArray m_attachList;
    CStringArray m_htmlFiles;
    CStringArray m_messageParts;
    CStringArray m_otherParts;
    std::vector<std::pair<CString, CString>> m_contentIds;  // (Content-ID, path)
    BOOL m_bStore = TRUE;
    int m_nCodePage = -1;
    int m_nPartCounter = 0;
    unsigned long m_ulReceiveTime = 0;
    int m_nDataOffset = 0;
    int m_nDataLength = 0;
    BOOL m_bDecodeFailed = FALSE;
    BOOL m_bHtmlBodyDone = FALSE;
    BOOL m_bBodyFromHtml = FALSE;  // the application's option, taken at construction
    BOOL m_bAttachFolderNew = FALSE;
    CFile* m_pDataFile = nullptr;
    BOOL m_bAttachFolderMade = FALSE;
};
