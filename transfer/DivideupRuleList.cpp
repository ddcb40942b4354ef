#include "transfer/DivideupRuleList.h"

#include "transfer/DivideupDataSet.h"

#include <utility>

namespace {

std::unique_ptr<CDivideupData> CopyOf(const CDivideupData& rule)
{
    std::unique_ptr<CDivideupData> copy(new CDivideupData);
    rule.CopyTo(*copy);
    return copy;
}

bool Contains(const CString& text, const CString& lowerNeedle)
{
    CString lower = text;
    lower.MakeLower();
    return lower.Find(lowerNeedle) >= 0;
}

} // namespace

void CDivideupRuleList::LoadFrom(const CDivideupDataSet& set)
{
    m_rows.clear();
    for (int i = 0; i < set.GetRuleCount(); ++i) {
        const CDivideupData* rule = set.GetRule(i);
        if (rule && !rule->m_bDeleted)
            m_rows.push_back(CopyOf(*rule));
    }
}

void CDivideupRuleList::StoreInto(CDivideupDataSet& set) const
{
    set.RemoveAll();
    for (const auto& row : m_rows)
        set.AddRule(*row);
}

int CDivideupRuleList::Add(const CDivideupData& rule)
{
    m_rows.push_back(CopyOf(rule));
    return GetCount() - 1;
}

BOOL CDivideupRuleList::Replace(int nRow, const CDivideupData& rule)
{
    if (nRow < 0 || nRow >= GetCount())
        return FALSE;
    rule.CopyTo(*m_rows[static_cast<size_t>(nRow)]);
    return TRUE;
}

BOOL CDivideupRuleList::Remove(int nRow)
{
    if (nRow < 0 || nRow >= GetCount() || m_rows[static_cast<size_t>(nRow)]->m_nProtected == 1)
        return FALSE;
    m_rows.erase(m_rows.begin() + nRow);
    return TRUE;
}

int CDivideupRuleList::MoveUp(int nRow)
{
    if (nRow <= 0 || nRow >= GetCount())
        return -1;
    std::swap(m_rows[static_cast<size_t>(nRow)], m_rows[static_cast<size_t>(nRow - 1)]);
    return nRow - 1;
}

int CDivideupRuleList::MoveDown(int nRow)
{
    if (nRow < 0 || nRow >= GetCount() - 1)
        return -1;
    std::swap(m_rows[static_cast<size_t>(nRow)], m_rows[static_cast<size_t>(nRow + 1)]);
    return nRow + 1;
}

int CDivideupRuleList::MoveToTop(int nRow)
{
    if (nRow <= 0 || nRow >= GetCount())
        return -1;
    std::unique_ptr<CDivideupData> row = std::move(m_rows[static_cast<size_t>(nRow)]);
    m_rows.erase(m_rows.begin() + nRow);
    m_rows.insert(m_rows.begin(), std::move(row));
    return 0;
}

int CDivideupRuleList::MoveToBottom(int nRow)
{
    if (nRow < 0 || nRow >= GetCount() - 1)
        return -1;
    std::unique_ptr<CDivideupData> row = std::move(m_rows[static_cast<size_t>(nRow)]);
    m_rows.erase(m_rows.begin() + nRow);
    m_rows.push_back(std::move(row));
    return GetCount() - 1;
}

int CDivideupRuleList::Find(const char* pszText, int nTarget, int nStart) const
{
    CString needle = pszText ? pszText : "";
    if (needle.IsEmpty())
        return -1;
    needle.MakeLower();
    for (int i = nStart < 0 ? 0 : nStart; i < GetCount(); ++i) {
        const CDivideupData& rule = *m_rows[static_cast<size_t>(i)];
        if (nTarget == targetFolder) {
            CString name = m_pfnFolderName ? m_pfnFolderName(rule) : rule.GetFolderName();
            if (Contains(name, needle))
                return i;
        } else if (Contains(rule.m_strString1, needle) || Contains(rule.m_strString2, needle)) {
            return i;
        }
    }
    return -1;
}
