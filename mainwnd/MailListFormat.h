// What the mail list shows, worked out without a window: its columns and
// their default widths, the size and date texts, the sort items behind the
// column headers, the row colours of the colour labels, the font weights and
// the row height. The list view only applies these.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>
#include <functional>
#include <vector>

class CMailIndexRecord;

namespace MailListFormat {

enum { columnIcons, columnSubject, columnSender, columnDate, columnRevDate, columnSize, columnCount };

struct ColumnDef
{
    const char* header;    // shown text; column 2 is "差出人" or "宛先"
    const char* widthKey;  // "Window" key of its width, null for the icon column
    int defaultWidth;
    int format;            // LVCFMT_LEFT or LVCFMT_RIGHT
};

const ColumnDef& Column(int nColumn);
// Column 0 is 19 pixels, 8 more for each of the priority and reply icons.
int IconColumnWidth(bool bPriority, bool bReplyIcon);
// Header of column 2.
const char* SenderHeader(bool bShowTo);
// The width a column starts with when none is stored: the default given,
// or for a column of fixed-form text (the two dates, the size) what its
// widest text needs in the font selected into hDC with the cell's margins,
// when wider.
int FittingColumnWidth(int nColumn, int nDefaultWidth, HDC hDC, const char* pszDateFormat);
// The same with the column's own default.
int DefaultColumnWidth(int nColumn, HDC hDC, const char* pszDateFormat);
// The width of a text in the font selected into hDC with the cell's margins.
int TextColumnWidth(HDC hDC, const char* pszText);
// All columns at those widths, with the icon column of the default icons
// (priority and reply).
int DefaultColumnsWidth(HDC hDC, const char* pszDateFormat);

// "%ld B" below 1 KB, KB and MB with one decimal cut (not rounded).
CString FormatSize(int64_t nBytes);

// Folder kinds whose lists show the recipient instead of the sender.
bool IsOutgoingKind(int nKind);
// Sort item 2 and 6 swap with the folder's direction.
int SortItemForFolder(int nItem, bool bShowTo);
// The row chosen after a delete: the newer neighbour of the focused row
// (nCurrent before the delete, nDeletedAtOrAbove rows at or above it gone),
// which lies below it in ascending order and in thread display, above it
// otherwise; -1 when no row is left.
int RowAfterDelete(int nCurrent, int nDeletedAtOrAbove, bool bAscendingOrThread, int nRowsLeft);
// Header column that carries the sort mark of an item, -1 for none.
int SortItemToHeaderColumn(int nItem);
// The sort item a click on a header column asks for (-1 for none).
int ColumnToSortItem(int nColumn, bool bShowTo, bool bShift);
// The column under x (client x plus the horizontal scroll offset), -1 past the last.
int ColumnAtX(const int* pWidths, int nCount, int x);
// A click on the column of the current item reverses the mode; another keeps it.
void ApplyColumnClick(int nClickedItem, int& nItem, int& nMode);

// Colour labels: 1-16 the fixed palette, 99 the mail's own colour, 0 by read state.
COLORREF LabelColor(int nLabel);
const char* LabelName(int nLabel);

struct ListColors
{
    COLORREF back;
    COLORREF text;        // read mails
    COLORREF textUnread;  // unread mails
    COLORREF highlight;
    COLORREF highlightText;
    COLORREF greyText;
};
struct RowColors
{
    COLORREF back;
    COLORREF text;
};
RowColors RowColorsFor(int nLabel, COLORREF crOwn, bool bRead, bool bSelected, bool bFocused, const ListColors& colors);

// Unread rows stand out by weight only when both text colours are the same.
int UnreadFontWeight(const ListColors& colors, int nFontWeight);
int ReadFontWeight(const ListColors& colors, int nFontWeight);
// The list font's height in pixels plus 4, rounded down to even.
int RowHeight(int nFontTwips, int nLogPixelsY);

// An address text as the list shows it for the address type: 0 as stored,
// 3 the display name, 4 the address; 1 "name <address>" and 2 "address
// (name)", with the name the address book gives the address where it has
// one. The list sorts its sender column by the same names.
CString AddressForType(const char* pszEntry, int nType);

// How a folder's rows read.
struct RowTextOptions
{
    bool bShowTo = false;     // the folder lists recipients ("宛先")
    bool bOwnMailTo = false;  // own mails (flag 0x4) show their recipients
    int nAddressType = 0;
    bool bHideTag = false;    // subjects without their leading "[...]" tag
    CString strDateFormat = "%Y/%m/%d %H:%M:%S";
};
// The text of a row's column, as the list shows and reports it.
CString RowText(CMailIndexRecord& record, int nColumn, const RowTextOptions& options);

// The tree lines of a reply's row in thread display, one 8-pixel slot per
// level from 1 to the row's own: an ancestor's line that goes on below, the
// branch to this row while a sibling follows, or the last branch.
enum ThreadLine { lineNone, lineThrough, lineBranch, lineLast };
// levelOf gives the level of each of the nRows rows of the view.
std::vector<ThreadLine> ThreadLines(const std::function<int(int)>& levelOf, int nRows, int nRow);

} // namespace MailListFormat
