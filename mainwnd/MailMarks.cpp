#include "mainwnd/MailMarks.h"

#include "resources/mainwnd/MailCommandsResource.h"
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

bool FromCommand(UINT nID, Mark& mark, int& nLabel)
{
    nLabel = 0;
    mark = colorLabel;
    switch (nID) {
    case ID_MAIL_BOOKMARK_ON: mark = bookmarkOn; return true;
    case ID_MAIL_BOOKMARK_OFF: mark = bookmarkOff; return true;
    case ID_MAIL_MARK_UNREAD: mark = markUnread; return true;
    case ID_MAIL_MARK_READ: mark = markRead; return true;
    case ID_MAIL_PROTECT_ON: mark = protectOn; return true;
    case ID_MAIL_PROTECT_OFF: mark = protectOff; return true;
    case ID_MAIL_LABEL_AUTO: return true;
    case ID_MAIL_LABEL_OTHER: nLabel = 99; return true;
    default:
        if (nID < ID_MAIL_LABEL_FIRST || nID > ID_MAIL_LABEL_LAST)
            return false;
        nLabel = static_cast<int>(nID - ID_MAIL_LABEL_FIRST) + 1;
        return true;
    }
}

} // namespace MailMarks
