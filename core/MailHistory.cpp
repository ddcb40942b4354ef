#include "core/MailHistory.h"

#include <algorithm>

void CMailHistory::SetMaxEntries(int nMax)
{
    m_nMax = nMax > 0 ? nMax : 1;
    while (static_cast<int>(m_entries.size()) > m_nMax) {
        m_entries.erase(m_entries.begin());
        --m_nPos;
    }
    if (m_nPos < 0 && !m_entries.empty())
        m_nPos = 0;
}

void CMailHistory::Add(int nFolderId, int nIndex)
{
    const Entry entry = { nFolderId, nIndex };
    if (m_nPos >= 0 && m_entries[static_cast<size_t>(m_nPos)] == entry)
        return;
    m_entries.erase(m_entries.begin() + (m_nPos + 1), m_entries.end());
    m_entries.push_back(entry);
    if (static_cast<int>(m_entries.size()) > m_nMax)
        m_entries.erase(m_entries.begin());
    m_nPos = static_cast<int>(m_entries.size()) - 1;
}

bool CMailHistory::Back(Entry& entry)
{
    if (m_nPos <= 0)
        return false;
    entry = m_entries[static_cast<size_t>(--m_nPos)];
    return true;
}

bool CMailHistory::Forward(Entry& entry)
{
    if (m_nPos < 0 || m_nPos + 1 >= static_cast<int>(m_entries.size()))
        return false;
    entry = m_entries[static_cast<size_t>(++m_nPos)];
    return true;
}

bool CMailHistory::Current(Entry& entry) const
{
    if (m_nPos < 0)
        return false;
    entry = m_entries[static_cast<size_t>(m_nPos)];
    return true;
}

void CMailHistory::RemoveFolder(int nFolderId)
{
    for (int i = static_cast<int>(m_entries.size()) - 1; i >= 0; --i) {
        if (m_entries[static_cast<size_t>(i)].nFolderId != nFolderId)
            continue;
        m_entries.erase(m_entries.begin() + i);
        if (i <= m_nPos)
            --m_nPos;
    }
    if (m_nPos < 0 && !m_entries.empty())
        m_nPos = 0;
}
