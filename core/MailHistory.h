// CMailHistory: the mails shown lately (folder id and mail index), oldest
// first, with a cursor on the one shown now; going back and forward moves
// the cursor, and a mail shown from there drops the entries after it.
#pragma once

#include <vector>

class CMailHistory
{
public:
    struct Entry
    {
        int nFolderId;
        int nIndex;
        bool operator==(const Entry& o) const { return nFolderId == o.nFolderId && nIndex == o.nIndex; }
    };

    explicit CMailHistory(int nMaxEntries = 30) : m_nMax(nMaxEntries > 0 ? nMaxEntries : 1) {}
    void SetMaxEntries(int nMax);

    void Add(int nFolderId, int nIndex);
    // The entry the cursor moved to; false at either end (the cursor stays).
    bool Back(Entry& entry);
    bool Forward(Entry& entry);
    // The entry shown now; false when the history is empty.
    bool Current(Entry& entry) const;
    // A folder deleted: its entries go.
    void RemoveFolder(int nFolderId);
    bool IsEmpty() const { return m_entries.empty(); }
    int GetCount() const { return static_cast<int>(m_entries.size()); }

private:
    std::vector<Entry> m_entries;
    int m_nPos = -1;
    int m_nMax;
};
