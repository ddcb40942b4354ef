// CDlgDivideupExec: before the filter rules run over the shown folder
// ("振り分け選択"): which mails, which rule set, and how colour labels are
// treated. The choices are kept in the settings for the next time.
#pragma once

#include "classlib/ClassLib.h"

class CDlgDivideupExec : public CDialog
{
public:
    // pszFolderSet: the rule-set name the folder names (may be empty).
    CDlgDivideupExec(const char* pszFolderSet, CWnd* pParent = nullptr);

    // After OK.
    int m_nTarget = 0;  // 0 unread, 1 read, 2 all, 3 the list's selection
    CString m_strSetName;
    int m_nSetKind = 0;  // 0 receive, 1 send, 2 named
    BOOL m_bNoColorLabel = FALSE;
    BOOL m_bKeepExistingLabel = FALSE;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void UpdateEnabling();

    CString m_strFolderSet;

    DECLARE_MESSAGE_MAP()
};
