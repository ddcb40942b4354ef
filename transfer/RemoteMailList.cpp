#include "transfer/RemoteMailList.h"

#include "message/AddressList.h"

#include <algorithm>
#include <cstring>

CRemoteMailItem* CRemoteMailList::Add(int nAccount, const CString& header, const CString& strId, int nNumber,
                                      int nSize)
{
    auto pItem = std::make_unique<CRemoteMailItem>();
    pItem->SetData(nAccount, header, strId, nNumber, nSize);
    CSingleLock hold(&m_lock, TRUE);
    m_items.push_back(std::move(pItem));
    m_nTotalSize += std::max(nSize, 0);
    return m_items.back().get();
}

int CRemoteMailList::GetLastMailNumber()
{
    CSingleLock hold(&m_lock, TRUE);
    return m_items.empty() ? 0 : m_items.back()->m_nNumber;
}

CString CRemoteMailList::GetLastMailId()
{
    CSingleLock hold(&m_lock, TRUE);
    return m_items.empty() ? CString() : m_items.back()->m_strId;
}

int CRemoteMailList::GetServerCount()
{
    CSingleLock hold(&m_lock, TRUE);
    return m_nServerCount;
}

void CRemoteMailList::SetServerCount(int nCount)
{
    CSingleLock hold(&m_lock, TRUE);
    m_nServerCount = nCount;
}

void CRemoteMailList::Clear()
{
    CSingleLock hold(&m_lock, TRUE);
    m_items.clear();
    m_requests.clear();
    m_nServerCount = 0;
    m_nTotalSize = 0;
}

CString CRemoteMailList::CountLabel()
{
    CSingleLock hold(&m_lock, TRUE);
    return FormatString("%d / %d", GetCount(), m_nServerCount);
}

CString CRemoteMailList::SizeLabel()
{
    CSingleLock hold(&m_lock, TRUE);
    return FormatString("%dKB", static_cast<int>(m_nTotalSize / 1024));
}

bool CRemoteMailList::MakeRequests(int nAccount)
{
    CSingleLock hold(&m_lock, TRUE);
    m_requests.clear();
    for (auto& pItem : m_items) {
        if (!pItem->TakeOperation(nAccount))
            continue;
        CReceiveSelection entry;
        entry.nNumber = pItem->m_nNumber;
        entry.bNoReceive = pItem->m_bReceive ? 0 : 1;
        entry.bDelete = pItem->m_bDelete;
        entry.bKeepUnread = pItem->m_bKeepUnread;
        entry.strId = pItem->m_strId;
        m_requests.push_back(entry);
    }
    std::sort(m_requests.begin(), m_requests.end(),
              [](const CReceiveSelection& a, const CReceiveSelection& b) { return a.nNumber < b.nNumber; });
    return !m_requests.empty();
}

std::vector<CReceiveSelection> CRemoteMailList::GetRequests()
{
    CSingleLock hold(&m_lock, TRUE);
    return m_requests;
}

bool CRemoteMailList::HasRequests()
{
    CSingleLock hold(&m_lock, TRUE);
    return !m_requests.empty();
}

void CRemoteMailList::ClearRequests()
{
    CSingleLock hold(&m_lock, TRUE);
    m_requests.clear();
}

void CRemoteMailList::ApplyResults(std::vector<std::unique_ptr<CRemoteMailItem>>& removed)
{
    CSingleLock hold(&m_lock, TRUE);
    std::vector<int> gone;
    std::vector<std::unique_ptr<CRemoteMailItem>> kept;
    for (auto& pItem : m_items) {
        if (pItem->m_bDelete) {
            gone.push_back(pItem->m_nNumber);
            removed.push_back(std::move(pItem));
        } else {
            kept.push_back(std::move(pItem));
        }
    }
    std::sort(gone.begin(), gone.end());
    for (auto& pItem : kept) {
        int nBelow = static_cast<int>(std::lower_bound(gone.begin(), gone.end(), pItem->m_nNumber) - gone.begin());
        pItem->m_nNumber -= nBelow;
        pItem->m_bDelete = 0;
        if (pItem->m_nOperation == CRemoteMailItem::opReceive)
            pItem->m_nOperation = CRemoteMailItem::opReceived;
        else if (pItem->m_nOperation == CRemoteMailItem::opReceiveUnread)
            pItem->m_nOperation = CRemoteMailItem::opReceivedUnread;
    }
    m_items = std::move(kept);
    m_nServerCount = std::max(0, m_nServerCount - static_cast<int>(gone.size()));
    m_requests.clear();
    RecomputeTotal();
}

void CRemoteMailList::RecomputeTotal()
{
    m_nTotalSize = 0;
    for (auto& pItem : m_items)
        m_nTotalSize += std::max(pItem->m_nSize, 0);
}

int CRemoteMailList::Compare(const CRemoteMailItem& a, const CRemoteMailItem& b, int nColumn)
{
    int r = 0;
    switch (nColumn) {
    case 1:
        r = strcmp(a.m_strSubject, b.m_strSubject);
        break;
    case 2:
        r = strcmp(ExtractMailAddress(a.m_strSender), ExtractMailAddress(b.m_strSender));
        break;
    case 3:
        r = strcmp(a.m_strDate, b.m_strDate);
        break;
    case 4:
        r = a.m_nSize < b.m_nSize ? -1 : a.m_nSize > b.m_nSize ? 1 : 0;
        break;
    default:
        break;
    }
    if (r == 0)
        r = a.m_nNumber < b.m_nNumber ? -1 : a.m_nNumber > b.m_nNumber ? 1 : 0;
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}
