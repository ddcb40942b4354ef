// CKeyboardLedNotifier: blinks the lock-key LEDs of the keyboards as a mail
// signal, and puts back the LEDs that were lit when it started. Where the
// keyboard devices cannot be opened it does nothing, quietly.
#pragma once

#include "classlib/ClassLib.h"

class CKeyboardLedNotifier
{
public:
    static const int kDeviceCount = 3;

    CKeyboardLedNotifier() = default;
    CKeyboardLedNotifier(const CKeyboardLedNotifier&) = delete;
    CKeyboardLedNotifier& operator=(const CKeyboardLedNotifier&) = delete;
    ~CKeyboardLedNotifier() { Stop(); }

    // The one instance of the program.
    static CKeyboardLedNotifier& Instance();

    void Start();
    BOOL Stop();
    // Switches one LED (VK_SCROLL, VK_CAPITAL, VK_NUMLOCK) of every open keyboard.
    BOOL SetLed(UINT nVirtKey, BOOL bOn);
    // The current LED off, the next one on.
    BOOL Blink(BOOL bRandom);
    // One tick of the blink timer in the "LEDBlinkType" mode: 0 toggles the
    // Scroll Lock LED, 1 steps in order, 2 in random order; others do nothing.
    BOOL BlinkStep(int nMode);

    bool IsStarted() const { return m_bStarted; }
    UINT GetCurrentLed() const { return m_nCurrentLed; }
    int GetOpenDeviceCount() const;

private:
    struct Indicators
    {
        USHORT nUnitId;
        USHORT nLedFlags;
    };
    bool QueryIndicators(HANDLE h, Indicators& out) const;
    UINT NextLed(BOOL bRandom) const;

    bool m_bStarted = false;
    bool m_bOff = false;
    UINT m_nCurrentLed = VK_SCROLL;
    HANDLE m_hDevices[kDeviceCount] = { INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE };
    bool m_bDefined[kDeviceCount] = { false, false, false };
    Indicators m_saved[kDeviceCount] = {};
};
