// When the route timer (45) is re-armed: the schedule is checked every
// minute, and only a change of the interval or of the enabled state touches
// the timer; a change within a running program also starts a pass at once.
#pragma once

struct RouteTimerState
{
    int nLastInterval = -1;  // minutes
    bool bLastEnabled = false;
};

struct RouteTimerAction
{
    bool bReset = false;       // kill timer 45 (and start it again when nPeriodMs > 0)
    unsigned nPeriodMs = 0;    // the new period, 0 for none
    bool bStartPass = false;   // post the route-pass command now
};

RouteTimerAction DecideRouteTimer(RouteTimerState& state, int nInterval, bool bEnabled, bool bStartNow);
