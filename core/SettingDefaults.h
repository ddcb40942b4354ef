// The one default of each setting that more than one place reads. Every
// reader of these keys goes through GetSettingInt / GetSettingText, so a
// dialog that shows a key and the code that acts on it agree on what an
// unset key means, and a dialog can tell a changed value from an untouched
// one.
#pragma once

#include "classlib/ClassLib.h"

class CMailApp;

struct SettingDefault
{
    enum Kind
    {
        kInt,       // nValue
        kText,      // pszText
        kSysColor,  // GetSysColor(nValue)
        kSameAs,    // the value of key pszText of the same section
    };
    const char* pszSection;
    const char* pszKey;
    Kind kind;
    int nValue;
    const char* pszText;
};

// The entry of a key (sections and keys compared without regard to case);
// null when the key has no shared default.
const SettingDefault* FindSettingDefault(const char* pszSection, const char* pszKey);
// Every entry, for checks over the whole table.
const SettingDefault* GetSettingDefaults(int* pnCount);

// The stored value, else the table's default (0 or "" for a key without one).
int GetSettingInt(CMailApp& app, const char* pszSection, const char* pszKey);
CString GetSettingText(CMailApp& app, const char* pszSection, const char* pszKey);
// The default alone.
int GetDefaultSettingInt(CMailApp& app, const char* pszSection, const char* pszKey);
CString GetDefaultSettingText(const char* pszSection, const char* pszKey);
