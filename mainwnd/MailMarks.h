// MailMarks: the marks the mail list sets on selected mails (read state,
// bookmark, colour label, delete protection). Each changes the record and
// rewrites its fixed part in "Index.lst", so the mark outlives the program.
#pragma once

#include <windows.h>

#include <vector>

class CMailFolderStore;

namespace MailMarks {

enum Mark { markRead, markUnread, bookmarkOn, bookmarkOff, protectOn, protectOff, colorLabel };

const int kDeleteProtected = 0x40;

// Sets the mark on the mails; nLabel and crLabel only for colorLabel (0
// automatic, 1-16 the palette, 99 with the colour given). Returns the
// number of records changed.
int Apply(CMailFolderStore* pStore, const std::vector<int>& indices, Mark mark, int nLabel = 0, COLORREF crLabel = 0);

// The mark a command of the mail lists sets (bookmark, read state, delete
// protection, a colour label: nLabel 99 for a colour still to be chosen);
// false for any other command.
bool FromCommand(UINT nID, Mark& mark, int& nLabel);

} // namespace MailMarks
