// CFolderRecord: one mail folder as "Folder.dat" lists it (one line of 39
// columns): its place in the tree, its directory, kind and settings.
#pragma once

#include "classlib/ClassLib.h"
#include "core/DataStrgRecord.h"

class CFolderRecord : public CDataStrgRecord
{
public:
    enum { columnCount = 39 };

    // Folder kinds (column 1).
    enum {
        kindNormal = 0,
        kindInbox = 1,
        kindSent = 2,      // "Out.Box"
        kindWriting = 3,   // "Writing.Box"
        kindTrash = 4,
        kindSend = 5,      // "Send.Box", waiting to be sent
        kindGroup = 6,     // the group folder over 2, 3 and 5
        kindHidden = 7,    // never written to the list
        kindUserSub = 10,  // a user folder under the group
    };

    CFolderRecord() = default;
    CFolderRecord(const CFolderRecord& src);
    CFolderRecord& operator=(const CFolderRecord& src);
    ~CFolderRecord() override = default;

    // The column as the list file writes it, and from its text.
    CString GetColumnText(int nColumn) const;
    void SetColumnText(int nColumn, const char* pszText);

    int m_nParentId = 0;        // 0
    int m_nKind = 0;            // 1
    int m_nIcon = 0;            // 2
    int m_nId = 0;              // 3
    CString m_strName;          // 4
    CString m_strPath;          // 5
    CString m_strSound;         // 6
    int m_nUnread = 0;          // 7
    int m_nMailCount = 0;       // 8
    BOOL m_bExpanded = FALSE;   // 9
    BOOL m_bHideTag = FALSE;    // 10
    CString m_strText[13];      // 11-23: To, Cc, Bcc, sender name, sender address, signature,
                                // Reply-To, templates (new, reply, reply all, forward), filter set, account
    int m_nReserved24 = -1;     // 24
    int m_nReserved25 = -1;     // 25
    int m_nListSwitch = 0;      // 26
    BOOL m_bNoOptimiseAll = FALSE;  // 27
    BOOL m_bNoDupDeleteAll = FALSE; // 28
    BOOL m_bStripTagOnReply = FALSE; // 29
    BOOL m_bDefaultOnReply = FALSE;  // 30
    BOOL m_bIgnoreUnread = FALSE;    // 31
    BOOL m_bApplyBelow = FALSE;      // 32
    CString m_strFontName;      // 33
    int m_nFontSize = 0;        // 34
    int m_nFontNumber2 = 0;     // 35
    int m_nFontNumber3 = 0;     // 36
    BYTE m_nCharSet = 128;      // 37
    CString m_strPassword;      // 38, plain in memory
    int m_nExtra = 0;           // copied, never written

private:
    void CopyColumns(const CFolderRecord& src);
};
