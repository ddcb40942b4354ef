#include "transfer/RuleFolderChooser.h"

#include "core/QuendalApp.h"
#include "transfer/DivideupDataSet.h"

bool CRuleFolderChooser::BeginReceive()
{
    m_bNoRuleCanMatch = false;
    if (!m_pApp)
        return false;
    bool bCheck = BeginReceiveFiltering(*m_pApp) != FALSE;
    // Rules whose conditions can never hold (the default junk rule while its
    // address-book group is empty) need no header read per mail: every mail
    // goes to the inbox, as it does with filtering off.
    CDivideupDataSet* set = m_pApp->GetReceiveRuleSet();
    m_bNoRuleCanMatch = !set || !m_pApp->GetProfileInt("Setting", "DivideUpAtReceive", 1) || !set->AnyRuleCanMatch();
    return bCheck;
}

int CRuleFolderChooser::CheckReceive(const CString& strHeader)
{
    if (!m_pApp)
        return 0;
    switch (CheckServerMailHeader(*m_pApp, strHeader)) {
    case CDivideupDataSet::kSkipLeave:
        return 1;
    case CDivideupDataSet::kSkipDelete:
        return 2;
    default:
        return 0;
    }
}

bool CRuleFolderChooser::ChooseFolderForMail(const std::string& mail, ReceiveFilingChoice& choice)
{
    if (m_bNoRuleCanMatch)
        return false;
    return m_pApp && ChooseReceiveFolderForText(*m_pApp, mail, choice);
}

bool CRuleFolderChooser::ChooseFolder(const CString& strMailPath, ReceiveFilingChoice& choice)
{
    if (m_bNoRuleCanMatch)
        return false;
    return m_pApp && ChooseReceiveFolderForFile(*m_pApp, strMailPath, choice);
}
