// Deleting mails found by a search, which may lie in any folders: each
// folder's mails go through the main list's delete, so a mail is marked
// deleted only once its copy in the trash was written (unless the delete is
// for good or the mail is in the trash), and delete-protected mails stay.
#pragma once

#include <vector>

class CMailFolderStore;
class CQuendalApp;

namespace FoundMailDelete {

struct Mail
{
    CMailFolderStore* pStore;
    int nIndex;
};

// For each mail, whether it was deleted (its row may go).
std::vector<bool> Delete(CQuendalApp& app, const std::vector<Mail>& mails, bool bPermanent);

} // namespace FoundMailDelete
