// MailDrag: mails of one folder dragged out of a mail list: onto a folder of
// the folder tree, which takes them by the mail block, or onto the shell,
// which takes each as a mail file.
#pragma once

#include <windows.h>

#include <vector>

class CMailFolderStore;

namespace MailDrag {

// Runs the drag of the mails until the drop; hBlock is the mail block of
// the mails (the drag owns it). The drop effect (DROPEFFECT_MOVE when the
// target moved them away).
DWORD Run(CMailFolderStore* pStore, const std::vector<int>& mails, HGLOBAL hBlock);

} // namespace MailDrag
