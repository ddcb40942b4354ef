// The condition items of filter and notification rules: the header names
// (and the pseudo-items "To-CC", "Size <=", "<= Size") a condition may test,
// each with the name the rule dialogs show.
#pragma once

#include "classlib/ClassLib.h"

struct ConditionItem
{
    const char* pszKey;
    const char* pszDisplayName;
};

// The items in the order the dialogs list them.
int GetConditionItemCount();
const ConditionItem& GetConditionItem(int nIndex);
// Key of the item whose display name equals the text (case-sensitive); the
// text itself when none does.
CString GetConditionItemKey(const char* pszDisplayName);
// Display name of the item whose key equals the text (any case); the text
// itself when none does.
CString GetConditionItemName(const char* pszKey);
// Whether a key names one of the size comparisons.
bool IsSizeConditionKey(const char* pszKey);
// Whether a stored key can be tested at all: an item of the table or a
// header field name (printable ASCII without blanks and colons).
bool IsUsableConditionKey(const char* pszKey);
