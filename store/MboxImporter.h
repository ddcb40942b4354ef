// CMboxImporter: splits a file of many mails (an mbox file with "From "
// separator lines, or a file whose mails are divided by a separator text of
// the user's choosing) into single mails and files each into a folder.
// The file is streamed: a 200 MB mailbox is never held in memory.
#pragma once

#include "classlib/ClassLib.h"

class CMailFolderStore;
class CWnd;

class CMboxImporter
{
public:
    CMboxImporter() = default;
    CMboxImporter(const CMboxImporter&) = delete;
    CMboxImporter& operator=(const CMboxImporter&) = delete;
    virtual ~CMboxImporter() = default;

    // Imports a file: the mbox rules when pszSeparator is null, else the
    // separator text. True when the file was read to the end or the run was
    // cancelled; false when it could not be opened, was empty, or a
    // temporary file could not be written. A null folder means the folder the
    // main window shows; a read flag of -1 counts as 0.
    static BOOL ImportFile(const char* pszSeparator, CMboxImporter* pImporter, const char* pszPath, BOOL bUseSendTime,
                           CMailFolderStore* pFolder, int nRead);
    static void UpdateProgress(int nCount, CMboxImporter* pImporter, int nTotal);

    BYTE* m_pCancel = nullptr;         // owned by the progress window; non-zero stops the run
    CWnd* m_pStatusText = nullptr;     // "[%s] 読込中です。"
    CWnd* m_pProgress = nullptr;       // progress bar
    CWnd* m_pCountText = nullptr;      // "%d / %d"
    LPARAM m_lOwner = 0;               // the caller's own value
    int m_nTotal = 0;                  // shown after the slash; low 16 bits are the progress range
    CString m_strName;                 // the name in the status line

    // The file already holds its mails in the stored form, every line that
    // begins with "." doubled (the Outlook Express conversion writes it so,
    // as its separator is a lone "." line); they are filed without doubling
    // again.
    BOOL m_bDotStuffed = FALSE;

    // Mails filed by the last run (tests and the caller's summary).
    int m_nImported = 0;
};
