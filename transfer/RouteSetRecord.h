// CRouteSetRecord: one line of "RouteSet.dat": the general record (type 1 or
// 0 at index 0), a time band (type 0 from index 1), an account taken into
// the route (type 9) or the end line (type 99, read only).
#pragma once

#include "core/DataStrgRecord.h"

class CRouteSetRecord : public CDataStrgRecord
{
public:
    enum { typeBand = 0, typeGeneralOn = 1, typeAccount = 9, typeEnd = 99 };

    int m_nType = 0;
    // General record: 1 default interval (minutes), 2 route at start-up,
    // 3-5 kept as stored, 6 hang-up mode (0 hang up, 1 keep, 2 ask), 7
    // seconds of the hang-up question. Time band: 1 interval (0 = no route),
    // 2/3 start hour/minute, 4/5 end hour/minute.
    int m_nValue[7] = { 0, 0, 0, 0, 0, 0, 10 };
    CString m_strAccount;

    int GetValue(int n) const { return n >= 1 && n <= 7 ? m_nValue[n - 1] : 0; }
    void SetValue(int n, int nValue)
    {
        if (n >= 1 && n <= 7)
            m_nValue[n - 1] = nValue;
    }
};
