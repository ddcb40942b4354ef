// The account most end-to-end tests give the program: test user n, receiving
// from the test Dovecot and sending through the test Postfix on 587 with
// STARTTLS and a login.
#pragma once

#include "classlib/String.h"

namespace E2e {

// Writes "Account.dat" into the mailbox folder with that one account; the
// password defaults to the user's own.
bool WriteTestAccount(const CString& mailBox, int nUser, const char* pszPassword = nullptr);
// Appends an account of test user n under that name (the user's name its
// sender name) to the mailbox's "Account.dat".
bool AddTestAccount(const CString& mailBox, int nUser, const char* pszName, const char* pszUserName);

} // namespace E2e
