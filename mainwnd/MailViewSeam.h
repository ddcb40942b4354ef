// The mail view pane's place in the main window. The mail viewer installs
// its view here; until it does, the pane holds an empty view and selected
// mails are only remembered.
#pragma once

#include "classlib/ClassLib.h"

class CMailFolderStore;

struct MailViewSeam
{
    // Makes the pane's view (with new; it deletes itself with its window).
    CView* (*pfnCreate)() = nullptr;
    // Shows a mail of a folder in the pane; an index of -1 clears the pane.
    void (*pfnShowMail)(CView* pView, CMailFolderStore* pStore, int nIndex) = nullptr;
    // Opens a mail in a window of its own (Enter or a double-click on a row).
    void (*pfnOpenMail)(CMailFolderStore* pStore, int nIndex) = nullptr;
};

MailViewSeam& GetMailViewSeam();
