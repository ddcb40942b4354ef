#include "core/PostedObjectTable.h"

CPostedObjectTable& CPostedObjectTable::Instance()
{
    static CPostedObjectTable table;
    return table;
}

LPARAM CPostedObjectTable::PutEntry(UINT nMessage, const void* pType, std::shared_ptr<void> object)
{
    std::lock_guard<std::mutex> hold(m_lock);
    // Tokens are not reused while the process runs, so a message that
    // arrives late never finds another object under its token.
    ++m_nextToken;
    m_entries[m_nextToken] = Entry{nMessage, pType, std::move(object)};
    return m_nextToken;
}

std::shared_ptr<void> CPostedObjectTable::TakeEntry(UINT nMessage, const void* pType, LPARAM token)
{
    std::shared_ptr<void> object;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = m_entries.find(token);
        if (it == m_entries.end() || it->second.nMessage != nMessage || it->second.pType != pType)
            return nullptr;
        object = std::move(it->second.object);
        m_entries.erase(it);
    }
    return object;
}

void CPostedObjectTable::Drop(LPARAM token)
{
    std::shared_ptr<void> object;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = m_entries.find(token);
        if (it == m_entries.end())
            return;
        object = std::move(it->second.object);
        m_entries.erase(it);
    }
    // The object goes outside the lock: its destructor may put or take.
}

bool CPostedObjectTable::PostTokenToThread(DWORD dwThreadId, UINT nMessage, WPARAM wParam, LPARAM token)
{
    if (::PostThreadMessageA(dwThreadId, nMessage, wParam, token))
        return true;
    Drop(token);
    return false;
}

bool CPostedObjectTable::PostTokenToWindow(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM token)
{
    if (::PostMessageA(hWnd, nMessage, wParam, token))
        return true;
    Drop(token);
    return false;
}

bool CPostedObjectTable::SendToken(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM token, UINT fuFlags,
                                   DWORD dwTimeoutMs, DWORD_PTR* pResult)
{
    DWORD_PTR result = 0;
    const bool sent = ::SendMessageTimeoutA(hWnd, nMessage, wParam, token, fuFlags, dwTimeoutMs, &result) != 0;
    Drop(token);
    if (pResult)
        *pResult = result;
    return sent;
}

size_t CPostedObjectTable::GetCount() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_entries.size();
}
