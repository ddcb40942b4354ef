// CRouteSchedule: when the next route pass runs. The main window asks it at
// start-up and every minute; it answers whether the pass timer must be
// stopped or set again (with which period) and whether a pass starts at
// once, and keeps the time the pass timer fires next.
#pragma once

#include "classlib/ClassLib.h"

class CRouteSetData;

class CRouteSchedule
{
public:
    struct Action
    {
        BOOL bChanged = FALSE;       // the pass timer is stopped (and set again when nPeriod > 0)
        int nPeriodMinutes = 0;      // the new period; 0: the timer stays stopped
        BOOL bStartPassNow = FALSE;  // start a pass now
    };

    // Re-evaluates the schedule at a local time. Nothing changes while the
    // interval in force and the automatic switch stay as they were; on a
    // change the timer is set again and, with bStartNow, a pass starts at
    // once (a new time band began, or the settings changed).
    Action Update(const CRouteSetData& settings, const CTime& now, BOOL bStartNow);
    // The pass timer fired at this time.
    void OnPassTimer(const CTime& now);
    // When the pass timer fires next; 0 when it is stopped.
    int64_t GetNextPassTime() const { return m_nextPass; }
    int GetPeriodMinutes() const { return m_nPeriod; }

private:
    int m_nCachedInterval = -2;  // nothing evaluated yet
    int m_nCachedEnabled = -1;
    int m_nPeriod = 0;
    int64_t m_nextPass = 0;
};
