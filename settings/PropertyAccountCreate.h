// CPropertyAccountCreate: the account page "作成設定" (sender name and
// address, signature, reply-to and templates).
#pragma once

#include "settings/AccountPage.h"

class CPropertyAccountCreate : public CAccountPage
{
public:
    CPropertyAccountCreate(AccountFieldValues* pFields, const CString& signatureFolder, const CString& templateFolder);
    BOOL OnInitDialog() override;

private:
    CString m_strSignatureFolder, m_strTemplateFolder;
};

// The names, without extension, of the files in a folder, in listing order
// (sub-folders skipped).
void ListFileTitles(const char* pszFolder, const char* pszPattern, CStringArray& titles);
