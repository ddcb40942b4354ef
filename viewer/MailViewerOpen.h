// Opening mails in windows of their own: viewer windows, and the thread
// tree and related-mail list windows of a mail's thread. Each window runs
// on a user-interface thread of its own; these functions may be called from
// any window thread (a request from another thread is carried out by the
// application thread, which keeps the registry of window threads).
#pragma once

#include <windows.h>

class CMailFolderStore;

// Opens mail nIndex of the folder in a viewer window. hList is the list the
// mail was opened from: null for the main window's mail list, else a list
// of found mails that answers WM_QD_FOUND_MAIL_AT (its rows are then what
// the viewer's previous and next walk, and a mail deleted in the viewer
// loses its row). With the setting NoCreateMailViewFrame on and Shift not
// held, an open viewer shows the mail instead of a new one.
BOOL OpenMailViewer(CMailFolderStore* pStore, int nIndex, HWND hList = nullptr);

// Opens the thread of a mail as a tree (bAsTree) or as a flat list.
BOOL OpenReferenceMailWindow(BOOL bAsTree, CMailFolderStore* pStore, int nIndex);

// Sent by a viewer to the list of found mails it was opened from: wParam
// the row, lParam the token of a MailObjectBlock::MailRef in the
// posted-object table, which the list takes and fills with the row's folder
// id and mail index. Nonzero when the row holds a mail.
const UINT WM_QD_FOUND_MAIL_AT = 1496;

// Posted to the application thread with a request made on another thread
// (lParam: the request's token in the posted-object table, taken by
// RunMailWindowRequest).
const UINT WM_QD_OPEN_MAIL_WINDOW = 1497;
void RunMailWindowRequest(LPARAM lParam);

// Sent by a viewer to the main window's mail list: move to the mail before
// (1344) or after (1345) the viewer's mail. lParam the token of a
// MailObjectBlock::MailRef in the posted-object table, holding the viewer's
// folder id and mail index, replaced by the mail the list moved to. Nonzero
// when the list moved.
const UINT WM_QD_VIEWER_MOVE_PREVIOUS = 1344;
const UINT WM_QD_VIEWER_MOVE_NEXT = 1345;
