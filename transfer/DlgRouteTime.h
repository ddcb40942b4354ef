// CDlgRouteTime: the time band dialog ("時間の入力"): start and end of a
// band of the day and the route interval inside it. Hour and minute fields
// are kept inside their ranges while the user types.
#pragma once

#include "classlib/ClassLib.h"

class CDlgRouteTime : public CDialog
{
public:
    explicit CDlgRouteTime(CWnd* pParent = nullptr);

    // The field texts shown when the dialog opens and as left after OK.
    CString m_strStartHour = "0", m_strStartMinute = "0", m_strEndHour = "0", m_strEndMinute = "0";
    CString m_strInterval = "10";

    // The text an hour (or minute) field takes after a change: 0 or less
    // becomes "0", above 22 "23" (minutes: above 58 "59"); an empty field
    // and a value in range stay as typed.
    static CString ClampField(const CString& text, BOOL bHour);

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnStartHourChanged();
    void OnStartMinuteChanged();
    void OnEndHourChanged();
    void OnEndMinuteChanged();
    void ClampControl(int nId, BOOL bHour);

    BOOL m_bClamping = FALSE;

    DECLARE_MESSAGE_MAP()
};
