// CMailHistory: the mails shown lately (folder id and mail index), oldest
// first, with a cursor that the history commands move back and forward.
// Showing a mail adds it after the cursor and drops what lay beyond, as a
// browser's history does; moving skips entries whose mail is gone. Shown
// mails come from the main window and every viewer thread, so the history
// is guarded.
#pragma once

#include "classlib/CriticalSection.h"

#include <functional>
#include <vector>

class CMailHistory
{
public:
    struct Entry
    {
        int nFolderId = 0;
        int nIndex = -1;
        bool operator==(const Entry& o) const { return nFolderId == o.nFolderId && nIndex == o.nIndex; }
    };

    explicit CMailHistory(int nLimit = 30) : m_nLimit(nLimit) {}

    // At most nLimit entries are kept (the oldest go first); below 1 none.
    void SetLimit(int nLimit);
    // A mail was shown; the mail under the cursor again adds nothing.
    void Add(int nFolderId, int nIndex);
    // Moves the cursor by nStep (+1 newer, -1 older) to the first entry in
    // that direction whose mail exists; false (cursor unchanged) when none.
    bool Move(int nStep, const std::function<bool(const Entry&)>& exists, Entry& entry);
    // Forgets every entry of the folder (emptied or deleted).
    void RemoveFolder(int nFolderId);
    // The entry under the cursor; false when the history is empty.
    bool Current(Entry& entry) const;
    int GetCount() const;

private:
    mutable CCriticalSection m_lock;
    std::vector<Entry> m_entries;
    int m_nCursor = -1;
    int m_nLimit;
};

// The program's history of shown mails.
CMailHistory& ShownMailHistory();
