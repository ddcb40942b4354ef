#include "transfer/DlgRouteTime.h"

#include "resources/route/RouteResource.h"

#include <cstdlib>

BEGIN_MESSAGE_MAP(CDlgRouteTime, CDialog)
    ON_CONTROL(EN_CHANGE, IDC_ROUTE_START_HOUR, OnStartHourChanged)
    ON_CONTROL(EN_CHANGE, IDC_ROUTE_START_MINUTE, OnStartMinuteChanged)
    ON_CONTROL(EN_CHANGE, IDC_ROUTE_END_HOUR, OnEndHourChanged)
    ON_CONTROL(EN_CHANGE, IDC_ROUTE_END_MINUTE, OnEndMinuteChanged)
END_MESSAGE_MAP()

CDlgRouteTime::CDlgRouteTime(CWnd* pParent) : CDialog(IDD_ROUTE_TIME, pParent)
{
}

CString CDlgRouteTime::ClampField(const CString& text, BOOL bHour)
{
    if (text.IsEmpty())
        return text;
    long value = std::strtol(text, nullptr, 10);
    long top = bHour ? 22 : 58;
    if (value <= 0)
        return "0";
    if (value > top)
        return bHour ? "23" : "59";
    return text;
}

BOOL CDlgRouteTime::OnInitDialog()
{
    CDialog::OnInitDialog();
    struct Spin
    {
        int id;
        int top;
    };
    for (Spin s : { Spin{ IDC_ROUTE_START_HOUR_SPIN, 24 }, Spin{ IDC_ROUTE_END_HOUR_SPIN, 24 },
                    Spin{ IDC_ROUTE_START_MINUTE_SPIN, 59 }, Spin{ IDC_ROUTE_END_MINUTE_SPIN, 59 },
                    Spin{ IDC_ROUTE_INTERVAL_SPIN, 1440 } })
        ::SendMessageA(GetDlgItemHwnd(s.id), UDM_SETRANGE32, 0, s.top);
    SetDlgItemText(IDC_ROUTE_START_HOUR, m_strStartHour);
    SetDlgItemText(IDC_ROUTE_START_MINUTE, m_strStartMinute);
    SetDlgItemText(IDC_ROUTE_END_HOUR, m_strEndHour);
    SetDlgItemText(IDC_ROUTE_END_MINUTE, m_strEndMinute);
    SetDlgItemText(IDC_ROUTE_BAND_INTERVAL, m_strInterval);
    return TRUE;
}

void CDlgRouteTime::OnStartHourChanged() { ClampControl(IDC_ROUTE_START_HOUR, TRUE); }
void CDlgRouteTime::OnStartMinuteChanged() { ClampControl(IDC_ROUTE_START_MINUTE, FALSE); }
void CDlgRouteTime::OnEndHourChanged() { ClampControl(IDC_ROUTE_END_HOUR, TRUE); }
void CDlgRouteTime::OnEndMinuteChanged() { ClampControl(IDC_ROUTE_END_MINUTE, FALSE); }

void CDlgRouteTime::ClampControl(int nId, BOOL bHour)
{
    // Setting the text sends another change notice; it is already in range.
    if (m_bClamping)
        return;
    CString text = GetDlgItemText(nId);
    CString clamped = ClampField(text, bHour);
    if (clamped == text)
        return;
    m_bClamping = TRUE;
    SetDlgItemText(nId, clamped);
    m_bClamping = FALSE;
}

void CDlgRouteTime::OnOK()
{
    m_strStartHour = GetDlgItemText(IDC_ROUTE_START_HOUR);
    m_strStartMinute = GetDlgItemText(IDC_ROUTE_START_MINUTE);
    m_strEndHour = GetDlgItemText(IDC_ROUTE_END_HOUR);
    m_strEndMinute = GetDlgItemText(IDC_ROUTE_END_MINUTE);
    m_strInterval = GetDlgItemText(IDC_ROUTE_BAND_INTERVAL);
    CDialog::OnOK();
}
