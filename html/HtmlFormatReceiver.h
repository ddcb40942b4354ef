// CHtmlFormatReceiver: the editor frame's side that shows the format at the
// caret of the HTML editing view.
#pragma once

class CHtmlFormatReceiver
{
public:
    virtual ~CHtmlFormatReceiver() = default;
    virtual void SetFormatState(const char* pszText, bool bBold, bool bItalic, bool bUnderline) = 0;
};
