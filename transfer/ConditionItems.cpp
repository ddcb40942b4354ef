#include "transfer/ConditionItems.h"

#include <cstring>

namespace {

const ConditionItem kItems[] = {
    { "From", "From" },
    { "To", "To" },
    { "CC", "CC" },
    { "To-CC", "To-CC" },
    { "Subject", "Subject" },
    { "Sender", "Sender" },
    { "Date", "Date" },
    { "Reply-To", "Reply-To" },
    { "X-ML-Name", "X-ML-Name" },
    { "X-Sequence", "X-Sequence" },
    { "Message-ID", "Message-ID" },
    { "Size <=", "Size <=" },
    { "<= Size", "<= Size" },
    { "X-ReceiveAcount", "X-ReceiveAcount" },
    { "Organization", "Organization" },
    { "Comments", "Comments" },
    { "Content-Type", "Content-Type" },
    { "X-Priority", "X-Priority" },
    { "Keyword", "Keyword" },
    { "Keywords", "Keywords" },
    { "References", "References" },
    { "X-Mailer", "X-Mailer" },
    { "X-SendAcount", "送信したアカウント" },
};

const int kItemCount = static_cast<int>(sizeof(kItems) / sizeof(kItems[0]));

} // namespace

int GetConditionItemCount()
{
    return kItemCount;
}

const ConditionItem& GetConditionItem(int nIndex)
{
    if (nIndex < 0 || nIndex >= kItemCount)
        nIndex = 0;
    return kItems[nIndex];
}

CString GetConditionItemKey(const char* pszDisplayName)
{
    const char* name = pszDisplayName ? pszDisplayName : "";
    for (const ConditionItem& item : kItems)
        if (std::strcmp(item.pszDisplayName, name) == 0)
            return item.pszKey;
    return name;
}

CString GetConditionItemName(const char* pszKey)
{
    const char* key = pszKey ? pszKey : "";
    for (const ConditionItem& item : kItems)
        if (_stricmp(item.pszKey, key) == 0)
            return item.pszDisplayName;
    return key;
}

bool IsSizeConditionKey(const char* pszKey)
{
    CString key(pszKey ? pszKey : "");
    key.Trim();
    return key.CompareNoCase("Size <=") == 0 || key.CompareNoCase("<= Size") == 0;
}

bool IsUsableConditionKey(const char* pszKey)
{
    if (!pszKey)
        return false;
    for (const ConditionItem& item : kItems)
        if (_stricmp(item.pszKey, pszKey) == 0)
            return true;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszKey); *p; ++p)
        if (*p <= 0x20 || *p >= 0x7F || *p == ':')
            return false;
    return true;
}
