#include "settings/AccountFieldMap.h"

#include "resources/settings/SettingsResource.h"

#include <cstdlib>

namespace {

using F = AccountField;

// The protocol comes before the fields whose meaning depends on it.
const std::vector<AccountField> kFields = {
    { 0, F::kText, IDC_ACC_ACCOUNT_NAME, 0, -1, 4 },
    { 1, F::kText, IDC_ACC_USER_NAME, 0, 0, 0 },
    { 2, F::kText, IDC_ACC_ADDRESS, 0, 0, 0 },
    { 19, F::kRadio, IDC_ACC_POP3, 2, 0, 1 },
    { 4, F::kText, IDC_ACC_RECV_SERVER, 0, 0, 1 },
    { 3, F::kText, IDC_ACC_SMTP_SERVER, 0, 0, 1 },
    { 5, F::kText, IDC_ACC_RECV_USER, 0, 0, 1 },
    { 6, F::kPassword, IDC_ACC_RECV_PASSWORD, 0, 0, 1 },
    { 7, F::kPort, IDC_ACC_SMTP_PORT, 0, 1, 2 },
    { 8, F::kPort, IDC_ACC_RECV_PORT, 0, 1, 2 },
    { 46, F::kCheck, IDC_ACC_SMTPS, 0, 1, -1 },
    { 45, F::kCheck, IDC_ACC_RECV_TLS, 0, 1, -1 },
    { 10, F::kAuth, IDC_ACC_AUTH_STD, 2, 1, 2 },
    { 20, F::kCheck, IDC_ACC_POP_BEFORE_SMTP, 0, 3, 2 },
    { 13, F::kRadio, IDC_ACC_LAN, 2, 1, 2 },
    { 14, F::kText, IDC_ACC_DIAL_ENTRY, 0, 1, 2 },
    { 15, F::kRadio, IDC_ACC_HANGUP, 2, 1, 2 },
    { 31, F::kText, IDC_ACC_DIAL_USER, 0, 1, -1 },
    { 32, F::kPassword, IDC_ACC_DIAL_PASSWORD, 0, 1, -1 },
    { 40, F::kSlider, IDC_ACC_TIMEOUT, 0, 1, -1 },
    { 11, F::kCheck, IDC_ACC_LEAVE_ON_SERVER, 0, 2, 3 },
    { 33, F::kNumber, IDC_ACC_DELETE_DAYS, 0, 2, -1 },
    { 12, F::kCheck, IDC_ACC_UNREAD_ONLY, 0, 2, 3 },
    { 16, F::kCheck, IDC_ACC_SIZE_LIMIT_ON, 0, 2, 3 },
    { 17, F::kNumber, IDC_ACC_SIZE_LIMIT, 0, 2, 3 },
    { 18, F::kCheck, IDC_ACC_PROTECT_OTHER, 0, 2, 3 },
    { 22, F::kText, IDC_ACC_IMAP_DIR, 0, 2, -1 },
    { 21, F::kCheck, IDC_ACC_BCC_SELF, 0, 3, -1 },
    { 29, F::kRadio, IDC_ACC_FROM_FORM0, 3, 3, -1 },
    { 34, F::kCheck, IDC_ACC_ESMTP, 0, 3, -1 },
    { 35, F::kCheck, IDC_ACC_SMTP_AUTH, 0, 3, -1 },
    { 36, F::kText, IDC_ACC_SMTP_USER, 0, 3, -1 },
    { 37, F::kPassword, IDC_ACC_SMTP_PASSWORD, 0, 3, -1 },
    { 42, F::kCheck, IDC_ACC_SMTP_LOGIN, 0, 3, -1 },
    { 43, F::kCheck, IDC_ACC_SMTP_CRAM, 0, 3, -1 },
    { 44, F::kCheck, IDC_ACC_SMTP_PLAIN, 0, 3, -1 },
    { 41, F::kBcc, IDC_ACC_FIXED_BCC, 0, 3, -1 },
    { 38, F::kText, IDC_ACC_SEND_NAME, 0, 4, -1 },
    { 39, F::kText, IDC_ACC_SEND_ADDRESS, 0, 4, -1 },
    { 23, F::kText, IDC_ACC_SIGNATURE, 0, 4, -1 },
    { 24, F::kText, IDC_ACC_REPLY_TO, 0, 4, -1 },
    { 25, F::kText, IDC_ACC_TPL_NEW, 0, 4, -1 },
    { 26, F::kText, IDC_ACC_TPL_REPLY, 0, 4, -1 },
    { 27, F::kText, IDC_ACC_TPL_REPLY_ALL, 0, 4, -1 },
    { 28, F::kText, IDC_ACC_TPL_FORWARD, 0, 4, -1 },
};

bool IsTextKind(AccountField::Kind kind)
{
    return kind == F::kText || kind == F::kPassword || kind == F::kPort || kind == F::kBcc;
}

} // namespace

const std::vector<AccountField>& GetAccountFields()
{
    return kFields;
}

AccountFieldValues::AccountFieldValues() : text(kFields.size()), value(kFields.size(), 0)
{
}

int AccountFieldValues::Find(int nControl) const
{
    for (size_t i = 0; i < kFields.size(); ++i) {
        if (kFields[i].nControl == nControl)
            return static_cast<int>(i);
    }
    return -1;
}

void AccountToFields(const CAccountData* pRecord, AccountFieldValues& fields)
{
    for (size_t i = 0; i < kFields.size(); ++i) {
        const AccountField& f = kFields[i];
        CString& text = fields.text[i];
        int& value = fields.value[i];
        text.Empty();
        value = 0;
        if (!pRecord) {
            if (f.kind == F::kSlider)
                value = 10;
            continue;
        }
        switch (f.kind) {
        case F::kText:
        case F::kPassword:
            text = pRecord->GetText(f.nColumn);
            break;
        case F::kBcc:
            text = pRecord->GetText(f.nColumn) == "0" ? CString() : pRecord->GetText(f.nColumn);
            break;
        case F::kPort: {
            int port = pRecord->GetInt(f.nColumn);
            if (port == 0)
                port = f.nColumn == 7 ? 25 : 110;
            text.Format("%d", port);
            break;
        }
        case F::kAuth:
            value = pRecord->GetInt(f.nColumn) ? 1 : 0;
            break;
        case F::kSlider:
            value = pRecord->GetInt(f.nColumn);
            break;
        default:
            value = pRecord->GetInt(f.nColumn);
            break;
        }
    }
}

void FieldsToAccount(const AccountFieldValues& fields, CAccountData& record, bool bWizardOnly)
{
    for (size_t i = 0; i < kFields.size(); ++i) {
        const AccountField& f = kFields[i];
        if (bWizardOnly && f.nWizardPage < 0)
            continue;
        const CString& text = fields.text[i];
        int value = fields.value[i];
        switch (f.kind) {
        case F::kText:
        case F::kPassword:
        case F::kBcc:
            record.SetText(f.nColumn, text);
            break;
        case F::kPort:
            record.SetInt(f.nColumn, static_cast<int>(std::strtol(text, nullptr, 10)));
            break;
        case F::kAuth:
            record.SetInt(f.nColumn, value == 0 ? 0 : (record.GetProtocol() ? 2 : 1));
            break;
        default:
            record.SetInt(f.nColumn, value);
            break;
        }
    }
    if (bWizardOnly)
        record.SetInt(9, 0);
}

bool AccountFieldIsText(const AccountField& f)
{
    return IsTextKind(f.kind);
}
