#include "settings/PropertyAppOption.h"

#include "core/SoundPlayer.h"
#include "mainwnd/DlgNotifyDialogPos.h"
#include "resources/settings/SettingsResource.h"

#include <imm.h>

namespace {

// Posted by the sound worker when the sound has ended.
const UINT kSoundEnded = WM_APP + 2;

bool IsPasswordField(int id)
{
    return id == IDC_SET_PW_CURRENT || id == IDC_SET_PW_NEW || id == IDC_SET_PW_CONFIRM;
}

} // namespace

CPropertyAppOption::CPropertyAppOption(CSettingValues* pValues, const SettingBinding* pTable, int nCount)
    : CSettingsPage(IDD_BASIC_OPTION, pValues, pTable, nCount)
{
}

CPropertyAppOption::~CPropertyAppOption()
{
    StopAndWait();
}

BOOL CPropertyAppOption::OnInitDialog()
{
    return CSettingsPage::OnInitDialog();
}

void CPropertyAppOption::StopAndWait()
{
    if (m_player.joinable()) {
        m_bStop = 1;
        m_player.join();
    }
}

void CPropertyAppOption::OnPlay()
{
    if (m_player.joinable()) {
        // "中止": the playing sound ends; the button goes back when it has.
        m_bStop = 1;
        return;
    }
    CString path = GetDlgItemText(IDC_SET_REC_NOTIFY_SOUND_PATH);
    if (path.IsEmpty())
        return;
    m_bStop = 0;
    SetDlgItemText(IDC_SET_SOUND_PLAY, "中止");
    HWND page = m_hWnd;
    m_player = std::thread([this, path, page] {
        CSoundPlayer player(path, FALSE);
        player.SetStopFlag(&m_bStop);
        player.Play(TRUE);
        ::PostMessageA(page, kSoundEnded, 0, 0);
    });
}

BOOL CPropertyAppOption::OnCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (id == IDC_SET_NOTIFY_POS && code == BN_CLICKED) {
        CDlgNotifyDialogPos dlg(this);
        dlg.DoModal();
        return TRUE;
    }
    if (id == IDC_SET_SOUND_PLAY && code == BN_CLICKED) {
        OnPlay();
        return TRUE;
    }
    if (IsPasswordField(id) && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) {
        // Passwords are typed without the input method; it comes back as it was.
        HWND edit = reinterpret_cast<HWND>(lParam);
        if (HIMC imc = ::ImmGetContext(edit)) {
            if (code == EN_SETFOCUS) {
                m_bImeWasOpen = ::ImmGetOpenStatus(imc) != FALSE;
                ::ImmSetOpenStatus(imc, FALSE);
            } else if (m_bImeWasOpen) {
                ::ImmSetOpenStatus(imc, TRUE);
            }
            ::ImmReleaseContext(edit, imc);
        }
        return TRUE;
    }
    return CSettingsPage::OnCommand(wParam, lParam);
}

BOOL CPropertyAppOption::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == kSoundEnded) {
        if (m_player.joinable())
            m_player.join();
        SetDlgItemText(IDC_SET_SOUND_PLAY, "再生");
        *pResult = 0;
        return TRUE;
    }
    return CSettingsPage::OnWndMsg(message, wParam, lParam, pResult);
}
