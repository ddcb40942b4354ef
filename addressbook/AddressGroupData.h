// CAddressGroupData: one group of the address book, one line of "Group.lst":
// its place in the tree, its address file and, for an LDAP group, the
// directory search that fills that file.
#pragma once

#include "core/DataStrgRecord.h"

class CAddressGroupData : public CDataStrgRecord
{
public:
    enum { typeStandard = 0, typeLdap = 1, typeNeverWritten = 7 };

    int m_nParentId = -1;      // -1: top level
    int m_nType = typeStandard;
    int m_nFlag = 0;           // kept as read
    int m_nId = 0;
    CString m_strName;
    CString m_strFilePath;     // absolute once GetAbsolutePath has run
    BOOL m_bExpanded = FALSE;
    CString m_strLdapServer;
    int m_nLdapPort = 389;
    CString m_strSearchBase;
    CString m_strBindName;     // empty: anonymous
    CString m_strBindPassword; // plain in memory, scrambled in the file
    CString m_strFilter = "mail=*";
    int m_nScope = 2;          // 1 one level, 2 subtree
    CString m_strNameAttr = "cn";
    CString m_strMailAttr = "mail";
    CString m_strMemoAttr = "description";
    int m_nLdapVersion = 2;
    BOOL m_bUtf8 = FALSE;
    int m_nTimeout = 30;       // seconds

    // The tree item that shows the group (window only; never stored).
    void* m_hTreeItem = nullptr;

    void CopyFrom(const CAddressGroupData& other);
};
