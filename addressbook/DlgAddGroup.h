// CDlgAddGroup: the name of a new group.
#pragma once

#include "classlib/ClassLib.h"

class CDlgAddGroup : public CDialog
{
public:
    explicit CDlgAddGroup(CWnd* pParent = nullptr);

    CString m_strName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
