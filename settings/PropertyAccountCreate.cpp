#include "settings/PropertyAccountCreate.h"

#include "core/AccountCombo.h"
#include "resources/settings/SettingsResource.h"

void ListFileTitles(const char* pszFolder, const char* pszPattern, CStringArray& titles)
{
    CString pattern = CString(pszFolder) + "\\" + pszPattern;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        CString title(data.cFileName);
        int dot = title.ReverseFind('.');
        if (dot > 0)
            title = title.Left(dot);
        titles.Add(title);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
}

CPropertyAccountCreate::CPropertyAccountCreate(AccountFieldValues* pFields, const CString& signatureFolder,
                                               const CString& templateFolder)
    : CAccountPage(IDD_ACCOUNT_CREATE, 4, pFields), m_strSignatureFolder(signatureFolder),
      m_strTemplateFolder(templateFolder)
{
}

BOOL CPropertyAccountCreate::OnInitDialog()
{
    CStringArray names;
    ListFileTitles(m_strSignatureFolder, "*.sig", names);
    HWND signature = GetDlgItemHwnd(IDC_ACC_SIGNATURE);
    for (int i = 0; i < names.GetSize(); ++i)
        ::SendMessageA(signature, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].GetString()));
    FillAccountAddressCombo(GetDlgItemHwnd(IDC_ACC_REPLY_TO));
    names.RemoveAll();
    ListFileTitles(m_strTemplateFolder, "*", names);
    for (int id : { IDC_ACC_TPL_NEW, IDC_ACC_TPL_REPLY, IDC_ACC_TPL_REPLY_ALL, IDC_ACC_TPL_FORWARD }) {
        for (int i = 0; i < names.GetSize(); ++i)
            ::SendMessageA(GetDlgItemHwnd(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].GetString()));
    }
    return CAccountPage::OnInitDialog();
}
