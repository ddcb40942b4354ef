// CHeaderViewThread: the thread of one header window, which shows the raw
// header of a mail (or another text, as it is) in a colour text view. The
// title and text are copied in before the thread starts; nothing is shared
// afterwards. The thread ends, and deletes itself, when its window closes.
#pragma once

#include "classlib/ClassLib.h"

class CHeaderViewThread : public CWinThread
{
public:
    void SetHeaderData(const char* pszTitle, const char* pszHeader);
    // A text shown whole, without the header's bookkeeping lines taken off.
    void SetPlainText(const char* pszTitle, const char* pszText);
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    CString m_strTitle;
    CString m_strHeader;
    bool m_bHeader = true;
    bool m_bOle = false;
};
