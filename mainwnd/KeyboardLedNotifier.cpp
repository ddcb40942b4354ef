#include "mainwnd/KeyboardLedNotifier.h"

#include <cstdlib>

namespace {

const DWORD kQueryIndicators = 0x000B0040;
const DWORD kSetIndicators = 0x000B0008;

USHORT LedBit(UINT nVirtKey)
{
    switch (nVirtKey) {
    case VK_SCROLL: return 1;
    case VK_NUMLOCK: return 2;
    case VK_CAPITAL: return 4;
    default: return 0;
    }
}

CString DosName(int n)
{
    return FormatString("KeyboardClass%d", n);
}

} // namespace

CKeyboardLedNotifier& CKeyboardLedNotifier::Instance()
{
    static CKeyboardLedNotifier notifier;
    return notifier;
}

int CKeyboardLedNotifier::GetOpenDeviceCount() const
{
    int n = 0;
    for (HANDLE h : m_hDevices)
        n += h != INVALID_HANDLE_VALUE;
    return n;
}

bool CKeyboardLedNotifier::QueryIndicators(HANDLE h, Indicators& out) const
{
    Indicators in = { 0, 0 };
    DWORD got = 0;
    return ::DeviceIoControl(h, kQueryIndicators, &in, sizeof(in), &out, sizeof(out), &got, nullptr) &&
           got == sizeof(out);
}

void CKeyboardLedNotifier::Start()
{
    if (m_bStarted)
        return;
    m_bStarted = true;
    for (int n = 0; n < kDeviceCount; ++n) {
        CString dos = DosName(n);
        m_bDefined[n] = ::DefineDosDeviceA(DDD_RAW_TARGET_PATH, dos,
                                           FormatString("\\Device\\KeyboardClass%d", n)) != FALSE;
        m_hDevices[n] = ::CreateFileA("\\\\.\\" + dos, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
        m_saved[n] = { 0, 0 };
        // A device whose LEDs cannot be read is not touched: its state could
        // not be put back.
        if (m_hDevices[n] != INVALID_HANDLE_VALUE && !QueryIndicators(m_hDevices[n], m_saved[n])) {
            ::CloseHandle(m_hDevices[n]);
            m_hDevices[n] = INVALID_HANDLE_VALUE;
        }
    }
    SetLed(VK_SCROLL, FALSE);
    SetLed(VK_CAPITAL, FALSE);
    SetLed(VK_NUMLOCK, FALSE);
}

BOOL CKeyboardLedNotifier::Stop()
{
    if (!m_bStarted)
        return FALSE;
    for (int n = 0; n < kDeviceCount; ++n) {
        if (m_hDevices[n] != INVALID_HANDLE_VALUE) {
            DWORD got = 0;
            ::DeviceIoControl(m_hDevices[n], kSetIndicators, &m_saved[n], sizeof(m_saved[n]), nullptr, 0, &got,
                              nullptr);
            ::CloseHandle(m_hDevices[n]);
            m_hDevices[n] = INVALID_HANDLE_VALUE;
        }
        if (m_bDefined[n]) {
            ::DefineDosDeviceA(DDD_REMOVE_DEFINITION, DosName(n), nullptr);
            m_bDefined[n] = false;
        }
    }
    m_nCurrentLed = VK_SCROLL;
    m_bStarted = false;
    m_bOff = false;
    return TRUE;
}

BOOL CKeyboardLedNotifier::SetLed(UINT nVirtKey, BOOL bOn)
{
    if (!m_bStarted)
        return FALSE;
    BOOL bResult = FALSE;
    const USHORT bit = LedBit(nVirtKey);
    for (HANDLE h : m_hDevices) {
        if (h == INVALID_HANDLE_VALUE)
            continue;
        Indicators now = { 0, 0 };
        if (!QueryIndicators(h, now)) {
            bResult = FALSE;
            continue;
        }
        Indicators set = { now.nUnitId, static_cast<USHORT>(bOn ? (now.nLedFlags | bit) : (now.nLedFlags & ~bit)) };
        DWORD got = 0;
        bResult = ::DeviceIoControl(h, kSetIndicators, &set, sizeof(set), nullptr, 0, &got, nullptr);
    }
    m_bOff = !bOn;
    return bResult;
}

BOOL CKeyboardLedNotifier::BlinkStep(int nMode)
{
    if (!m_bStarted)
        return FALSE;
    switch (nMode) {
    case 0:
        // The last switch left the LED off: on now, and the other way round.
        return SetLed(VK_SCROLL, m_bOff);
    case 1:
        return Blink(FALSE);
    case 2:
        return Blink(TRUE);
    default:
        return FALSE;
    }
}

UINT CKeyboardLedNotifier::NextLed(BOOL bRandom) const
{
    if (!bRandom) {
        switch (m_nCurrentLed) {
        case VK_SCROLL: return VK_CAPITAL;
        case VK_CAPITAL: return VK_NUMLOCK;
        default: return VK_SCROLL;
        }
    }
    const bool odd = (std::rand() & 1) != 0;
    if (m_nCurrentLed == VK_SCROLL)
        return odd ? VK_CAPITAL : VK_NUMLOCK;
    if (odd)
        return VK_SCROLL;
    return m_nCurrentLed == VK_CAPITAL ? VK_NUMLOCK : VK_CAPITAL;
}

BOOL CKeyboardLedNotifier::Blink(BOOL bRandom)
{
    if (!m_bStarted)
        return FALSE;
    SetLed(m_nCurrentLed, FALSE);
    m_nCurrentLed = NextLed(bRandom);
    return SetLed(m_nCurrentLed, TRUE);
}
