// Settings reads of the viewer, through the application's profile functions
// (registry or settings file); the default is the answer when no
// application object runs.
#pragma once

#include "core/QuendalApp.h"

namespace ViewerProfile {

inline int GetInt(const char* pszSection, const char* pszEntry, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszEntry, nDefault) : nDefault;
}

inline CString GetString(const char* pszSection, const char* pszEntry, const char* pszDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileString(pszSection, pszEntry, pszDefault) : CString(pszDefault);
}

} // namespace ViewerProfile
