#include "settings/KeywordRows.h"

#include "viewer/KeywordListDataSet.h"

std::vector<KeywordRow> ReadKeywordRows(const char* pszPath)
{
    std::vector<KeywordRow> rows;
    CKeywordListDataSet table;
    table.SetFilePath(pszPath);
    table.ReadFromFile(TRUE);
    for (int i = 0; i < table.GetRecordCount(TRUE); ++i) {
        CKeywordData* k = table.GetKeyword(i);
        if (k && !k->m_bDeleted)
            rows.push_back({ k->GetKeyword(), k->GetColor(), k->GetBold() != FALSE });
    }
    return rows;
}

bool WriteKeywordRows(const char* pszPath, const std::vector<KeywordRow>& rows)
{
    CKeywordListDataSet table;
    table.SetFilePath(pszPath);
    for (const KeywordRow& row : rows) {
        auto* k = static_cast<CKeywordData*>(table.CreateNewRecord());
        k->SetKeyword(row.strKeyword);
        k->SetColor(row.crColor);
        k->SetBold(row.bBold);
    }
    return table.WriteToFile(FALSE) != FALSE;
}

CString CheckKeywordRow(const KeywordRow& row)
{
    return row.strKeyword.IsEmpty() ? CString("キーワードに空文字は指定できません。") : CString();
}
