#define VONLINK_BUILD
#include "dialhelper/Vonlink.h"

extern "C" {

DWORD __cdecl QDRasDial(LPRASDIALEXTENSIONS pExtensions, LPCSTR pszPhonebook, LPRASDIALPARAMSA pParams,
                        DWORD dwNotifierType, LPVOID pNotifier, LPHRASCONN phConn)
{
    return RasDialA(pExtensions, pszPhonebook, pParams, dwNotifierType, pNotifier, phConn);
}

DWORD __cdecl QDRasEnumConnections(LPRASCONNA pConnections, LPDWORD pcbSize, LPDWORD pcConnections)
{
    return RasEnumConnectionsA(pConnections, pcbSize, pcConnections);
}

DWORD __cdecl QDRasEnumEntries(LPCSTR pszReserved, LPCSTR pszPhonebook, LPRASENTRYNAMEA pEntries,
                               LPDWORD pcbSize, LPDWORD pcEntries)
{
    return RasEnumEntriesA(pszReserved, pszPhonebook, pEntries, pcbSize, pcEntries);
}

DWORD __cdecl QDRasGetConnectStatus(HRASCONN hConn, LPRASCONNSTATUSA pStatus)
{
    return RasGetConnectStatusA(hConn, pStatus);
}

DWORD __cdecl QDRasGetEntryDialParams(LPCSTR pszPhonebook, LPRASDIALPARAMSA pParams, LPBOOL pbPasswordStored)
{
    return RasGetEntryDialParamsA(pszPhonebook, pParams, pbPasswordStored);
}

DWORD __cdecl QDRasHangUp(HRASCONN hConn)
{
    return RasHangUpA(hConn);
}

} // extern "C"
