// The stand-in rasapi32.dll; see RasStandIn.h.
#include "RasStandIn.h"

#include <ras.h>
#include <raserror.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace {

std::mutex g_lock;
RasStandIn::Script g_script;
std::string g_calls;
int g_state = 0;
bool g_statusFails = false;
ULONG_PTR g_nextHandle = 0x5100;

void Record(const std::string& line)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_calls += line;
    g_calls += '\n';
}

std::string Text(const char* psz)
{
    return psz ? std::string(psz) : std::string("(null)");
}

std::string Format(const char* pszFormat, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(buffer, sizeof(buffer), pszFormat, args);
    va_end(args);
    return buffer;
}

// Notification threads may still be on their way out of this library when a
// test frees Vonlink and with it the last reference to us.
void PinThisLibrary()
{
    HMODULE hSelf = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&PinThisLibrary), &hSelf);
}

void Notify(RASDIALFUNC2 pfnNotify, HRASCONN hConn, RasStandIn::Script script)
{
    for (int i = 0; i < script.stateCount; i++) {
        Sleep(20);
        {
            std::lock_guard<std::mutex> guard(g_lock);
            if (script.states[i] == RasStandIn::kStatusFails)
                g_statusFails = true;
            else
                g_state = script.states[i];
        }
        DWORD more = pfnNotify(0, 0, hConn, WM_RASDIALEVENT, static_cast<RASCONNSTATE>(script.states[i]),
                               script.errors[i], 0);
        if (more == 0)
            break;
    }
}

} // namespace

extern "C" {

__declspec(dllexport) void StandInSetScript(const RasStandIn::Script* pScript)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_script = *pScript;
    g_calls.clear();
    g_state = 0;
    g_statusFails = false;
}

__declspec(dllexport) int StandInReadCalls(char* pBuffer, int nSize)
{
    std::lock_guard<std::mutex> guard(g_lock);
    int n = static_cast<int>(g_calls.size());
    if (pBuffer && nSize >= n)
        memcpy(pBuffer, g_calls.data(), static_cast<size_t>(n));
    return n;
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA pConnections, LPDWORD pcbSize, LPDWORD pcConnections)
{
    Record(Format("RasEnumConnectionsA dwSize=%s cb=%lu", pConnections->dwSize == sizeof(RASCONNA) ? "ok" : "wrong",
                  *pcbSize));
    if (pConnections->dwSize != sizeof(RASCONNA))
        return ERROR_INVALID_SIZE;
    DWORD n = static_cast<DWORD>(g_script.openConnections);
    if (*pcbSize < n * sizeof(RASCONNA)) {
        *pcbSize = n * sizeof(RASCONNA);
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (DWORD i = 0; i < n; i++) {
        pConnections[i].hrasconn = reinterpret_cast<HRASCONN>(0x7700 + i);
        strcpy(pConnections[i].szEntryName, "他の接続");
    }
    *pcConnections = n;
    return 0;
}

DWORD WINAPI RasEnumEntriesA(LPCSTR pszReserved, LPCSTR pszPhonebook, LPRASENTRYNAMEA pEntries, LPDWORD pcbSize,
                             LPDWORD pcEntries)
{
    Record(Format("RasEnumEntriesA reserved=%s phonebook=%s dwSize=%s cb=%lu", Text(pszReserved).c_str(),
                  Text(pszPhonebook).c_str(), pEntries->dwSize == sizeof(RASENTRYNAMEA) ? "ok" : "wrong", *pcbSize));
    if (pEntries->dwSize != sizeof(RASENTRYNAMEA))
        return ERROR_INVALID_SIZE;
    static const char* const names[] = {"会社", "自宅"};
    DWORD n = g_script.entryCount < 2 ? g_script.entryCount : 2;
    if (*pcbSize < n * sizeof(RASENTRYNAMEA)) {
        *pcbSize = n * sizeof(RASENTRYNAMEA);
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (DWORD i = 0; i < n; i++)
        strcpy(pEntries[i].szEntryName, names[i]);
    *pcEntries = n;
    return 0;
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR pszPhonebook, LPRASDIALPARAMSA pParams, LPBOOL pbPasswordStored)
{
    Record(Format("RasGetEntryDialParamsA phonebook=%s entry=%s dwSize=%s", Text(pszPhonebook).c_str(),
                  pParams->szEntryName, pParams->dwSize == sizeof(RASDIALPARAMSA) ? "ok" : "wrong"));
    if (pParams->dwSize != sizeof(RASDIALPARAMSA))
        return ERROR_INVALID_SIZE;
    *pbPasswordStored = g_script.passwordStored;
    if (g_script.passwordStored) {
        strcpy(pParams->szUserName, "stored-user");
        strcpy(pParams->szPassword, "stored-pw");
    }
    return 0;
}

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS pExtensions, LPCSTR pszPhonebook, LPRASDIALPARAMSA pParams,
                      DWORD dwNotifierType, LPVOID pNotifier, LPHRASCONN phConn)
{
    Record(Format("RasDialA ext=%s phonebook=%s dwSize=%s entry=%s user=%s password=%s notifier=%lu",
                  pExtensions ? "set" : "(null)", Text(pszPhonebook).c_str(),
                  pParams->dwSize == sizeof(RASDIALPARAMSA) ? "ok" : "wrong", pParams->szEntryName,
                  pParams->szUserName, pParams->szPassword, dwNotifierType));
    if (pParams->dwSize != sizeof(RASDIALPARAMSA))
        return ERROR_INVALID_SIZE;
    HRASCONN hConn = reinterpret_cast<HRASCONN>(g_nextHandle++);
    *phConn = hConn;
    if (g_script.dialResult != 0)
        return g_script.dialResult;
    if (dwNotifierType == 2 && pNotifier && g_script.stateCount > 0) {
        PinThisLibrary();
        std::thread(Notify, reinterpret_cast<RASDIALFUNC2>(pNotifier), hConn, g_script).detach();
        // Lets the first notification overtake the return, as a quick modem can.
        if (g_script.notifyBeforeReturn)
            Sleep(200);
    }
    return 0;
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN hConn, LPRASCONNSTATUSA pStatus)
{
    if (pStatus->dwSize != sizeof(RASCONNSTATUSA))
        return ERROR_INVALID_SIZE;
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_statusFails || hConn == nullptr)
        return ERROR_INVALID_HANDLE;
    pStatus->rasconnstate = static_cast<RASCONNSTATE>(g_state);
    return 0;
}

DWORD WINAPI RasHangUpA(HRASCONN hConn)
{
    Record(Format("RasHangUpA handle=%p", static_cast<void*>(hConn)));
    return 0;
}

} // extern "C"
