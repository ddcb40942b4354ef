// CReceiveFolderChooser: what the filter rules decide for a mail being
// received: whether it is received at all and which folder files it. The
// receive session thread asks it for every mail; without rules every mail
// is received into the inbox.
#pragma once

#include "classlib/ClassLib.h"

class CMailFolderStore;

class CReceiveFolderChooser
{
public:
    virtual ~CReceiveFolderChooser() = default;

    // For the header of a mail still on the server: 0 receive it, 1 leave
    // it on the server, 2 leave it and delete it on the server.
    virtual int CheckReceive(const CString& strHeader);
    // The folder that files the received mail file; null keeps the default
    // (the session's inbox).
    virtual CMailFolderStore* ChooseFolder(const CString& strMailPath);
};
