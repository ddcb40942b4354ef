// CReceiveFolderChooser: what the filter rules decide for a mail being
// received: whether it is received at all, which folder files it with which
// label, and whether it stays on the server. The receive session thread asks
// it for every mail; this base has no rules (everything into the inbox).
#pragma once

#include "classlib/ClassLib.h"
#include "transfer/DivideupFiling.h"

#include <string>

class CReceiveFolderChooser
{
public:
    virtual ~CReceiveFolderChooser() = default;

    // True when server mails are to be checked before they are received.
    virtual bool BeginReceive() { return false; }
    // For the header of a mail still on the server: 0 receive it, 1 leave
    // it on the server, 2 leave it and delete it on the server.
    virtual int CheckReceive(const CString& strHeader);
    // The filing of a received mail file; false keeps the default (the
    // session's inbox, no label).
    virtual bool ChooseFolder(const CString& strMailPath, ReceiveFilingChoice& choice);
    // The same for a received mail held in memory (the bytes its file
    // would hold).
    virtual bool ChooseFolderForMail(const std::string& mail, ReceiveFilingChoice& choice);
};
