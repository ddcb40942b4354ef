// Notice mails of the task reminders: composing one mail into a folder, and
// the hand-over of a new notice to the main window and of a sent notice to
// the sending job.
#pragma once

#include "classlib/ClassLib.h"

class CMailFolderStore;

// Composes one outgoing mail (sender, To, Cc, Bcc, subject, body, the current
// date and an internal message id) and files it into the folder through a
// temporary file in the inbox directory. The new mail's index in *pnIndex
// (-1 on failure). False when the mail could not be built or filed.
BOOL CreateMailInFolder(const char* pszAccount, CMailFolderStore* pFolder, const char* pszSender, const char* pszTo,
                        const char* pszCc, const char* pszBcc, const char* pszSubject, const char* pszBody, BOOL bFlag,
                        int* pnIndex);

// What a delivered notice asks of the rest of the program; the defaults hand
// it to the application thread and the main window. Tests install their own.
struct TaskNoticeHooks
{
    // A notice mail was put into the current folder: record it as a new mail
    // (the reminder pass counts it and starts the notification window).
    void (*pfnNewMail)(int nFolderId, int nIndex) = nullptr;
    // Asks the main window to send the folder's mails; false when the
    // request could not be posted.
    BOOL (*pfnSendFolderMail)(int nFolderId, BOOL bFlag) = nullptr;
    // The hidden folder that sent notices go through, or none.
    CMailFolderStore* (*pfnGetSendFolder)() = nullptr;
};
// Installs hooks (null members keep the defaults); returns the previous set.
TaskNoticeHooks SetTaskNoticeHooks(const TaskNoticeHooks& hooks);
const TaskNoticeHooks& GetTaskNoticeHooks();
