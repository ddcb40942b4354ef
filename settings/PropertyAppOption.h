// CPropertyAppOption: the basic settings page with the receive notification
// and the start-up password: the notification sound test and the input
// method of the password fields.
#pragma once

#include "settings/SettingsPage.h"

#include <thread>

class CPropertyAppOption : public CSettingsPage
{
public:
    CPropertyAppOption(CSettingValues* pValues, const SettingBinding* pTable, int nCount);
    ~CPropertyAppOption() override;

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    bool IsPlaying() const { return m_player.joinable(); }

private:
    void OnPlay();
    void StopAndWait();

    std::thread m_player;
    volatile BYTE m_bStop = 0;
    bool m_bImeWasOpen = false;
};
