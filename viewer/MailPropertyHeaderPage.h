// CMailPropertyHeaderPage: the header tab of the mail properties: the raw
// header with its words decoded, and the archive password line.
#pragma once

#include "classlib/Dialog.h"

class CDlgMailProperty;

class CMailPropertyHeaderPage : public CDialog
{
public:
    CMailPropertyHeaderPage(CDlgMailProperty* pOwner, const char* pszHeader);
    BOOL OnInitDialog() override;

private:
    CString m_strHeader;
};
