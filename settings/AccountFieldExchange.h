// Moves the account fields of one page between its controls and the field
// values, by the account field table.
#pragma once

#include "classlib/ClassLib.h"
#include "settings/AccountFieldMap.h"

// nPage: a page of the account settings dialog (or -1, the dialog itself);
// with bWizard a page of the set-up wizard.
void ExchangeAccountFields(CDataExchange* pDX, AccountFieldValues& fields, int nPage, bool bWizard);
