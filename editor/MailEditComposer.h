// CMailEditComposer: builds a mail to write from a source mail (reply, reply
// to all, forward in every method, read notification, a stored mail opened
// again) and applies templates, into a CMailEditData. The editor view owns
// one and keeps it for the window's life: it holds the source mail's record
// copy and parsed header, which later commands read.
#pragma once

#include "classlib/ClassLib.h"
#include "message/MailMessage.h"
#include "store/MailIndexRecord.h"

class CMailEditData;
class CMailFolderStore;

class CMailEditComposer
{
public:
    // Writes a stored mail as a complete mail file for an encapsulated
    // forward; returns the file's path, empty on failure.
    typedef CString (*FullMailBuilder)(CMailFolderStore* pFolder, int nIndex);

    CMailEditComposer();
    CMailEditComposer(const CMailEditComposer&) = delete;
    CMailEditComposer& operator=(const CMailEditComposer&) = delete;

    // Fills the data from mail nIndex of the folder for the mail kind.
    // pszSelText, when given, is quoted or forwarded instead of the source
    // body; nForwardMethod -1 keeps the one set. False when the source mail
    // cannot be read.
    bool SetMailData(CMailEditData& data, int nIndex, CMailFolderStore* pFolder, int nMailKind,
                     const char* pszSelText, int nForwardMethod);
    // Applies a template file, with the source mail nIndex of the folder
    // (-1: none). False when the template cannot be read (nothing changes).
    bool ApplyTemplate(CMailEditData& data, const char* pszPath, int nIndex, CMailFolderStore* pFolder,
                       int nMailKind, bool bClearAddresses);

    // Every line of the text behind the quotation mark, each ending CR LF;
    // line ends at the end of the text are dropped first.
    static CString QuoteText(const char* pszText, const char* pszMark);
    // The entries of the list whose bare address is not the address's (case
    // aside), each followed by ","; the list unchanged when the address has
    // no bare form.
    static CString RemoveAddressFromList(const char* pszList, const char* pszAddress);
    // A stored mail entry split into its header block and its body: the file
    // name line and the terminator dropped, leading dots of body lines undone.
    static void SplitStoredMail(const CString& entry, CString& header, CString& body);
    // What a re-edited mail puts before In-Reply-To in References: the
    // stored References without its last id, at most 127 characters of
    // whole ids.
    static CString ReferencesBaseOf(const char* pszReferences);

    static FullMailBuilder SetFullMailBuilder(FullMailBuilder builder);
    // A stored mail written whole as an .eml file in the send folder's
    // temporary folder; empty when it cannot be read or written.
    static CString WriteMailAsFile(CMailFolderStore* pFolder, int nIndex);

    const CMailMessage& GetSourceMessage() const { return m_message; }
    const CMailIndexRecord& GetSourceRecord() const { return m_record; }
    CMailFolderStore* GetSourceFolder() const { return m_pSourceFolder; }
    CMailFolderStore* GetOriginFolder() const { return m_pOriginFolder; }

private:
    bool ReadSource(CMailFolderStore* pFolder, int nIndex, CMailMessage& message, CString& body);
    void SetAddresses(CMailEditData& data, int nKind);
    void SetSubject(CMailEditData& data, int nKind);
    void SetThreading(CMailEditData& data, int nKind);
    void SetPriorityAndAccount(CMailEditData& data, int nKind, int nIndex);
    void SetAttachments(CMailEditData& data, int nKind, int nIndex);

    CMailFolderStore* m_pSourceFolder = nullptr;
    CMailFolderStore* m_pOriginFolder = nullptr;
    CMailIndexRecord m_record;
    CMailMessage m_message;
};
