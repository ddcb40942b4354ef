// CDlgHtmlTempFile: the notice shown before the external HTML editor gets a
// temporary file: it names the file and lets the user choose its folder,
// which the caller keeps for the next time.
#pragma once

#include "classlib/Dialog.h"

class CDlgHtmlTempFile : public CDialog
{
public:
    CDlgHtmlTempFile(const char* pszFileName, const char* pszFolder, CWnd* pParent);
    BOOL OnInitDialog() override;
    void OnOK() override;

    CString m_strFileName;
    CString m_strFolder;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void ChooseFolder();
};
