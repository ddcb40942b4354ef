// The mailbox a first start makes: the program started once on the
// settings file of the folder, its mailbox the folder's "MailBox", and
// closed again, leaves the default folders that a test then fills.
#pragma once

#include "classlib/String.h"

namespace E2e {

// False when the program did not show its main window or did not end cleanly.
bool MakeMailBoxByFirstStart(const CString& folder);

} // namespace E2e
