// The client's side of a Simple MAPI request: the request file the library
// wrote becomes a new mail window with its recipients, subject, body and
// attachment copies.
#pragma once

#include "plugin/MapiRequestFile.h"

class CHeldFile;
class CMailEditRequest;

// Reads the request file, deletes it and opens the editor; false when the
// file is not a request in a folder the library made, or no editor could be
// opened.
bool OpenMapiRequestFile(const char* pszPath);
// Opens the editor for a request text handed over in the block itself
// (hand-over command 5); any attachment it names is dropped.
bool OpenMapiRequestText(const char* pszText);
// The editor request for a Simple MAPI request: the library's copies become
// temporary attachments taken into new folders under ownFolder (the
// client's own), other files are ordinary ones, and attachments that no
// longer exist are left out.
void BuildMapiEditRequest(const MapiMailRequest& mapi, const std::string& ownFolder, CMailEditRequest& request);

// True when the held file lies directly in a "$$F..." folder directly in
// tempFolder, judged by where the file system resolved both (relative parts,
// short names, links and junctions followed). Only such files are copies
// the library made for the client, which the client may delete; a request
// that names anything else names a file of the user.
bool IsMapiCopy(const CHeldFile& file, const std::string& tempFolder);
// Takes a copy the library made, held since it was checked: its bytes go
// to a new "$$F..." folder under ownFolder (the client's own), and the
// library's copy and its emptied folder go. The path of the client's copy,
// or empty when it could not be made (the library's copy is then kept).
std::string TakeMapiCopy(CHeldFile& library, const std::string& ownFolder);
