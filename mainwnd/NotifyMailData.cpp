#include "mainwnd/NotifyMailData.h"

void CNotifyMailData::AddNewMail(int nFolderId, int nIndex)
{
    CSingleLock hold(&m_lock, TRUE);
    m_newMails.emplace_back(nFolderId, nIndex);
}

void CNotifyMailData::Clear()
{
    CSingleLock hold(&m_lock, TRUE);
    m_newMails.clear();
}

std::vector<std::pair<int, int>> CNotifyMailData::GetNewMails() const
{
    CSingleLock hold(&m_lock, TRUE);
    return m_newMails;
}

void CNotifyMailData::SetEntries(const std::vector<NotifyFolderEntry>& entries)
{
    CSingleLock hold(&m_lock, TRUE);
    m_entries = entries;
}

std::vector<NotifyFolderEntry> CNotifyMailData::GetEntries() const
{
    CSingleLock hold(&m_lock, TRUE);
    return m_entries;
}

std::vector<NotifyFolderEntry> CNotifyMailData::GroupByFolder(const std::vector<std::pair<int, int>>& mails)
{
    std::vector<NotifyFolderEntry> entries;
    for (const auto& mail : mails) {
        NotifyFolderEntry* entry = nullptr;
        for (NotifyFolderEntry& e : entries)
            if (e.nFolderId == mail.first)
                entry = &e;
        if (!entry) {
            entries.emplace_back();
            entry = &entries.back();
            entry->nFolderId = mail.first;
        }
        // A folder's list can report the same filing twice (a refresh).
        bool seen = false;
        for (const NotifyMailItem& m : entry->mails)
            seen = seen || m.nIndex == mail.second;
        if (seen)
            continue;
        NotifyMailItem item;
        item.nIndex = mail.second;
        entry->mails.push_back(item);
        entry->nNewMails++;
    }
    return entries;
}
