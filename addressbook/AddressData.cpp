#include "addressbook/AddressData.h"

namespace {

const char kNameEnd = '\x1F';
const char kValueEnd = '\x1E';

// CR LF (and a lone CR or LF) become one blank.
CString OneLine(const CString& text)
{
    CString out;
    const char* p = text;
    while (*p) {
        if (*p == '\r' || *p == '\n') {
            if (p[0] == '\r' && p[1] == '\n')
                ++p;
            out += ' ';
        } else {
            out += *p;
        }
        ++p;
    }
    return out;
}

} // namespace

CString CAddressData::GetPropertyText() const
{
    CString text;
    for (const CAddressProperty& prop : m_properties) {
        text += OneLine(prop.m_strName);
        text += kNameEnd;
        text += OneLine(prop.m_strValue);
        text += kValueEnd;
    }
    return text;
}

void CAddressData::SetPropertyText(const char* pszText)
{
    m_properties.clear();
    if (!pszText)
        return;
    CAddressProperty current;
    bool inValue = false;
    for (const char* p = pszText; *p; ++p) {
        if (*p == kNameEnd && !inValue) {
            inValue = true;
        } else if (*p == kValueEnd) {
            m_properties.push_back(current);
            current = CAddressProperty();
            inValue = false;
        } else if (inValue) {
            current.m_strValue += *p;
        } else {
            current.m_strName += *p;
        }
    }
    // Text behind the last value end is an unfinished pair and is dropped.
}

void CAddressData::CopyFrom(const CAddressData& other)
{
    m_strAddress = other.m_strAddress;
    m_strName = other.m_strName;
    m_strMemo = other.m_strMemo;
    m_strIconName = other.m_strIconName;
    SetPropertyText(other.GetPropertyText());
}

CAddressData* CAddressData::Clone() const
{
    CAddressData* copy = new CAddressData;
    copy->m_strAddress = m_strAddress;
    copy->m_strName = m_strName;
    copy->m_strMemo = m_strMemo;
    copy->m_strIconName = m_strIconName;
    copy->m_nIndex = m_nIndex;
    return copy;
}
