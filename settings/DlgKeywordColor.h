// CDlgKeywordColor: "キーワードの色", the keywords shown in colour in the
// mail view. OK rewrites "KeywordList.dat" from the rows in list order.
#pragma once

#include "classlib/Dialog.h"
#include "settings/ColorButton.h"
#include "settings/KeywordRows.h"

class CDlgKeywordColor : public CDialog
{
public:
    CDlgKeywordColor(const CString& keywordFile, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    std::vector<KeywordRow> m_rows;

private:
    void InsertRow(int nRow, const KeywordRow& row);
    void SetRow(int nRow, const KeywordRow& row);
    bool TakeFields(KeywordRow& row);
    int SelectedRow() const;

    CString m_strFile;
    HWND m_hList = nullptr;
    CColorButton m_color;
};
