// CDlgHangUpCountdown: asks, with a countdown, whether to cut the dial-up
// line after a transfer. It closes as OK by itself when the count has run
// out; the caller hangs up on OK.
#pragma once

#include "classlib/ClassLib.h"

class CDlgHangUpCountdown : public CDialog
{
public:
    static constexpr UINT IDD = 339;
    static constexpr int kIdcSeconds = 1000;  // the number field
    static constexpr UINT_PTR kTimerId = 150;

    CDlgHangUpCountdown(int nSeconds, CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()

private:
    void ShowSeconds();

    int m_nSeconds;
};
