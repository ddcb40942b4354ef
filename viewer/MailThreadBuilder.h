// CMailThreadBuilder: the mails of one reply thread of a folder, worked out
// from each mail's Message-ID and the id of the mail it answers (its
// reference id). The thread tree window shows the result as a tree, the
// related-mail list window as a flat list in depth-first order.
//
// Ids compare as exact byte strings. Mails marked deleted take no part in
// the walk to the root. Every mail appears at most once, so reference loops
// and duplicate Message-IDs cannot make the walk run away.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CMailListData;

class CMailThreadBuilder
{
public:
    struct Mail
    {
        CString strId;   // Message-ID
        CString strRef;  // the Message-ID this mail answers
        bool bDeleted = false;
    };

    // One item of the tree below the top item, in insertion order (each
    // item after its parent).
    struct Node
    {
        int nMail;     // index of the mail
        int nParent;   // node index of the parent item, -1 for the top item
        bool bLoop;    // one of the mail's answers is an ancestor of it
    };

    CMailThreadBuilder() = default;
    explicit CMailThreadBuilder(std::vector<Mail> mails) : m_mails(std::move(mails)) {}

    // A snapshot of a folder's index (every record, deleted ones marked).
    static CMailThreadBuilder FromList(CMailListData& list);

    // The mail at the top of the thread of nStart: from it, the live mail
    // whose Message-ID is the current mail's reference id, as long as one is
    // found and has not been passed before.
    int FindRoot(int nStart) const;

    // The tree of the thread of nStart (root found anew, or nKeepRoot when
    // it is still a live mail).
    std::vector<Node> BuildTree(int nStart, int nKeepRoot = -1) const;

    // The thread of nStart as a flat list: the root (unless its own parent
    // is missing) and the answers depth first. A deleted mail gets no row,
    // but its answers are listed.
    std::vector<int> BuildList(int nStart) const;

    int GetCount() const { return static_cast<int>(m_mails.size()); }
    const Mail& GetMail(int n) const { return m_mails[static_cast<size_t>(n)]; }

private:
    bool IsLive(int n) const { return n >= 0 && n < GetCount() && !m_mails[static_cast<size_t>(n)].bDeleted; }
    void AddTreeAnswers(const CString& id, int nParentMail, int nParentNode, std::vector<int>& path,
                        std::vector<bool>& placed, std::vector<Node>& nodes) const;
    void AddListAnswers(const CString& id, std::vector<bool>& walked, std::vector<int>& rows) const;

    std::vector<Mail> m_mails;
};
