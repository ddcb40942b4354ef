#include "addressbook/LdapGroup.h"

#include "net/LdapClient.h"

namespace {

// The search's entries become address records of the set; the entries are
// freed whatever happens.
void TakeResults(CPtrArray& results, CAddressDataSet* pSet)
{
    for (int i = 0; i < results.GetSize(); ++i) {
        CLdapEntry* entry = static_cast<CLdapEntry*>(results[i]);
        CAddressData found;
        found.m_strAddress = entry->m_strMail;
        found.m_strName = entry->m_strName;
        found.m_strMemo = entry->m_strThird;
        for (const auto& attr : entry->m_attributes) {
            CAddressProperty prop;
            prop.m_strName = attr.first;
            prop.m_strValue = attr.second;
            found.m_properties.push_back(prop);
        }
        static_cast<CAddressData*>(pSet->CreateNewRecord())->CopyFrom(found);
    }
}

void FreeResults(CPtrArray& results)
{
    for (int i = 0; i < results.GetSize(); ++i)
        delete static_cast<CLdapEntry*>(results[i]);
    results.RemoveAll();
}

} // namespace

void LoadLdapGroup(const CAddressGroupData* pGroup, CAddressDataSet* pSet, BOOL bShowError)
{
    if (pGroup->m_nType == CAddressGroupData::typeLdap) {
        const CAddressGroupData& g = *pGroup;
        CPtrArray results;
        CString error;
        bool ok = false;
        try {
            ok = LdapSearch(g.m_strLdapServer, g.m_nLdapPort,
                            g.m_strBindName.IsEmpty() ? nullptr : g.m_strBindName.GetString(),
                            g.m_strBindPassword.IsEmpty() ? nullptr : g.m_strBindPassword.GetString(),
                            g.m_strSearchBase, g.m_strFilter.IsEmpty() ? "mail=*" : g.m_strFilter.GetString(),
                            g.m_nScope, g.m_strNameAttr, g.m_strMailAttr, g.m_strMemoAttr, &results, error,
                            g.m_nLdapVersion, g.m_bUtf8, g.m_nTimeout);
            // A search that succeeds is the group's content, even when it
            // finds nobody; only a failed search keeps the saved addresses.
            if (ok) {
                pSet->RemoveAll();
                TakeResults(results, pSet);
                pSet->WriteToFile();
            }
        } catch (...) {
            FreeResults(results);
            throw;
        }
        FreeResults(results);
        if (!ok && bShowError) {
            CString text;
            text.Format("以下の理由でLDAPサーバからデータの取得に失敗しました。\r\n%s\r\n"
                        "以前、接続したときに保存されたデータを読みます。",
                        error.GetString());
            AfxMessageBox(text, MB_ICONEXCLAMATION);
        }
    }
    pSet->RemoveAll();
    pSet->ReadWithRetry();
}
