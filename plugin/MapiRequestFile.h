// The request the Simple MAPI library hands to the client: recipients by
// kind, subject, body and the paths of the attachment copies. It travels as
// a file the library writes into a new folder of its own, and the path of
// that file travels through the hand-over block (command 6), which a web
// page's mailto link cannot reach. Every value is escaped, so no value can
// add lines or fields of its own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct MapiMailRequest
{
    std::string to, cc, bcc, subject, body;
    std::vector<std::string> attachments;
};

// The hand-over command that carries a request file's path.
const WORD kHandOverMapiCommand = 6;
// wParam of the application thread's message for a request: lParam is the
// path of a request file (0) or the text of a request without attachments.
const WPARAM kMapiRequestFile = 0;
const WPARAM kMapiRequestText = 1;

// "Name <address>" for a recipient; the address loses a transport prefix
// ("SMTP:") up to its first colon, a plain "user@host" is taken as it is,
// and a recipient without an address is its name.
std::string FormatMapiRecipient(const char* pszName, const char* pszAddress);
// Appends a recipient to a list, each followed by "," ("A <a>,B <b>,").
void AppendMapiRecipient(std::string& list, const std::string& recipient);

std::string FormatMapiRequest(const MapiMailRequest& request);
// False when the text is not a request.
bool ParseMapiRequest(const std::string& text, MapiMailRequest& request);

// Makes a new folder "$$F..." under the base folder that did not exist
// before; its path (with a trailing backslash), or empty on failure.
std::string MakeUniqueFolder(const std::string& baseFolder);
// The folder in which the library makes its "$$F..." folders (the
// platform's temporary folder of this user), with a trailing backslash.
std::string MapiTempFolder();
// Removes the folder of the file's path when it is a "$$F..." folder and
// holds nothing any more (the request file or the copy in it was deleted).
void RemoveEmptyCopyFolder(const std::string& filePath);
