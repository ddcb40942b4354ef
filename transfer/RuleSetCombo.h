// The rule-set choice shared by the rule dialogs: "受信" (item data 0, the
// receive set), "送信済" (1, the send set), then every named set (2).
#pragma once

#include "classlib/ClassLib.h"

class CDivideupDataSet;
class CQuendalApp;

enum { kRuleSetReceive = 0, kRuleSetSend = 1, kRuleSetNamed = 2 };

void FillRuleSetCombo(HWND hCombo, CQuendalApp& app);
// The row of a set name (0 when empty or not listed).
int FindRuleSetRow(HWND hCombo, const char* pszName);
// The set of a row's text and kind; null when the named set is gone.
CDivideupDataSet* RuleSetOf(CQuendalApp& app, int nKind, const char* pszName);
