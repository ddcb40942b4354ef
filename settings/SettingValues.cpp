#include "settings/SettingValues.h"

#include "core/MailApp.h"
#include "core/SettingDefaults.h"

void CSettingValues::Load(CMailApp& app, const SettingBinding* pTable, int nCount)
{
    for (int i = 0; i < nCount; ++i) {
        const SettingBinding& b = pTable[i];
        Value v = { &b, b.kind == SettingBinding::kText, 0, 0, CString(), CString() };
        if (!b.pszSection)
            ;  // a field of the dialog alone, never stored
        else if (v.bText)
            v.strLoaded = v.strValue = GetSettingText(app, b.pszSection, b.pszKey);
        else
            v.nLoaded = v.nValue = GetSettingInt(app, b.pszSection, b.pszKey);
        m_values.push_back(v);
    }
}

int CSettingValues::Save(CMailApp& app) const
{
    int written = 0;
    for (const Value& v : m_values) {
        const SettingBinding& b = *v.pBinding;
        if (!b.pszSection)
            continue;
        if (v.bText) {
            if (v.strValue == v.strLoaded)
                continue;
            app.WriteProfileString(b.pszSection, b.pszKey, v.strValue);
        } else {
            if (v.nValue == v.nLoaded)
                continue;
            app.WriteProfileInt(b.pszSection, b.pszKey, v.nValue);
        }
        ++written;
    }
    return written;
}

CSettingValues::Value* CSettingValues::Find(const char* pszKey)
{
    for (Value& v : m_values) {
        if (lstrcmpiA(v.pBinding->pszKey, pszKey) == 0)
            return &v;
    }
    return nullptr;
}

int& CSettingValues::Int(const char* pszKey)
{
    return Find(pszKey)->nValue;
}

CString& CSettingValues::Text(const char* pszKey)
{
    return Find(pszKey)->strValue;
}

bool CSettingValues::IsChanged(const char* pszKey)
{
    Value* v = Find(pszKey);
    if (!v)
        return false;
    return v->bText ? v->strValue != v->strLoaded : v->nValue != v->nLoaded;
}

int CSettingValues::RadioIndexOf(const SettingBinding& b, int nValue)
{
    for (int i = 0; i < b.nButtons; ++i) {
        if (RadioValueOf(b, i) == nValue)
            return i;
    }
    return -1;
}

int CSettingValues::RadioValueOf(const SettingBinding& b, int nIndex)
{
    return b.pRadioValues ? b.pRadioValues[nIndex] : nIndex;
}

int HeaderModeFromPair(int nMiniHeader, int nShowAll)
{
    if (nMiniHeader == 1 && nShowAll == 0)
        return 0;
    if (nMiniHeader == 0 && nShowAll == 0)
        return 1;
    if (nMiniHeader == 0 && nShowAll == 1)
        return 2;
    return -1;
}

void PairFromHeaderMode(int nMode, int& nMiniHeader, int& nShowAll)
{
    switch (nMode) {
    case 0: nMiniHeader = 1; nShowAll = 0; break;
    case 1: nMiniHeader = 0; nShowAll = 0; break;
    case 2: nMiniHeader = 0; nShowAll = 1; break;
    default: break;
    }
}
