// The client's side of a Simple MAPI request: the request file the library
// wrote becomes a new mail window with its recipients, subject, body and
// attachment copies.
#pragma once

#include "plugin/MapiRequestFile.h"

class CMailEditRequest;

// Reads the request file, deletes it and opens the editor; false when the
// file is not a request in a folder the library made, or no editor could be
// opened.
bool OpenMapiRequestFile(const char* pszPath);
// Opens the editor for a request text handed over in the block itself
// (hand-over command 5); any attachment it names is dropped.
bool OpenMapiRequestText(const char* pszText);
// The editor request for a Simple MAPI request: the library's copies are
// temporary attachments, other files ordinary ones, and attachments that no
// longer exist are left out.
void BuildMapiEditRequest(const MapiMailRequest& mapi, CMailEditRequest& request);
