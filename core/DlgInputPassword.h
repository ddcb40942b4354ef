// CDlgInputPassword: asks for a password; with an expected password set it
// stays open until that one is typed (or the user cancels).
#pragma once

#include "classlib/ClassLib.h"

class CDlgInputPassword : public CDialog
{
public:
    explicit CDlgInputPassword(CWnd* pParent = nullptr);

    void SetCheckPassword(const char* pszPassword) { m_strCheckPassword = pszPassword; }
    void SetCaption(const char* pszCaption) { m_strCaption = pszCaption; }
    void SetPrompt(const char* pszPrompt) { m_strPrompt = pszPrompt; }
    void SetShowRemember(BOOL bShow) { m_bShowRemember = bShow; }

    CString m_strPassword;   // what was typed
    int m_bRemember = 0;     // "パスワードを保存"

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPasswordSetFocus();
    void OnPasswordKillFocus();

    DECLARE_MESSAGE_MAP()

private:
    CString m_strCheckPassword;
    CString m_strCaption;
    CString m_strPrompt = "パスワード(&P)";
    BOOL m_bShowRemember = FALSE;
    bool m_bImeWasOpen = false;
};
