// CNotifyMailData: what the new-mail notification window shows: the folders
// that received mail in this run of receives, each with its new mails. The
// main thread fills it as mails are filed and when the window is shown; the
// notification thread reads copies of it. Every access holds its lock.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

struct NotifyMailItem
{
    int nIndex = -1;  // position in the folder's index when it was filed
    CString strSubject;
    CString strFrom;
    BOOL bRead = FALSE;
};

struct NotifyFolderEntry
{
    int nFolderId = 0;
    CString strName;
    int nNewMails = 0;
    int nUnread = 0;  // the folder's unread mails, shown in parentheses
    std::vector<NotifyMailItem> mails;
};

class CNotifyMailData
{
public:
    // A mail filed into a folder by a receive (main thread).
    void AddNewMail(int nFolderId, int nIndex);
    // Forgets the new mails (a new run of receives starts without any).
    void Clear();
    // The recorded (folder id, index) pairs, in filing order.
    std::vector<std::pair<int, int>> GetNewMails() const;
    // The entries the window shows, made from the recorded mails by the caller.
    void SetEntries(const std::vector<NotifyFolderEntry>& entries);
    std::vector<NotifyFolderEntry> GetEntries() const;

    // Groups recorded mails by folder, in the order of each folder's first mail.
    static std::vector<NotifyFolderEntry> GroupByFolder(const std::vector<std::pair<int, int>>& mails);

private:
    mutable CCriticalSection m_lock;
    std::vector<std::pair<int, int>> m_newMails;
    std::vector<NotifyFolderEntry> m_entries;
};
