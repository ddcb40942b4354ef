// Reading and picking rows of a dialog's list control in the route tests.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace RouteTest {

// Each row's first nColumns texts, joined with "|".
inline std::vector<std::string> Rows(HWND hList, int nColumns)
{
    std::vector<std::string> rows;
    int count = static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string row;
        for (int c = 0; c < nColumns; ++c) {
            char text[260] = "";
            LVITEMA item = {};
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            row += (c ? "|" : "") + std::string(text);
        }
        rows.push_back(row);
    }
    return rows;
}

// Selects and focuses the row; -1 clears the selection of every row.
inline void SelectRow(HWND hList, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

} // namespace RouteTest
