// CDivideupRuleList: the rules of one rule set while the rule list dialog
// edits them: rows added, changed, removed and moved, searched, and written
// back into the set only when the user saves.
#pragma once

#include "transfer/DivideupData.h"

#include <functional>
#include <memory>
#include <vector>

class CDivideupDataSet;

class CDivideupRuleList
{
public:
    enum { targetString = 0, targetFolder = 1 };

    // The live rules of the set, in table order.
    void LoadFrom(const CDivideupDataSet& set);
    // Replaces the set's rules by the rows (the file is not written).
    void StoreInto(CDivideupDataSet& set) const;

    int GetCount() const { return static_cast<int>(m_rows.size()); }
    const CDivideupData& GetRule(int nRow) const { return *m_rows[static_cast<size_t>(nRow)]; }
    // The new row's index.
    int Add(const CDivideupData& rule);
    BOOL Replace(int nRow, const CDivideupData& rule);
    // False for a row out of range and for a protected rule, which stays.
    BOOL Remove(int nRow);
    // The moves return the row's new index, or -1 when nothing moved (the
    // top row moved up, the bottom row down, a row out of range).
    int MoveUp(int nRow);
    int MoveDown(int nRow);
    int MoveToTop(int nRow);
    int MoveToBottom(int nRow);

    // The first row from nStart on whose text (both condition texts, or the
    // target folder's name) holds the text, letter case ignored; -1 none.
    // The folder name of a rule comes from pfnFolderName (the open folders
    // when empty).
    int Find(const char* pszText, int nTarget, int nStart) const;
    std::function<CString(const CDivideupData&)> m_pfnFolderName;

private:
    std::vector<std::unique_ptr<CDivideupData>> m_rows;
};
