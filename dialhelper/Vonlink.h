// Vonlink.dll: six wrappers over the remote-access (dial-up) API, exported by
// name with the C calling convention. Each passes its arguments unchanged to
// the ANSI remote-access function of the same name without the "QD" prefix
// and returns that function's result (0, or a remote-access error code).
// The client never links against this library; it loads it by name and looks
// each export up with GetProcAddress, using the pointer types below.
#pragma once

#include <windows.h>
#include <ras.h>

extern "C" {

typedef DWORD(__cdecl* PFN_QDRasDial)(LPRASDIALEXTENSIONS pExtensions, LPCSTR pszPhonebook,
                                      LPRASDIALPARAMSA pParams, DWORD dwNotifierType, LPVOID pNotifier,
                                      LPHRASCONN phConn);
typedef DWORD(__cdecl* PFN_QDRasEnumConnections)(LPRASCONNA pConnections, LPDWORD pcbSize,
                                                 LPDWORD pcConnections);
typedef DWORD(__cdecl* PFN_QDRasEnumEntries)(LPCSTR pszReserved, LPCSTR pszPhonebook, LPRASENTRYNAMEA pEntries,
                                             LPDWORD pcbSize, LPDWORD pcEntries);
typedef DWORD(__cdecl* PFN_QDRasGetConnectStatus)(HRASCONN hConn, LPRASCONNSTATUSA pStatus);
typedef DWORD(__cdecl* PFN_QDRasGetEntryDialParams)(LPCSTR pszPhonebook, LPRASDIALPARAMSA pParams,
                                                    LPBOOL pbPasswordStored);
typedef DWORD(__cdecl* PFN_QDRasHangUp)(HRASCONN hConn);

#ifdef VONLINK_BUILD
__declspec(dllexport) DWORD __cdecl QDRasDial(LPRASDIALEXTENSIONS pExtensions, LPCSTR pszPhonebook,
                                              LPRASDIALPARAMSA pParams, DWORD dwNotifierType, LPVOID pNotifier,
                                              LPHRASCONN phConn);
__declspec(dllexport) DWORD __cdecl QDRasEnumConnections(LPRASCONNA pConnections, LPDWORD pcbSize,
                                                         LPDWORD pcConnections);
__declspec(dllexport) DWORD __cdecl QDRasEnumEntries(LPCSTR pszReserved, LPCSTR pszPhonebook,
                                                     LPRASENTRYNAMEA pEntries, LPDWORD pcbSize, LPDWORD pcEntries);
__declspec(dllexport) DWORD __cdecl QDRasGetConnectStatus(HRASCONN hConn, LPRASCONNSTATUSA pStatus);
__declspec(dllexport) DWORD __cdecl QDRasGetEntryDialParams(LPCSTR pszPhonebook, LPRASDIALPARAMSA pParams,
                                                            LPBOOL pbPasswordStored);
__declspec(dllexport) DWORD __cdecl QDRasHangUp(HRASCONN hConn);
#endif

} // extern "C"
