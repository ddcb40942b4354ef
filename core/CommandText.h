// Texts of key combinations and commands: the key-name table, accelerator
// and menu key texts, and the group and name of a command for the key
// assignment and toolbar dialogs.
#pragma once

#include "classlib/ClassLib.h"

// Accelerator flag bits (FALT, FCONTROL, FSHIFT) as prefixes, then the key's
// name; a key missing from the table adds nothing after the prefixes.
CString FormatHotKeyText(WORD wKey, BYTE fFlags);
// The name of a virtual-key code in the key-name table, or null.
const char* GetKeyName(WORD wKey);
// Entry n of the key-name table in its order; null past the end.
const char* GetKeyNameAt(int n, WORD* pwKey);
// FormatHotKeyText of the first entry of the accelerator table that runs the
// command; empty when there is none or no table.
CString GetCommandKeyText(const ACCEL* pTable, UINT nCommand, int nCount);
// The key part of a menu item's text: from its first TAB (included) to the end.
CString GetMenuItemKeyText(CWnd* pMenuOwner, UINT nCommand);
// The group and the name of a command, from its string resource
// ("description\nname\ngroup\nlabel"), or for plug-in commands (40000 to
// 41000) from the main window's plug-in command list.
void GetCommandDescription(UINT nCommand, CString& group, CString& name);

// The main window answers the texts of plug-in commands; null when there is
// no main window. Returns the provider installed before.
typedef bool (*PlugInCommandTextProvider)(UINT nCommand, CString& group, CString& name);
PlugInCommandTextProvider SetPlugInCommandTextProvider(PlugInCommandTextProvider provider);
