// What a user should change when an SMTP server refuses a mail.
#pragma once

#include "classlib/ClassLib.h"

// The setting of the account dialog ("アカウントの設定") to change when the
// server refused because it wants an encrypted connection or a login, in
// Japanese; empty for any other refusal.
CString SmtpSettingHint(int nCode, const char* pszReply);
