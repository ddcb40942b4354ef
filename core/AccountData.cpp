#include "core/AccountData.h"

namespace {

// Column kinds in file order.
const CAccountData::ColumnType kTypes[CAccountData::ColumnCount] = {
    CAccountData::colText,     CAccountData::colText, CAccountData::colText, CAccountData::colText,   // 0-3
    CAccountData::colText,     CAccountData::colText, CAccountData::colPassword,                      // 4-6
    CAccountData::colInt,      CAccountData::colInt,  CAccountData::colFlag, CAccountData::colInt,    // 7-10
    CAccountData::colFlag,     CAccountData::colFlag, CAccountData::colInt,  CAccountData::colText,   // 11-14
    CAccountData::colInt,      CAccountData::colFlag, CAccountData::colInt,  CAccountData::colInt,    // 15-18
    CAccountData::colInt,      CAccountData::colInt,  CAccountData::colInt,  CAccountData::colText,   // 19-22
    CAccountData::colText,     CAccountData::colText, CAccountData::colText, CAccountData::colText,   // 23-26
    CAccountData::colText,     CAccountData::colText, CAccountData::colInt,  CAccountData::colInt,    // 27-30
    CAccountData::colText,     CAccountData::colPassword, CAccountData::colInt, CAccountData::colFlag, // 31-34
    CAccountData::colFlag,     CAccountData::colText, CAccountData::colPassword,                      // 35-37
    CAccountData::colText,     CAccountData::colText, CAccountData::colInt,  CAccountData::colText,   // 38-41
    CAccountData::colFlag,     CAccountData::colFlag, CAccountData::colFlag, CAccountData::colFlag,   // 42-45
    CAccountData::colFlag,                                                                            // 46
};

} // namespace

CAccountData::ColumnType CAccountData::GetColumnType(int nColumn)
{
    return nColumn >= 0 && nColumn < ColumnCount ? kTypes[nColumn] : colText;
}

CAccountData::CAccountData()
{
    for (int& v : m_int)
        v = 0;
    m_int[7] = 25;
    m_int[8] = 110;
    m_int[12] = 1;
    m_int[18] = 1;
    m_int[40] = 10;
    m_int[42] = m_int[43] = m_int[44] = 1;
}

CString CAccountData::GetSendName() const
{
    return m_text[38].IsEmpty() ? m_text[1] : m_text[38];
}

CString CAccountData::GetSendAddress() const
{
    return m_text[39].IsEmpty() ? m_text[2] : m_text[39];
}

CString CAccountData::GetBccAddress()
{
    if (m_text[41] == "0")
        m_text[41].Empty();
    return m_text[41];
}

void CopyAccountData(const CAccountData* pSource, CAccountData* pTarget)
{
    if (!pSource || !pTarget)
        return;
    for (int i = 0; i < CAccountData::ColumnCount; ++i) {
        pTarget->m_text[i] = pSource->m_text[i];
        pTarget->m_int[i] = pSource->m_int[i];
    }
    pTarget->m_bInProfile = pSource->m_bInProfile;
}

BOOL IsSameAccountData(const CAccountData* pA, const CAccountData* pB)
{
    if (!pA || !pB)
        return pA == pB;
    for (int i = 0; i < CAccountData::ColumnCount; ++i) {
        if (pA->m_text[i] != pB->m_text[i] || pA->m_int[i] != pB->m_int[i])
            return FALSE;
    }
    return TRUE;
}
