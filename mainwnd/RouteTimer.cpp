#include "mainwnd/RouteTimer.h"

RouteTimerAction DecideRouteTimer(RouteTimerState& state, int nInterval, bool bEnabled, bool bStartNow)
{
    RouteTimerAction action;
    if (nInterval == state.nLastInterval && bEnabled == state.bLastEnabled)
        return action;
    action.bReset = true;
    state.nLastInterval = nInterval;
    state.bLastEnabled = bEnabled;
    if (nInterval > 0 && bEnabled) {
        action.nPeriodMs = static_cast<unsigned>(nInterval) * 60000u;
        action.bStartPass = bStartNow;
    }
    return action;
}
