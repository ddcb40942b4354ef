// CDlgInputAccountName: the name question of the account settings dialog's
// "コピー", captioned "アカウント名".
#pragma once

#include "core/DlgInputName.h"

class CDlgInputAccountName : public CDlgInputName
{
public:
    explicit CDlgInputAccountName(CWnd* pParent = nullptr)
        : CDlgInputName("コピー後のアカウント名を入力してください。(&N)", FALSE, pParent)
    {
    }
    BOOL OnInitDialog() override
    {
        SetWindowText("アカウント名");
        return CDlgInputName::OnInitDialog();
    }
};
