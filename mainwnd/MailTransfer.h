// CMailTransfer: copying, moving and deleting stored mails between folders,
// for the clipboard, drag and drop and the list's delete. A source mail is
// only ever removed after its copy was written: a move whose copy fails
// keeps the mail where it was.
#pragma once

#include "mainwnd/MailObjectBlock.h"

#include <vector>

class CMailFolderStore;
class CQuendalApp;

class CMailTransfer
{
public:
    struct Result
    {
        int nDone = 0;                                 // mails copied, moved or deleted
        std::vector<MailObjectBlock::MailRef> done;    // which ones (source side)
        std::vector<MailObjectBlock::MailRef> failed;  // kept because a copy failed or the mail is gone
        std::vector<MailObjectBlock::MailRef> skipped; // delete-protected, left alone
        std::vector<int> trashCopies;                  // a delete's copies in the trash, by done; -1 none
    };

    // Copies (bMove false) or moves the mails into the target folder, in the
    // order given. A pair that names no open folder or no live mail fails.
    static Result CopyMails(CQuendalApp& app, const std::vector<MailObjectBlock::MailRef>& mails,
                            CMailFolderStore* pTarget, bool bMove);

    // Deletes mails of one folder: delete-protected mails are skipped;
    // unless bPermanent or the folder is the trash, each mail is first
    // copied to the trash and kept when that copy fails.
    static Result DeleteMails(CQuendalApp& app, CMailFolderStore* pStore, const std::vector<int>& indices,
                              bool bPermanent);

    // Enters the mails a delete removed into the application's deleted-mail
    // history, with their copies in the trash.
    static void AddToDeleteHistory(CQuendalApp& app, CMailFolderStore* pStore, const Result& result);

    // Whether the folder's directory can take a new mail.
    static bool CanWriteFolder(CMailFolderStore* pTarget);

    // Told when a mail left its folder for good, and when a mail moved to
    // another folder, so that what refers to it (the task list) follows.
    typedef void (*MailDeletedHook)(int nFolderId, int nIndex);
    typedef void (*MailMovedHook)(int nFromFolderId, int nFromIndex, int nToFolderId, int nToIndex);
    static void SetHooks(MailDeletedHook pfnDeleted, MailMovedHook pfnMoved);

private:
    // Copies one mail; the new index in the target (>= -1) or -2.
    static int CopyOne(CMailFolderStore* pSource, int nIndex, CMailFolderStore* pTarget);
    // Marks the mail deleted and drops its attachment folder.
    static void RemoveOne(CMailFolderStore* pSource, int nIndex);
};
