// CMapiBridge: what the Simple MAPI library does for MAPISendMail: copies
// the attachments into new folders of their own, writes the request file
// and hands its path to the client through the hand-over block, starting
// the client when it does not run.
#pragma once

#include "plugin/MapiRequestFile.h"

#include <windows.h>
#include <mapi.h>

#include <string>
#include <vector>

class CMapiBridge
{
public:
    // The request for a caller's message; the message is only read. A Simple
    // MAPI error code, SUCCESS_SUCCESS when the request and the copies are
    // ready. strFolder receives the send's own folder, which holds only the
    // request file. A refused send leaves no folder or copy behind.
    static ULONG PrepareRequest(const MapiMessage* pMessage, const std::string& tempFolder, MapiMailRequest& request,
                                std::string& strFolder);
    // Copies the message's files, each into a new folder of its own in the
    // temporary folder; a Simple MAPI error code. The copies made so far are
    // in copies also on failure.
    static ULONG CopyAttachments(const MapiMessage* pMessage, const std::string& tempFolder,
                                 std::vector<std::string>& copies);
    // Deletes a copy and its emptied folder.
    static void RemoveCopy(const std::string& copy);
    // Writes the request file into the folder; its path, or empty.
    static std::string WriteRequestFile(const MapiMailRequest& request, const std::string& folder);
    // Queues the request file's path and waits until the client took it,
    // starting the client from programPath when no client window exists.
    static ULONG HandToClient(const std::string& requestPath, const std::string& programPath, DWORD dwTimeout);
    // "CVMail.exe" in the folder of this library.
    static std::string ClientProgramPath();
    static ULONG SendMail(const MapiMessage* pMessage);
};
