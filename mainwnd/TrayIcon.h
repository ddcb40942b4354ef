// CTrayIcon: the main window's icon in the notification area, its tooltip
// with the count of newly received mails, and the new-mail blinking.
#pragma once

#include "classlib/ClassLib.h"

#include <shellapi.h>

class CTrayIcon
{
public:
    static const UINT kCallbackMessage = WM_USER + 371;
    static const UINT kIconId = 3000;
    static const UINT_PTR kBlinkTimer = 40;
    static const UINT kBlinkMs = 500;
    // Alternates the transfer icon while a receive or send runs.
    static const UINT_PTR kTransferTimer = 42;

    CTrayIcon() = default;
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
    ~CTrayIcon() { Remove(); }

    // The tooltip: the title, or the title with the count of new mails.
    static CString FormatTip(int nNewMails);

    void SetIcons(HICON hIdle, HICON hTransfer, HICON hNewMail);
    // Replaces a possible old icon of the window (the shell may have
    // restarted) by a new idle one.
    void Add(HWND hWnd);
    void Remove();
    // No new mail: idle icon and title, blinking stopped.
    void Reset();
    void AddNewMailCount(int n);
    // Shows the new-mail icon and starts blinking when new mail is counted.
    void StartNewMailBlink();
    // One blink step (timer kBlinkTimer).
    void Blink();
    // A transfer starts (bRunning) or ends: the new-mail blinking when new
    // mail is counted, else the idle icon; while it runs, the transfer icon
    // alternates with it (timer kTransferTimer).
    void ShowTransfer(bool bRunning);
    // One step of the transfer blinking (timer kTransferTimer).
    void TransferBlink();

    int GetNewMailCount() const { return m_nNewMails; }
    bool IsAdded() const { return m_bAdded; }
    const NOTIFYICONDATAA& GetData() const { return m_data; }

private:
    void Modify(HICON hIcon, const CString& tip);
    // The icon that shows whether new mail waits: new mail or idle.
    HICON RestingIcon() const { return m_nNewMails ? m_hNewMail : m_hIdle; }
    void SetTimerOf(UINT_PTR nTimer, bool bOn);

    NOTIFYICONDATAA m_data = {};
    HICON m_hIdle = nullptr, m_hTransfer = nullptr, m_hNewMail = nullptr;
    int m_nNewMails = 0;
    BYTE m_nBlinkPhase = 0;
    bool m_bAdded = false;
    // A step of the transfer timer that was due as the transfer ended is
    // not to show the transfer icon again.
    bool m_bTransferShown = false;
};
