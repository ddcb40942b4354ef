#include "viewer/MailThreadBuilder.h"

#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <algorithm>

CMailThreadBuilder CMailThreadBuilder::FromList(CMailListData& list)
{
    std::vector<Mail> mails;
    CSingleLock lock(&list.RecordLock(), TRUE);
    int count = list.GetAllRecordCount();
    mails.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        CMailIndexRecord* r = list.GetMailRecord(i);
        Mail& m = mails[static_cast<size_t>(i)];
        if (!r) {
            m.bDeleted = true;
            continue;
        }
        m.strId = r->GetText(CMailIndexRecord::colMessageId);
        m.strRef = r->GetText(CMailIndexRecord::colReference);
        m.bDeleted = r->m_bDeleted != 0;
    }
    return CMailThreadBuilder(std::move(mails));
}

int CMailThreadBuilder::FindRoot(int nStart) const
{
    if (nStart < 0 || nStart >= GetCount())
        return -1;
    std::vector<bool> visited(m_mails.size(), false);
    visited[static_cast<size_t>(nStart)] = true;
    int current = nStart;
    for (;;) {
        const CString& ref = GetMail(current).strRef;
        if (ref.IsEmpty())
            break;
        int parent = -1;
        for (int i = 0; i < GetCount(); i++) {
            if (IsLive(i) && GetMail(i).strId == ref) {
                parent = i;
                break;
            }
        }
        if (parent < 0 || visited[static_cast<size_t>(parent)])
            break;
        visited[static_cast<size_t>(parent)] = true;
        current = parent;
    }
    return current;
}

std::vector<CMailThreadBuilder::Node> CMailThreadBuilder::BuildTree(int nStart, int nKeepRoot) const
{
    std::vector<Node> nodes;
    int root = IsLive(nKeepRoot) ? nKeepRoot : (IsLive(nStart) ? FindRoot(nStart) : -1);
    if (root < 0)
        return nodes;
    std::vector<bool> placed(m_mails.size(), false);
    std::vector<int> path;
    const Mail& top = GetMail(root);
    if (!top.strRef.IsEmpty()) {
        // The root's parent is not in the folder (or the walk met a loop):
        // every mail answering the same id stands under the top item.
        AddTreeAnswers(top.strRef, -1, -1, path, placed, nodes);
        // A root that does not itself answer that id (it cannot happen with
        // a found root, but a kept one may have been relinked) is not lost.
        if (!placed[static_cast<size_t>(root)]) {
            placed[static_cast<size_t>(root)] = true;
            nodes.push_back({root, -1, false});
            path.push_back(root);
            AddTreeAnswers(top.strId, root, static_cast<int>(nodes.size()) - 1, path, placed, nodes);
        }
    } else {
        placed[static_cast<size_t>(root)] = true;
        nodes.push_back({root, -1, false});
        path.push_back(root);
        AddTreeAnswers(top.strId, root, 0, path, placed, nodes);
    }
    return nodes;
}

void CMailThreadBuilder::AddTreeAnswers(const CString& id, int nParentMail, int nParentNode, std::vector<int>& path,
                                        std::vector<bool>& placed, std::vector<Node>& nodes) const
{
    if (id.IsEmpty())
        return;
    for (int i = 0; i < GetCount(); i++) {
        if (i == nParentMail || !IsLive(i) || GetMail(i).strRef != id)
            continue;
        if (std::find(path.begin(), path.end(), i) != path.end()) {
            // An answer that is an ancestor closes a loop: shown once, where
            // it already stands, and its answerer is marked.
            if (nParentNode >= 0)
                nodes[static_cast<size_t>(nParentNode)].bLoop = true;
            continue;
        }
        if (placed[static_cast<size_t>(i)])
            continue;
        placed[static_cast<size_t>(i)] = true;
        nodes.push_back({i, nParentNode, false});
        int node = static_cast<int>(nodes.size()) - 1;
        path.push_back(i);
        AddTreeAnswers(GetMail(i).strId, i, node, path, placed, nodes);
        path.pop_back();
    }
}

std::vector<int> CMailThreadBuilder::BuildList(int nStart) const
{
    std::vector<int> rows;
    int root = FindRoot(nStart);
    if (root < 0)
        return rows;
    std::vector<bool> walked(m_mails.size(), false);
    const Mail& top = GetMail(root);
    if (!top.strRef.IsEmpty()) {
        AddListAnswers(top.strRef, walked, rows);
    } else {
        walked[static_cast<size_t>(root)] = true;
        if (IsLive(root))
            rows.push_back(root);
    }
    AddListAnswers(top.strId, walked, rows);
    return rows;
}

void CMailThreadBuilder::AddListAnswers(const CString& id, std::vector<bool>& walked, std::vector<int>& rows) const
{
    if (id.IsEmpty())
        return;
    for (int i = 0; i < GetCount(); i++) {
        if (walked[static_cast<size_t>(i)] || GetMail(i).strRef != id)
            continue;
        walked[static_cast<size_t>(i)] = true;
        if (IsLive(i))
            rows.push_back(i);
        AddListAnswers(GetMail(i).strId, walked, rows);
    }
}
