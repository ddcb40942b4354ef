#include "mainwnd/FoundMailOrder.h"

#include "store/MailIndexRecord.h"

#include <mbstring.h>

namespace FoundMailOrder {

namespace {

// Ascending answers 1 when a's key is greater, descending when it is
// smaller; equal keys give -1 either way.
int Order(int cmp, bool ascending)
{
    return ascending ? (cmp > 0 ? 1 : -1) : (cmp < 0 ? 1 : -1);
}

int Text(const char* a, const char* b)
{
    return _mbscmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b));
}

template <class T>
int Num(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

int Compare(CMailIndexRecord& a, const char* pszFolderA, CMailIndexRecord& b, const char* pszFolderB, int nItem,
            bool bAscending)
{
    int cmp = 0;
    switch (nItem) {
    case 0: cmp = Text(a.m_bAttach ? "1" : "0", b.m_bAttach ? "1" : "0"); break;
    case 1: cmp = Text(a.GetSortSubject(), b.GetSortSubject()); break;
    case 2: cmp = Text(a.GetFromAddress(), b.GetFromAddress()); break;
    case 3: cmp = Num(a.GetSendTime(), b.GetSendTime()); break;
    case 4: cmp = Num(a.GetReceiveTime(), b.GetReceiveTime()); break;
    case 5: cmp = Num(a.m_nTotalSize, b.m_nTotalSize); break;
    case 6:
        if (pszFolderA && pszFolderB)
            cmp = Text(pszFolderA, pszFolderB);
        else
            cmp = Text(a.GetText(CMailIndexRecord::colTo), b.GetText(CMailIndexRecord::colTo));
        break;
    case 7:
        cmp = Text(FormatString("%06d", static_cast<int>(a.GetLabelColor())),
                   FormatString("%06d", static_cast<int>(b.GetLabelColor())));
        break;
    case 8: cmp = Num(a.m_nBookmark, b.m_nBookmark); break;
    case 9: cmp = Text(a.GetText(CMailIndexRecord::colSubject), b.GetText(CMailIndexRecord::colSubject)); break;
    case 12:
    case -1: cmp = Num(a.m_nRecordPos, b.m_nRecordPos); break;
    case 13: cmp = Text(a.GetText(CMailIndexRecord::colFrom), b.GetText(CMailIndexRecord::colFrom)); break;
    default: cmp = Text(a.GetText(CMailIndexRecord::colReceived), b.GetText(CMailIndexRecord::colReceived)); break;
    }
    return Order(cmp, bAscending);
}

} // namespace FoundMailOrder
