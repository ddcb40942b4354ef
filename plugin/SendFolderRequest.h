// Asking the main window to send the mails of a folder: the plug-in API's
// operation and the task notices that go out through the sending folder.
#pragma once

#include <windows.h>

// Posts the request to the main window (bKeepNoCopy: the sent mails get no
// copy in the sent-mail folder); false when it could not be posted.
BOOL PostSendFolderMail(int nFolderId, BOOL bKeepNoCopy);
