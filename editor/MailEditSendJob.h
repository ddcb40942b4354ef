// CMailEditSendJob: what one send or save of an editor window hands the send
// thread, worked out without a window: the sender, the Bcc additions of the
// account, the checks before a mail leaves, the body lines and the filling
// of the outgoing message.
#pragma once

#include "classlib/ClassLib.h"

class CAccountData;
class CMailMessage;
class CSmtpSession;

class CMailEditSendJob
{
public:
    // What the editor does with the mail; also the first parameter of the
    // send request to the send thread.
    enum Mode { modeSend = 0, modeOutbox = 1, modeDraft = 2, modeFile = 3, modeBackup = 4 };
    enum Check { checkOk, checkStop, checkAskSubject };

    int m_nMode = modeSend;
    const CAccountData* m_pAccount = nullptr;  // none: no server, no sender

    CString m_strTo, m_strCc, m_strBcc, m_strSubject;
    CString m_strReplyTo, m_strInReplyTo, m_strReferences;
    CString m_strPriorityHeaders;
    CString m_strSignName;
    // Sender; explicit when the folder or the user named it.
    CString m_strSenderName, m_strSenderAddress;
    bool m_bExplicitSender = false;
    // A forward (method 0 .. 4, -1 for any other mail) goes out with the
    // Resent fields naming who passed it on. Methods 1 and 2 keep the
    // source's sender (m_strKeptSender, its From); method 2 sends the mail
    // on as it was: its Date, To, Cc and ids stay the source's.
    int m_nForwardMethod = -1;
    CString m_strKeptSender;
    bool m_bFixedSender = false;  // the kept sender is the stored mail's own fixed one
    CString m_strMessageId, m_strOriginalDate, m_strOriginalTo, m_strOriginalCc;
    CString m_strBody;
    CStringArray m_attachFiles;
    bool m_bAttachToOnly = false;
    bool m_bReadReceipt = false;
    int m_nMailKind = -1;
    int m_nCreateFolderId = 0;
    // The answered or forwarded mail (folder id, file key); empty for none.
    int m_nReferFolderId = 0;
    CString m_strReferHandle;
    // Password of the archive the attachments go into (empty: none).
    CString m_strArchivePassword;
    // The body goes as the file "本文.txt" in a folder of the job's own
    // below this base folder; the mail itself carries the comment line.
    bool m_bBodyAsArchive = false;
    CString m_strBodyFileBase;
    CString m_strBodyComment;
    // The stored copy of a mail whose body went as an archive keeps the
    // body readable.
    bool m_bKeepClearBody = false;
    // Attachments for To only: the others' copy lists them in a comment.
    bool m_bAttachComment = false;
    // HTML mail: the view's HTML beside the text body, and the file it was
    // shown from (none for a new mail): its local pictures go with the mail
    // as related parts.
    bool m_bHtml = false;
    CString m_strHtml, m_strHtmlPath;
    // The HTML file is the user's own (their HTML editor wrote it), not a
    // stored mail's: every file it names may go with the mail.
    bool m_bHtmlPathIsUsers = false;
    // Half-width katakana, which Internet mail does not carry, become full
    // width in the subject, the names and the body (unless the user said no).
    bool m_bConvertKana = true;
    // Read notification (mail kind 11): the machine-readable disposition
    // fields that go as a part of their own.
    CString m_strNotificationText;

    // Sender from the account where the folder gave none (a kept sender
    // stands for both); non-empty overrides (the send information dialog)
    // win.
    void SettleSender(const char* pszFolderName, const char* pszFolderAddress, const char* pszOverrideName,
                      const char* pszOverrideAddress);
    // What the forward takes from its source mail: the sender for methods 1
    // and 2 (call before SettleSender); the ids, Reply-To, date and the
    // original addresses for method 2 (call after the view's values are in).
    // A stored mail whose sender was fixed when it was written (a folder's
    // own sender) keeps that sender, still fixed, when it is sent or stored
    // again.
    void KeepSourceSender(const CMailMessage& source, bool bFixedSender = false);
    void TakeResentSource(const CMailMessage& source);
    // The account's own address (when asked for and missing) and its fixed
    // Bcc address ("0" is none) appended to the Bcc text.
    void AddAccountBcc();
    // Trims the subject; then, for sending and the outbox, the checks in
    // their order: the first failing one gives its message.
    Check CheckFields(CString& message);
    // The first attachment that is no longer a file; empty when all exist.
    CString FindMissingAttachment() const;

    // The body as lines, each whole (however long) and ending in CR LF;
    // CR, LF and CR LF all end a line.
    static void SplitBodyLines(const char* pszBody, CStringArray& lines);
    // A new folder of its own below the base folder for one job's files;
    // empty when none could be made.
    static CString MakeJobFolder(const char* pszBase);
    // Writes the lines into "本文.txt" in a folder of this job's own below
    // the base folder; the path, or empty on failure.
    static CString WriteBodyFile(const char* pszBase, const CStringArray& lines);

    // Fills the outgoing message from the account and the fields; false
    // when the body file could not be written.
    bool Fill(CSmtpSession& session) const;
};
