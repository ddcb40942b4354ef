// Combo boxes filled from the account table of the application.
#pragma once

#include <windows.h>

// Reloads the account table, empties the combo box and adds every account
// name in table order.
void FillAccountNameCombo(HWND hCombo);
// Adds every account name without emptying the box or reloading.
void AddAccountNamesToCombo(HWND hCombo);
// Adds every account's mail address in table order, skipping one that an
// address already added begins with (letter case aside).
void FillAccountAddressCombo(HWND hCombo);
