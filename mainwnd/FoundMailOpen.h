// Opening a mail found by a search. The search window runs on a thread of
// its own, but viewer and editor windows are started and registered by the
// application thread: the search posts the request there, and the
// application thread opens the mail as the main list does (an editor for
// mails being written or waiting to be sent, else a viewer window).
#pragma once

#include <windows.h>

class CMailFolderStore;

// Posted to the application thread: wParam the folder id, lParam the mail
// index. The search list window travels separately (see below).
const UINT WM_QD_OPEN_FOUND_MAIL = 1520;

struct FoundMailOpenSeam
{
    // A viewer that steps through the rows of the given list window; when
    // the viewer has not installed it, the main list's way of opening a mail
    // is used and the viewer follows the main list.
    void (*pfnOpenMailFromList)(CMailFolderStore* pStore, int nIndex, HWND hList) = nullptr;
};
FoundMailOpenSeam& GetFoundMailOpenSeam();

// From the search thread: asks the application thread to open the mail.
void PostOpenFoundMail(int nFolderId, int nIndex, HWND hList);
// On the application thread.
void OpenFoundMail(int nFolderId, int nIndex);
