#include "core/QuendalApp.h"

#include "core/AccountDataSet.h"
#include "editor/AutoSignData.h"
#include "editor/ShortCutTemplateData.h"

CQuendalApp* QuendalApp()
{
    return static_cast<CQuendalApp*>(AfxGetApp());
}

CQuendalApp::CQuendalApp() : CMailApp("Corvane Mail")
{
    m_pAccountDataSet = new CAccountDataSet;
}

CQuendalApp::~CQuendalApp()
{
    // Shut-down normally closed them already; a failed start-up has not.
    CloseAllFolders();
    FreeRuleTables();
    FreeTaskList();
    delete m_pAccountDataSet;
    delete m_pAutoSignData;
    delete m_pShortCutTemplateData;
}
