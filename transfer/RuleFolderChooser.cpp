#include "transfer/RuleFolderChooser.h"

#include "core/QuendalApp.h"
#include "transfer/DivideupDataSet.h"

bool CRuleFolderChooser::BeginReceive()
{
    return m_pApp && BeginReceiveFiltering(*m_pApp);
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

bool CRuleFolderChooser::ChooseFolder(const CString& strMailPath, ReceiveFilingChoice& choice)
{
    return m_pApp && ChooseReceiveFolderForFile(*m_pApp, strMailPath, choice);
}
