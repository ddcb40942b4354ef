// An application whose settings live in a settings file of a test folder.
#pragma once

#include "core/MailApp.h"

struct FileModeApp : CMailApp
{
    explicit FileModeApp(const CString& path)
    {
        SetProfileFileMode(path);
        LoadProfileFile(path);
    }
};
