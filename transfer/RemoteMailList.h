// CRemoteMailList: the server's mails the selective-receive window shows, in
// listing order, with the server's mail count and the sum of their sizes.
// The receiving session appends to it from its own thread while the window
// reads it on the UI thread, so every access holds the list's lock.
#pragma once

#include "classlib/ClassLib.h"
#include "net/ReceiveSession.h"
#include "transfer/RemoteMailItem.h"

#include <memory>
#include <vector>

class CRemoteMailList
{
public:
    CCriticalSection& Lock() { return m_lock; }

    // ---- The listing (any thread) ----
    CRemoteMailItem* Add(int nAccount, const CString& header, const CString& strId, int nNumber, int nSize);
    int GetLastMailNumber();
    CString GetLastMailId();
    int GetServerCount();
    void SetServerCount(int nCount);

    // ---- The window (lock held by the caller while it walks the items) ----
    void Clear();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CRemoteMailItem* GetAt(int i) const { return m_items[static_cast<size_t>(i)].get(); }
    long long GetTotalSize() const { return m_nTotalSize; }
    // "%d / %d": listed / on the server; "%dKB": the listed sizes.
    CString CountLabel();
    CString SizeLabel();

    // Execute: turns every item's operation into its flags and keeps the
    // requests (in message-number order). False when nothing is asked.
    bool MakeRequests(int nAccount);
    std::vector<CReceiveSelection> GetRequests();
    bool HasRequests();
    void ClearRequests();

    // After a successful run: the deleted mails leave the list (handed back
    // in pRemoved so that their rows can go first), the numbers of the rest
    // close up, the server count drops by as many, and the received rows
    // get their done marks.
    void ApplyResults(std::vector<std::unique_ptr<CRemoteMailItem>>& removed);

    // Sort order of column nColumn (0 number, 1 subject, 2 sender's address,
    // 3 date text, 4 size): a strict ordering, ties broken by the number, so
    // that every sort of the same rows gives the same order.
    static int Compare(const CRemoteMailItem& a, const CRemoteMailItem& b, int nColumn);

private:
    void RecomputeTotal();

    CCriticalSection m_lock;
    std::vector<std::unique_ptr<CRemoteMailItem>> m_items;
    std::vector<CReceiveSelection> m_requests;
    int m_nServerCount = 0;
    long long m_nTotalSize = 0;
};
