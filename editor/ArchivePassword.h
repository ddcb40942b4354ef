// The archive password of a mail that leaves with attachments (or with its
// body as an archive): the default password, or the user's answer to the
// password question. A password that no archiver can apply stops the send:
// the mail would otherwise go in clear while its text says it is encrypted.
#pragma once

#include "classlib/ClassLib.h"

class CArchiver;
class CWnd;

// False when the send must stop (the reason was shown). Otherwise password
// holds the password, empty when the user chose to send without one.
bool SettleArchivePassword(CWnd* pParent, const CArchiver& archiver, CString& password);
