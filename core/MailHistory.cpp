#include "core/MailHistory.h"

#include "classlib/SingleLock.h"

#include <algorithm>

void CMailHistory::SetLimit(int nLimit)
{
    CSingleLock hold(&m_lock, TRUE);
    m_nLimit = nLimit;
    int excess = static_cast<int>(m_entries.size()) - std::max(nLimit, 0);
    if (excess > 0) {
        m_entries.erase(m_entries.begin(), m_entries.begin() + excess);
        m_nCursor = std::max(m_nCursor - excess, m_entries.empty() ? -1 : 0);
    }
}

void CMailHistory::Add(int nFolderId, int nIndex)
{
    CSingleLock hold(&m_lock, TRUE);
    Entry entry{nFolderId, nIndex};
    if (m_nLimit < 1 || (m_nCursor >= 0 && m_entries[static_cast<size_t>(m_nCursor)] == entry))
        return;
    m_entries.resize(static_cast<size_t>(m_nCursor + 1));
    m_entries.push_back(entry);
    if (static_cast<int>(m_entries.size()) > m_nLimit)
        m_entries.erase(m_entries.begin(), m_entries.end() - m_nLimit);
    m_nCursor = static_cast<int>(m_entries.size()) - 1;
}

bool CMailHistory::Move(int nStep, const std::function<bool(const Entry&)>& exists, Entry& entry)
{
    CSingleLock hold(&m_lock, TRUE);
    int count = static_cast<int>(m_entries.size());
    for (int i = m_nCursor + nStep; nStep != 0 && i >= 0 && i < count; i += nStep) {
        if (exists(m_entries[static_cast<size_t>(i)])) {
            m_nCursor = i;
            entry = m_entries[static_cast<size_t>(i)];
            return true;
        }
    }
    return false;
}

void CMailHistory::RemoveFolder(int nFolderId)
{
    CSingleLock hold(&m_lock, TRUE);
    int before = 0;
    for (int i = 0; i < m_nCursor && i < static_cast<int>(m_entries.size()); ++i)
        if (m_entries[static_cast<size_t>(i)].nFolderId == nFolderId)
            ++before;
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [nFolderId](const Entry& e) { return e.nFolderId == nFolderId; }),
                    m_entries.end());
    m_nCursor = std::min(m_nCursor - before, static_cast<int>(m_entries.size()) - 1);
}

bool CMailHistory::Current(Entry& entry) const
{
    CSingleLock hold(&m_lock, TRUE);
    if (m_nCursor < 0 || m_nCursor >= static_cast<int>(m_entries.size()))
        return false;
    entry = m_entries[static_cast<size_t>(m_nCursor)];
    return true;
}

int CMailHistory::GetCount() const
{
    CSingleLock hold(&m_lock, TRUE);
    return static_cast<int>(m_entries.size());
}

CMailHistory& ShownMailHistory()
{
    static CMailHistory history;
    return history;
}
