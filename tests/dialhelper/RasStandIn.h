// Control of the stand-in remote-access library (rasapi32.dll of the tests).
// Wine's own remote-access library is stubs; this one scripts connection
// states and records every call, so Vonlink and the dial-up link are tested
// through the real export names. The tests load it by running with the
// native rasapi32 preferred (WINEDLLOVERRIDES) and find these functions in
// the loaded module.
#pragma once

#include <windows.h>

#include <string>

namespace RasStandIn {

// A scripted state of -1 makes every later status query fail.
const int kStatusFails = -1;

struct Script
{
    int openConnections = 0;       // lines that RasEnumConnectionsA reports as up
    BOOL passwordStored = FALSE;   // RasGetEntryDialParamsA gives "stored-user"/"stored-pw"
    DWORD dialResult = 0;          // what RasDialA returns
    DWORD entryCount = 2;          // entries RasEnumEntriesA reports ("会社", "自宅")
    bool notifyBeforeReturn = false;  // notifications start before RasDialA returns
    int states[16] = {};           // states notified one after another after dialling
    DWORD errors[16] = {};
    int stateCount = 0;
};

typedef void (*PFN_SetScript)(const Script* pScript);
typedef int (*PFN_ReadCalls)(char* pBuffer, int nSize);

// The functions of the loaded stand-in; false when it is not the one loaded.
inline bool Find(PFN_SetScript& setScript, PFN_ReadCalls& readCalls)
{
    HMODULE hModule = GetModuleHandleA("rasapi32.dll");
    if (hModule == nullptr)
        return false;
    setScript = reinterpret_cast<PFN_SetScript>(reinterpret_cast<void*>(GetProcAddress(hModule, "StandInSetScript")));
    readCalls = reinterpret_cast<PFN_ReadCalls>(reinterpret_cast<void*>(GetProcAddress(hModule, "StandInReadCalls")));
    return setScript && readCalls;
}

// The calls recorded since the last script, one line each.
inline std::string Calls(PFN_ReadCalls readCalls)
{
    int n = readCalls(nullptr, 0);
    std::string text(static_cast<size_t>(n), '\0');
    if (n > 0)
        readCalls(&text[0], n);
    return text;
}

} // namespace RasStandIn
