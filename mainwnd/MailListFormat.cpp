#include "mainwnd/MailListFormat.h"

#include "core/DateTimeFormats.h"
#include "core/DateTimeUtil.h"
#include "message/AddressList.h"
#include "store/MailIndexRecord.h"
#include "store/StoreText.h"

#include <commctrl.h>

#include <algorithm>

namespace MailListFormat {

namespace {

const ColumnDef kColumns[columnCount] = {
    { " ", nullptr, 19, LVCFMT_LEFT },
    { "件名", "ListWidthSubject", 214, LVCFMT_LEFT },
    { "差出人", "ListWidthSender", 120, LVCFMT_LEFT },
    { "送信日時", "ListWidthDate", 100, LVCFMT_LEFT },
    { "受信日時", "ListWidthRevDate", 100, LVCFMT_LEFT },
    { "サイズ", "ListWidthSize", 50, LVCFMT_RIGHT },
};

struct Label
{
    COLORREF color;
    const char* name;
};
const Label kPalette[16] = {
    { 0x7F0000, "濃青" },   { 0x007F00, "濃緑" },     { 0x7F7F00, "濃シアン" }, { 0x00007F, "濃赤" },
    { 0x7F007F, "濃マゼンダ" }, { 0x007F7F, "茶" },   { 0x7F7F7F, "淡灰" },     { 0x3F3F3F, "濃灰" },
    { 0xFF0000, "淡青" },   { 0x00FF00, "淡緑" },     { 0xFFFF00, "淡シアン" }, { 0x0000FF, "淡赤" },
    { 0xFF00FF, "淡マゼンダ" }, { 0x00FFFF, "黄" },   { 0xFFFFFF, "白" },       { 0x000000, "黒" },
};

} // namespace

const ColumnDef& Column(int nColumn)
{
    if (nColumn < 0 || nColumn >= columnCount)
        nColumn = 0;
    return kColumns[nColumn];
}

int IconColumnWidth(bool bPriority, bool bReplyIcon)
{
    return 19 + (bPriority ? 8 : 0) + (bReplyIcon ? 8 : 0);
}

int TextColumnWidth(HDC hDC, const char* pszText)
{
    SIZE extent = {0, 0};
    if (!hDC || !pszText || !*pszText || !::GetTextExtentPoint32A(hDC, pszText, lstrlenA(pszText), &extent))
        return 0;
    // The cell leaves 3 pixels each side; a few more keep the text off the edge.
    const int kMargins = 12;
    return static_cast<int>(extent.cx) + kMargins;
}

int FittingColumnWidth(int nColumn, int nDefaultWidth, HDC hDC, const char* pszDateFormat)
{
    CString widest;
    if (nColumn == columnDate || nColumn == columnRevDate) {
        // Wide digits in every place: 2000/12/28 20:58:58 local time.
        const int64_t kWideTime = 977993938;
        widest = CDateTimeFormats::FormatTimeValue(pszDateFormat, kWideTime);
    } else if (nColumn == columnSize) {
        widest = FormatSize(1048575);  // 1023.9 KB
    }
    return std::max(nDefaultWidth, TextColumnWidth(hDC, widest));
}

int DefaultColumnWidth(int nColumn, HDC hDC, const char* pszDateFormat)
{
    return FittingColumnWidth(nColumn, Column(nColumn).defaultWidth, hDC, pszDateFormat);
}

int DefaultColumnsWidth(HDC hDC, const char* pszDateFormat)
{
    int width = IconColumnWidth(true, true);
    for (int i = 1; i < columnCount; ++i)
        width += DefaultColumnWidth(i, hDC, pszDateFormat);
    return width;
}

const char* SenderHeader(bool bShowTo)
{
    return bShowTo ? "宛先" : "差出人";
}

CString FormatSize(int64_t nBytes)
{
    CString text;
    if (nBytes < 1024) {
        text.Format("%ld B", static_cast<long>(nBytes));
        return text;
    }
    // One decimal, cut rather than rounded: 1,048,575 bytes are 1023.9 KB.
    bool kb = nBytes < 1048576;
    int64_t unit = kb ? 1024 : 1048576;
    int64_t tenths = nBytes * 10 / unit;
    text.Format("%lld.%d %s", static_cast<long long>(tenths / 10), static_cast<int>(tenths % 10), kb ? "KB" : "MB");
    return text;
}

bool IsOutgoingKind(int nKind)
{
    return nKind == 2 || nKind == 3 || nKind == 5 || nKind == 6 || nKind == 10;
}

int SortItemForFolder(int nItem, bool bShowTo)
{
    if (bShowTo && nItem == 2)
        return 6;
    if (!bShowTo && nItem == 6)
        return 2;
    return nItem;
}

int RowAfterDelete(int nCurrent, int nDeletedAtOrAbove, bool bAscendingOrThread, int nRowsLeft)
{
    if (nRowsLeft <= 0)
        return -1;
    const int row = nCurrent - nDeletedAtOrAbove + (bAscendingOrThread ? 1 : 0);
    return row < 0 ? 0 : row >= nRowsLeft ? nRowsLeft - 1 : row;
}

std::vector<ThreadLine> ThreadLines(const std::function<int(int)>& levelOf, int nRows, int nRow)
{
    const int level = nRow >= 0 && nRow < nRows ? levelOf(nRow) : 0;
    std::vector<ThreadLine> lines(static_cast<size_t>(level > 0 ? level : 0), lineNone);
    // Whether a row of level d follows below before the thread climbs above d.
    auto goesOn = [&](int d) {
        for (int r = nRow + 1; r < nRows; ++r) {
            const int l = levelOf(r);
            if (l < d)
                return false;
            if (l == d)
                return true;
        }
        return false;
    };
    for (int d = 1; d <= level; ++d) {
        const bool more = goesOn(d);
        lines[static_cast<size_t>(d - 1)] = d == level ? (more ? lineBranch : lineLast) : (more ? lineThrough : lineNone);
    }
    return lines;
}

int SortItemToHeaderColumn(int nItem)
{
    switch (nItem) {
    case -1: case 0: return 0;
    case 1: case 9: return 1;
    case 2: case 6: case 13: return 2;
    case 3: return 3;
    case 4: return 4;
    case 5: return 5;
    default: return -1;
    }
}

int ColumnToSortItem(int nColumn, bool bShowTo, bool bShift)
{
    switch (nColumn) {
    case 0: return 0;
    case 1: return bShift ? 9 : 1;
    case 2: return bShift ? 13 : (bShowTo ? 6 : 2);
    case 3: return 3;
    case 4: return 4;
    case 5: return 5;
    default: return -1;
    }
}

int ColumnAtX(const int* pWidths, int nCount, int x)
{
    int right = 0;
    for (int i = 0; i < nCount; ++i) {
        right += pWidths[i];
        if (x < right)
            return i;
    }
    return -1;
}

void ApplyColumnClick(int nClickedItem, int& nItem, int& nMode)
{
    if (nClickedItem < 0)
        return;
    if (nClickedItem == nItem)
        nMode = nMode ? 0 : 1;
    nItem = nClickedItem;
}

COLORREF LabelColor(int nLabel)
{
    return nLabel >= 1 && nLabel <= 16 ? kPalette[nLabel - 1].color : 0;
}

const char* LabelName(int nLabel)
{
    return nLabel >= 1 && nLabel <= 16 ? kPalette[nLabel - 1].name : "";
}

RowColors RowColorsFor(int nLabel, COLORREF crOwn, bool bRead, bool bSelected, bool bFocused, const ListColors& colors)
{
    bool palette = nLabel >= 1 && nLabel <= 16;
    if (!bSelected) {
        if (nLabel == 99)
            return { colors.back, crOwn };
        if (palette)
            return { colors.back, LabelColor(nLabel) };
        return { colors.back, bRead ? colors.text : colors.textUnread };
    }
    if (!bFocused)
        return { colors.greyText, colors.highlightText };
    if (nLabel == 99)
        return { crOwn, crOwn ^ 0xFFFFFF };
    if (palette) {
        COLORREF text = nLabel == 14 ? 0xFF0000 : nLabel == 15 ? 0x000000 : 0xFFFFFF;
        return { LabelColor(nLabel), text };
    }
    return { colors.highlight, colors.highlightText };
}

int UnreadFontWeight(const ListColors& colors, int nFontWeight)
{
    return colors.text == colors.textUnread ? FW_BOLD : nFontWeight;
}

int ReadFontWeight(const ListColors& colors, int nFontWeight)
{
    return colors.text == colors.textUnread ? FW_NORMAL : nFontWeight;
}

int RowHeight(int nFontTwips, int nLogPixelsY)
{
    int height = nFontTwips * nLogPixelsY / 1440 + 4;
    return height & ~1;
}

CString AddressForType(const char* pszEntry, int nType)
{
    if (nType == 0 || !pszEntry)
        return CString(pszEntry ? pszEntry : "");
    CString address = ExtractMailAddress(pszEntry);
    if (nType == 3 || nType == 4) {
        CString name = ExtractDisplayName(pszEntry);
        if (nType == 3)
            return name.IsEmpty() ? address : name;
        return address.IsEmpty() ? name : address;
    }
    if (address.IsEmpty())
        return CString(pszEntry);
    CString name = StoreText::AddressBookName(pszEntry);
    if (name.IsEmpty() || name == address)
        return address;
    return nType == 2 ? address + " (" + name + ")" : name + " <" + address + ">";
}

CString RowText(CMailIndexRecord& record, int nColumn, const RowTextOptions& options)
{
    switch (nColumn) {
    case 0:
        return CString("       ");
    case 1:
        return CString(options.bHideTag ? record.GetSubjectNoTag() : static_cast<const char*>(record.GetText(CMailIndexRecord::colSubject)));
    case 2: {
        bool to = options.bShowTo || (options.bOwnMailTo && (record.m_nFlags & CMailIndexRecord::flagFromAccount));
        const CString& text = record.GetText(to ? CMailIndexRecord::colTo : CMailIndexRecord::colFrom);
        if (options.nAddressType == 0)
            return text;
        if (!to)
            return AddressForType(text, options.nAddressType);
        CStringArray entries;
        ParseAddressList(text, &entries);
        CString joined;
        for (int i = 0; i < entries.GetSize(); ++i) {
            if (i)
                joined += ", ";
            joined += AddressForType(entries[i], options.nAddressType);
        }
        return joined;
    }
    case 3:
        return FormatLocalTime(record.GetSendTime(), options.strDateFormat);
    case 4:
        return FormatLocalTime(record.GetReceiveTime(), options.strDateFormat);
    case 5:
        return FormatSize(record.m_nTotalSize);
    default:
        return CString();
    }
}

} // namespace MailListFormat
