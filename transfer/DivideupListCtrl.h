// CDivideupListCtrl: the rows of the rule list dialog, one per rule of the
// shown set: both conditions, And/Or, the target folder, the server actions,
// the read mark and a swatch of the colour label.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CDivideupData;

class CDivideupListCtrl : public CListCtrl
{
public:
    enum { kColumnCount = 13, kColorColumn = 12 };

    // Columns with their widths from the settings.
    void SetupColumns();
    void SaveColumnWidths();
    // Writes row nRow (inserted when it is the row count) from the rule.
    void SetRow(int nRow, const CDivideupData& rule, const CString& folderName);
    void SelectRow(int nRow);
    int GetSelectedRow() const { return GetNextItem(-1, LVNI_SELECTED); }
    // The label colour of each row, for the swatch; a row without a label
    // holds CLR_NONE.
    void SetRowColor(int nRow, COLORREF color);

protected:
    void OnCustomDraw(NMHDR* pHdr, LRESULT* pResult);

    std::vector<COLORREF> m_colors;

    DECLARE_MESSAGE_MAP()
};
