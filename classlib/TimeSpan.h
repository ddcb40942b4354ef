// CTimeSpan: a signed 64-bit count of seconds.
#pragma once

#include <cstdint>

class CTimeSpan
{
public:
    CTimeSpan() = default;
    CTimeSpan(int64_t seconds) : m_span(seconds) {}
    CTimeSpan(long lDays, int nHours, int nMins, int nSecs)
        : m_span(((static_cast<int64_t>(lDays) * 24 + nHours) * 60 + nMins) * 60 + nSecs) {}

    int64_t GetDays() const { return m_span / 86400; }
    int64_t GetTotalHours() const { return m_span / 3600; }
    int64_t GetTotalMinutes() const { return m_span / 60; }
    int64_t GetTotalSeconds() const { return m_span; }
    int GetHours() const { return static_cast<int>(GetTotalHours() - GetDays() * 24); }
    int GetMinutes() const { return static_cast<int>(GetTotalMinutes() - GetTotalHours() * 60); }
    int GetSeconds() const { return static_cast<int>(m_span - GetTotalMinutes() * 60); }
    int64_t GetTimeSpan() const { return m_span; }

    CTimeSpan operator+(CTimeSpan o) const { return CTimeSpan(m_span + o.m_span); }
    CTimeSpan operator-(CTimeSpan o) const { return CTimeSpan(m_span - o.m_span); }
    CTimeSpan& operator+=(CTimeSpan o) { m_span += o.m_span; return *this; }
    CTimeSpan& operator-=(CTimeSpan o) { m_span -= o.m_span; return *this; }
    bool operator==(CTimeSpan o) const { return m_span == o.m_span; }
    bool operator!=(CTimeSpan o) const { return m_span != o.m_span; }
    bool operator<(CTimeSpan o) const { return m_span < o.m_span; }
    bool operator>(CTimeSpan o) const { return m_span > o.m_span; }
    bool operator<=(CTimeSpan o) const { return m_span <= o.m_span; }
    bool operator>=(CTimeSpan o) const { return m_span >= o.m_span; }

private:
    int64_t m_span = 0;
};
