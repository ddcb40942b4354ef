// What the colour text view's commands hand to the rest of the program:
// opening a text through the shell, starting a mail editor, handing an
// address to the running instance. Each has a default; a test replaces
// one to record what the view asked for.
#pragma once

#include "classlib/ClassLib.h"

class CMailFolderStore;

struct TextViewActions
{
    // Opens pszFile with the shell's "open" verb (pszParams for a program),
    // on a worker thread so that a slow program never holds the window.
    void (*pfnShellOpen)(const char* pszFile, const char* pszParams) = nullptr;
    // Starts an editor: nMode -1 a new mail, 1 reply, 2 reply to all; the
    // store and index of the mail it refers to (none and -1); the address
    // text and the body (the quoted text for a reply).
    BOOL (*pfnOpenEditor)(int nMode, CMailFolderStore* pStore, int nIndex, const char* pszAddress,
                          const char* pszBody) = nullptr;
    // Hands "name <address>" (or a bare address) to the running instance's
    // address book.
    void (*pfnHandOverAddress)(const char* pszText) = nullptr;
    // Adds a sender (bare address and display name) to the junk-mail senders.
    BOOL (*pfnAddJunkSender)(const char* pszAddress, const char* pszName) = nullptr;
};

// The actions in force, the defaults filled in.
TextViewActions& GetTextViewActions();

// Hands one address entry ("name <address>", an address, a From text) to
// the address book as "name <address>", or the bare address without a name.
void HandOverAddressEntry(const char* pszEntry);
