// The application's tables of the mail editor: the automatic signature
// rules and the template calls.
#include "core/QuendalApp.h"

#include "editor/AutoSignData.h"
#include "editor/ShortCutTemplateData.h"

void CQuendalApp::LoadAutoSignRules()
{
    if (!m_pAutoSignData)
        m_pAutoSignData = new CAutoSignData;
    m_pAutoSignData->SetFilePath(GetAutoSignPath());
    m_pAutoSignData->ReadFromFile(TRUE);
}

CAutoSignData* CQuendalApp::GetAutoSignData()
{
    if (!m_pAutoSignData || !m_pAutoSignData->IsLoaded())
        LoadAutoSignRules();
    return m_pAutoSignData;
}

CShortCutTemplateData* CQuendalApp::GetShortCutTemplateData()
{
    if (!m_pShortCutTemplateData) {
        m_pShortCutTemplateData = new CShortCutTemplateData;
        m_pShortCutTemplateData->SetFilePath(GetShortCutTemplatePath());
    }
    if (!m_pShortCutTemplateData->IsLoaded())
        m_pShortCutTemplateData->ReadFromFile(TRUE);
    return m_pShortCutTemplateData;
}
