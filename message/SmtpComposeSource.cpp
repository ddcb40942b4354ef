#include "message/SmtpComposeSource.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <random>

int64_t CSmtpComposeSource::Now() { return static_cast<int64_t>(time(nullptr)); }

unsigned CSmtpComposeSource::Random()
{
    // One generator per thread, seeded from the platform's random source:
    // seeding from the clock made two sessions of the same second agree.
    thread_local std::mt19937 generator{std::random_device{}()};
    return static_cast<unsigned>(generator() & 0x7FFF);
}

CString CSmtpComposeSource::UniqueToken()
{
    // Random per program run, then a counter: unique within the run, and
    // across runs and machines as far as 64 random bits go.
    static const uint64_t runId = [] {
        std::random_device device;
        uint64_t value = (static_cast<uint64_t>(device()) << 32) ^ device();
        value ^= static_cast<uint64_t>(GetCurrentProcessId()) << 16;
        value ^= static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        return value;
    }();
    static std::atomic<unsigned> counter{0};
    return FormatString("%llx%x", static_cast<unsigned long long>(runId), ++counter);
}

