// CDlgCharCount: the character count of the mail being written, as
// full-width characters per row (To with CC, subject, body) and their total.
#pragma once

#include "classlib/Dialog.h"

#include <commctrl.h>

class CDlgCharCount : public CDialog
{
public:
    // The counts in bytes, filled by the caller.
    CDlgCharCount(int nToCcBytes, int nSubjectBytes, int nBodyBytes, CWnd* pParent);
    BOOL OnInitDialog() override;

    // The four rows' full-width counts: the rounded rows are added for the total.
    static void Count(int nToCcBytes, int nSubjectBytes, int nBodyBytes, int counts[4]);

private:
    int m_nToCc, m_nSubject, m_nBody;
    HIMAGELIST m_hImages = nullptr;  // destroyed with the list, which does not share it
};
