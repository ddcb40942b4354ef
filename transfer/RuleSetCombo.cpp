#include "transfer/RuleSetCombo.h"

#include "core/QuendalApp.h"
#include "transfer/DivideupDataSet.h"

void FillRuleSetCombo(HWND hCombo, CQuendalApp& app)
{
    ::SendMessageA(hCombo, CB_RESETCONTENT, 0, 0);
    auto add = [hCombo](const char* text, int kind) {
        LRESULT row = ::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (row >= 0)
            ::SendMessageA(hCombo, CB_SETITEMDATA, static_cast<WPARAM>(row), kind);
    };
    add("受信", kRuleSetReceive);
    add("送信済", kRuleSetSend);
    app.LoadFilterRules();
    for (int i = 0; i < app.GetNamedRuleSetCount(); ++i)
        add(app.GetNamedRuleSet(i)->GetFileName(), kRuleSetNamed);
}

int FindRuleSetRow(HWND hCombo, const char* pszName)
{
    if (!pszName || !*pszName)
        return 0;
    LRESULT row = ::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(pszName));
    return row == CB_ERR ? 0 : static_cast<int>(row);
}

CDivideupDataSet* RuleSetOf(CQuendalApp& app, int nKind, const char* pszName)
{
    if (nKind == kRuleSetReceive)
        return app.GetReceiveRuleSet();
    if (nKind == kRuleSetSend)
        return app.GetSendRuleSet();
    return app.FindRuleSet(pszName);
}
