// CMailEditRequest: one request to write a mail, as the application hands it
// to the editor: the open mode, the mail it refers to, the address texts, the
// initial subject and body and the files to attach.
#pragma once

#include "classlib/ClassLib.h"

class CMailFolderStore;

class CMailEditRequest
{
public:
    // Where the request came from. Only the program's own mail bridge,
    // through a channel of its own, may name local files to attach: a mailto
    // link in a received mail or on a web page (which reaches the program on
    // the command line or through a second start) could otherwise send, and
    // with "tempattach=" delete, any file of the user. The command line may
    // still name files to attach as plain words (the shell's "send to"),
    // but not inside a "mailto:" text, and never by "attach=" or
    // "tempattach=".
    enum Origin { originUntrusted = 0, originTrusted = 1, originCommandLine = 2 };

    // Splits the address text into words and either collects the files it
    // names or parses it as a mailto text ("to?subject=..&body=..").
    void ParseAddressText(const char* pszAddress, const char* pszSecond, Origin origin);

    // "%" and two hexadecimal digits give that byte, "+" a blank; a "%" that
    // is not followed by two digits stands for itself. NUL bytes are dropped.
    static CString DecodeMailtoValue(const char* pszValue);
    // Blank-separated words; a double-quoted stretch is one word, its quotes
    // removed. Words are trimmed and empty ones dropped.
    static void SplitWords(const char* pszText, CStringArray& words);
    // A header value without the CR and LF that would start a new header line.
    static CString CleanHeaderValue(const char* pszValue);

    int m_nMode = -1;
    CMailFolderStore* m_pStore = nullptr;
    int m_nIndex = -1;
    LPARAM m_lExtra = 0;          // mode 4 only: the extra number (hand-over memory)
    BOOL m_bSetAddress = FALSE;   // m_strTo/m_strCc are to be set in the editor
    CString m_strTo;              // the address part (before "?"), as given
    CString m_strCc;              // the requester's second text
    CString m_strBcc;             // set by the Simple MAPI library's requests only
    CString m_strOwnText;         // for the editor's own use (a template path)
    CString m_strBody;
    CString m_strSubject;
    int m_nValue1 = 0;            // passed through unchanged (forward method)
    int m_nValue2 = 0;            // passed through unchanged (cascade number)
    int m_nEditorFlag = 0;
    // Full paths of existing files; the temporary ones are deleted by the
    // editor once the mail has been sent.
    CStringArray m_attachFiles;
    CStringArray m_tempAttachFiles;
    // Files an untrusted text asked to attach; never attached, at most shown.
    CStringArray m_ignoredAttachFiles;

private:
    void AddFiles(const CString& list, CStringArray& files);
};

// What opening an editor needs of the editor subsystem. Each slot is a
// function that subsystem installs; an empty slot means there is no editor.
struct MailEditorHooks
{
    // Brings an open editor of this stored mail to the front; false when
    // there is none.
    BOOL (*pfnActivateEditor)(CMailFolderStore* pStore, int nIndex) = nullptr;
    // Starts one editor thread filled from the request and registers it with
    // the application; false when no editor could be started.
    BOOL (*pfnStartEditor)(const CMailEditRequest& request) = nullptr;
};

MailEditorHooks& GetMailEditorHooks();
