#include "transfer/RouteSchedule.h"

#include "transfer/RouteSetData.h"

CRouteSchedule::Action CRouteSchedule::Update(const CRouteSetData& settings, const CTime& now, BOOL bStartNow)
{
    Action action;
    int interval = settings.GetIntervalAt(now.GetHour() * 100 + now.GetMinute());
    int enabled = settings.IsAutoRoute() ? 1 : 0;
    if (interval == m_nCachedInterval && enabled == m_nCachedEnabled)
        return action;
    m_nCachedInterval = interval;
    m_nCachedEnabled = enabled;
    action.bChanged = TRUE;
    if (interval > 0 && enabled) {
        m_nPeriod = interval;
        m_nextPass = now.GetTime() + static_cast<int64_t>(interval) * 60;
        action.nPeriodMinutes = interval;
        action.bStartPassNow = bStartNow;
    } else {
        m_nPeriod = 0;
        m_nextPass = 0;
    }
    return action;
}

void CRouteSchedule::OnPassTimer(const CTime& now)
{
    if (m_nPeriod > 0)
        m_nextPass = now.GetTime() + static_cast<int64_t>(m_nPeriod) * 60;
}
