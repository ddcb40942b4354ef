// CRuleFolderChooser: the application's receive rule set as the receive
// sessions use it (the settings "DivideUpAtReceive" and the rule files).
#pragma once

#include "transfer/ReceiveFolderChooser.h"

class CQuendalApp;

class CRuleFolderChooser : public CReceiveFolderChooser
{
public:
    explicit CRuleFolderChooser(CQuendalApp* pApp) : m_pApp(pApp) {}

    bool BeginReceive() override;
    int CheckReceive(const CString& strHeader) override;
    bool ChooseFolder(const CString& strMailPath, ReceiveFilingChoice& choice) override;
    bool ChooseFolderForMail(const std::string& mail, ReceiveFilingChoice& choice) override;

private:
    CQuendalApp* m_pApp;
    // Set by BeginReceive when no rule can match: every mail of the pass
    // goes to the inbox without reading its header again.
    bool m_bNoRuleCanMatch = false;
};
