// CDlgInputZipPassword: the question for the archive password when a mail
// with attachments is sent: a name of the kept list or a typed password.
// Its first ten showings carry a note on how to send without encryption.
#pragma once

#include "classlib/Dialog.h"
#include "editor/SendPassData.h"

class CDlgInputZipPassword : public CDialog
{
public:
    // Counts the showing ("Etc"/ZipPasswordInputCount, up to 10) and picks
    // the long or the short form.
    explicit CDlgInputZipPassword(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    bool IsLongForm() const { return m_bLongForm; }
    // After OK: the password of the chosen name, or the typed text.
    CString m_strPassword;

private:
    bool m_bLongForm;
    CSendPassData m_passwords;
};
