// CMailPropertyInfoPage: the information tab of the mail properties: the
// addresses, dates, attachments, account, size and status flags, the
// address buttons and the save button.
#pragma once

#include "classlib/Dialog.h"
#include "viewer/MailPropertyValues.h"

#include <memory>

class CDlgMailProperty;
class CHeaderTextCtrl;

class CMailPropertyInfoPage : public CDialog
{
public:
    explicit CMailPropertyInfoPage(CDlgMailProperty* pOwner);
    ~CMailPropertyInfoPage() override;

    BOOL OnInitDialog() override;
    // The values as the controls hold them now.
    CMailPropertyValues ReadControls() const;
    bool IsChanged() const;
    bool Save();

protected:
    void OnSaveClicked();
    void OnNewMail();
    void OnReply();
    void OnAddAddress();
    // The selected From, To and Cc addresses joined with ","; empty (and the
    // user told) when none is selected.
    CString SelectedAddresses(bool bTellUser);

    DECLARE_MESSAGE_MAP()

private:
    void FillDate(int nDateId, int nTimeId, int nZoneId, const MailDateFields& date);
    void ReadDate(int nDateId, int nTimeId, MailDateFields& date) const;

    CDlgMailProperty* m_pOwner;
    CMailPropertyValues m_loaded;
    // Shows a subject in another character set in that set's font.
    std::unique_ptr<CHeaderTextCtrl> m_pSubjectField;
};

