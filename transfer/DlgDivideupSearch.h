// CDlgDivideupSearch: searches the rule list ("振り分け設定の検索") for a
// text in the condition texts or in the target folder's name. Each search
// goes on after the last hit; a new text or target starts from the top.
#pragma once

#include "classlib/ClassLib.h"

class CDivideupRuleList;
class CDivideupListCtrl;

class CDlgDivideupSearch : public CDialog
{
public:
    CDlgDivideupSearch(const CDivideupRuleList& rules, CDivideupListCtrl& list, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    // "検索": the next hit is selected; no hit beeps and starts over.
    void OnOK() override;

protected:
    const CDivideupRuleList& m_rules;
    CDivideupListCtrl& m_list;
    CString m_strLastText;
    int m_nLastTarget = -1;
    int m_nLastHit = -1;
};
