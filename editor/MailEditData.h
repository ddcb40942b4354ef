// CMailEditData: what an editor window holds of the mail being written, as
// plain values: the header fields, the body with its selection, and the
// choices the window's lists are to show. Replies, forwards and templates
// are built into it without a window; the editor view shows it and reads
// its fields back.
#pragma once

#include "classlib/ClassLib.h"

class CMailEditData
{
public:
    // The signature choices that are not signature names.
    static const char* const kSignAuto;  // "自動": chosen by the automatic rules
    static const char* const kSignNone;  // "追加しない": no signature

    int m_nMailKind = -1;

    // Header fields.
    CString m_strTo, m_strCc, m_strBcc, m_strSubject;
    // The body and its selection (byte offsets); a template replaces the
    // selection, and the caret goes to the start of what it inserted.
    CString m_strBody;
    int m_nSelStart = 0, m_nSelEnd = 0;
    // Where the last inserted text lies (for colouring).
    int m_nInsertStart = 0, m_nInsertLength = 0;

    // Reply-To to select in its list (added when missing); empty: unchanged.
    CString m_strReplyTo;
    // Priority entry to select (0 highest .. 4 lowest); -1: unchanged.
    int m_nPriority = -1;
    // Signature to select: a name, kSignAuto, kSignNone; empty: unchanged.
    // With m_bInsertSignature the view also inserts it at once.
    CString m_strSignName;
    bool m_bInsertSignature = false;

    // Sending account to select: by name, else by the addresses of a list.
    CString m_strAccountName;
    CString m_strAccountAddresses;

    // Threading: the id answered, and what goes before it in References.
    CString m_strInReplyTo;
    CString m_strReferencesBase;

    int m_nForwardMethod = -1;  // 0 .. 4, -1 until set
    bool m_bForwardMethodSet = false;
    bool m_bKeepFromAddress = false;
    int m_nOriginFolderId = 0;
    bool m_bShowHtml = false;
    // The source's HTML part, shown in the HTML view with m_bShowHtml.
    CString m_strHtmlFile;

    // Attachments: the list is emptied first (m_bClearAttachments); a source
    // mail's attachment folder may be shown as the mail's attachments; files
    // are added; temporary files are deleted once the mail is sent.
    bool m_bClearAttachments = false;
    bool m_bHideAttachList = false;
    CString m_strAttachFolder;
    bool m_bClearAttachPrefix = false;
    bool m_bAttachToOnly = false;
    CStringArray m_attachFiles;
    CStringArray m_tempAttachFiles;
    // Starting folder of the attach dialog.
    CString m_strAttachDialogFolder;

    // The References header of the mail: the base, a blank, In-Reply-To.
    CString GetReferences() const;
};
