// The one table that ties the fields of the account pages and of the set-up
// wizard to the columns of "Account.dat", and the two moves along it:
// record to field values and field values to record. The pages exchange the
// field values with their controls; nothing here needs a window.
#pragma once

#include "core/AccountData.h"

#include <vector>

struct AccountField
{
    enum Kind
    {
        kText,      // edit or combo text
        kPassword,  // edit text; the table scrambles it on disk
        kPort,      // edit text; a stored 0 shows the protocol's default
        kNumber,    // whole-number edit
        kCheck,     // check box, 0 or 1
        kRadio,     // a group of consecutive radio buttons, stored as the index
        kAuth,      // second radio of "標準" / APOP or CRAM-MD5
        kBcc,       // a stored "0" means none
        kSlider,    // track bar position
    };
    int nColumn;
    Kind kind;
    int nControl;      // the control (first button of a radio group)
    int nButtons;      // buttons of a radio group
    int nPage;         // page of the account settings dialog; -1 the dialog itself
    int nWizardPage;   // page of the set-up wizard; -1 not in the wizard
};

const std::vector<AccountField>& GetAccountFields();
// Whether the field is exchanged as text (else as a value).
bool AccountFieldIsText(const AccountField& f);

// Field values in table order: the text of text-like fields, the value of
// the others.
struct AccountFieldValues
{
    std::vector<CString> text;
    std::vector<int> value;
    AccountFieldValues();
    int Find(int nControl) const;  // row of a control, -1 when none
    CString& Text(int nControl) { return text[static_cast<size_t>(Find(nControl))]; }
    int& Value(int nControl) { return value[static_cast<size_t>(Find(nControl))]; }
};

// Shows a record; with none, every text empty, every flag off, the ports
// empty and the time-out 10.
void AccountToFields(const CAccountData* pRecord, AccountFieldValues& fields);
// Takes the fields into the record. With nWizardOnly the fields of the
// wizard alone are taken; the other columns keep their values.
void FieldsToAccount(const AccountFieldValues& fields, CAccountData& record, bool bWizardOnly = false);

// The default receive port of a protocol (0 POP3, else IMAP4).
inline int DefaultReceivePort(int nProtocol) { return nProtocol ? 143 : 110; }
