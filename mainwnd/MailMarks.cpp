#include "mainwnd/MailMarks.h"

#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

namespace MailMarks {

int Apply(CMailFolderStore* pStore, const std::vector<int>& indices, Mark mark, int nLabel, COLORREF crLabel)
{
    CMailListData* list = pStore ? pStore->GetMailList() : nullptr;
    if (!list)
        return 0;
    int changed = 0;
    list->OpenFile();
    for (int index : indices) {
        CMailIndexRecord* r = list->GetMailRecord(index);
        if (!r || r->m_bDeleted)
            continue;
        switch (mark) {
        case markRead: list->SetOpen(r); break;
        case markUnread: list->SetUnOpen(r); break;
        case bookmarkOn: list->SetBookmark(r, 1, TRUE); break;
        case bookmarkOff: list->SetBookmark(r, 0, TRUE); break;
        case protectOn: list->SetMailFlags(r, r->m_nFlags | kDeleteProtected, TRUE); break;
        case protectOff: list->SetMailFlags(r, r->m_nFlags & ~kDeleteProtected, TRUE); break;
        case colorLabel: list->SetColorLabel(r, nLabel, nLabel == 99 ? crLabel : 0); break;
        }
        changed++;
    }
    list->CloseFile();
    return changed;
}

} // namespace MailMarks
