#include "html/HtmlTagMenu.h"

CHtmlTagMenu::CHtmlTagMenu(int nCount, const CString* pNames)
{
    CreatePopupMenu();
    // Only the names the command range reaches are offered: a later id would
    // fall on another command of the view.
    for (int i = 0; i < nCount && i < kMaxCommands; ++i) {
        CString text = pNames[i];
        // Letters A to Z; past the alphabet the names go without one.
        if (i < 26)
            text += CString("(&") + static_cast<char>('A' + i) + ")";
        AppendMenu(MF_STRING, kFirstCommand + static_cast<UINT>(i), text);
    }
}
