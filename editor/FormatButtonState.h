// CFormatButtonState: the format at the caret of the HTML editing view as
// the format toolbar shows it: its bold, italic and underline buttons are
// pressed while the text there has that format.
#pragma once

#include "html/HtmlFormatReceiver.h"

#include <windows.h>

class CFormatButtonState : public CHtmlFormatReceiver
{
public:
    void SetFormatState(const char* pszText, bool bBold, bool bItalic, bool bUnderline) override;
    // 1 pressed, 0 not, -1 for a command that has no pressed state.
    int GetCheck(UINT nID) const;

private:
    bool m_bBold = false;
    bool m_bItalic = false;
    bool m_bUnderline = false;
};
