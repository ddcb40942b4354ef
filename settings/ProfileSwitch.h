// Switching the profile in use: the account table, the route table, the
// address-book folder and the folders shown follow the profile's file.
#pragma once

#include "classlib/ClassLib.h"

class CQuendalApp;

// Makes the named profile of "Profile.Box" current; an empty name ends the
// use of profiles. The paths a profile leaves empty are the mailbox's own
// (or those named on the command line).
void SwitchProfile(CQuendalApp& app, const char* pszName);
// Applies the profile in use again as its file is now (after it was edited,
// or another mailbox with its own profiles was chosen); one whose file is
// gone is no longer used rather than shown as empty.
void ReapplyProfile(CQuendalApp& app);
// Reads the account table in use again (after the account dialog wrote it),
// keeping the profile's choice of accounts and the current account by its
// name. While a receive or send runs, its worker reads the table, so the
// table is read once the transfer has ended.
void ReloadAccounts(CQuendalApp& app);
