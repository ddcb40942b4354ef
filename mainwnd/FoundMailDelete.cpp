#include "mainwnd/FoundMailDelete.h"

#include "mainwnd/MailTransfer.h"
#include "store/MailFolderStore.h"

#include <algorithm>

namespace FoundMailDelete {

std::vector<bool> Delete(CQuendalApp& app, const std::vector<Mail>& mails, bool bPermanent)
{
    std::vector<bool> deleted(mails.size(), false);
    std::vector<bool> asked(mails.size(), false);
    for (size_t i = 0; i < mails.size(); ++i) {
        if (asked[i] || !mails[i].pStore)
            continue;
        // All the mails of this folder at once.
        CMailFolderStore* store = mails[i].pStore;
        std::vector<int> indices;
        for (size_t k = i; k < mails.size(); ++k) {
            if (mails[k].pStore == store) {
                indices.push_back(mails[k].nIndex);
                asked[k] = true;
            }
        }
        CMailTransfer::Result result = CMailTransfer::DeleteMails(app, store, indices, bPermanent);
        for (size_t k = i; k < mails.size(); ++k) {
            if (mails[k].pStore != store)
                continue;
            MailObjectBlock::MailRef ref = {store->GetFolderId(), mails[k].nIndex};
            deleted[k] = std::find(result.done.begin(), result.done.end(), ref) != result.done.end();
        }
    }
    return deleted;
}

} // namespace FoundMailDelete
