// CMailSearchCondition: what the search window asks for, as plain values:
// the keyword texts with their modes, the date range, bookmark, colour
// label, attachment pattern and whether all or any condition must hold.
// The date texts are completed here as the window shows them.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>

class CMailSearchCondition
{
public:
    enum { methodAll = 0, methodAny = 1 };
    enum { dateSent = 0, dateReceived = 1 };
    enum { fromYear, fromMonth, fromDay, toYear, toMonth, toDay, dateFieldCount };

    CString strSender, strRecipients, strSubject, strBody;
    // Keyword modes: TRUE when every keyword must occur (And).
    BOOL bSenderAll = FALSE, bRecipientsAll = FALSE, bSubjectAll = FALSE, bBodyAll = FALSE;
    BOOL bIncludeCc = FALSE;
    BOOL bIncludeHeader = FALSE;
    CString dateText[dateFieldCount];
    int nDateKind = dateSent;
    BOOL bBookmark = FALSE;
    BOOL bColorLabel = FALSE;
    // The label asked for: "自動" (no label) or a colour among labelled mails.
    BOOL bLabelAuto = TRUE;
    COLORREF crLabel = 0;
    CString strAttachPattern;
    int nMethod = methodAll;

    // Fills what the user left out of each date, as the window then shows
    // it: a year alone gets January 1st, a year and month the 1st; a month
    // without year gets this year (and the 1st), a day alone this year and
    // month. Then an incomplete end becomes today when the start is
    // complete, an incomplete start 1980/1/1 when the end is.
    void CompleteDates(const SYSTEMTIME& today);
    // Whether all six date texts are filled (the date condition is on).
    bool HasDateRange() const;
    // The range as time values, both days whole: from the start day's local
    // midnight to the local midnight after the end day.
    void GetDateRange(int64_t& from, int64_t& to) const;
    // Whether the attachment condition is on, and whether it takes any file.
    bool HasAttachPattern() const { return !strAttachPattern.IsEmpty(); }
    bool AnyAttachment() const { return strAttachPattern == "*" || strAttachPattern == "*.*"; }

    // Seconds from 1970-01-01 to the day's start, as wall-clock seconds
    // (0 for impossible dates).
    static int64_t DayStart(int nYear, int nMonth, int nDay);
};
