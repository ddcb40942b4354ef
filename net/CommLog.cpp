#include "net/CommLog.h"

#include <atomic>

namespace {
std::atomic<CommLogWriter> g_writer{nullptr};
}

CommLogWriter SetCommLogWriter(CommLogWriter writer)
{
    return g_writer.exchange(writer);
}

bool IsCommLogOn()
{
    return g_writer.load() != nullptr;
}

void WriteCommLog(const char* pszText)
{
    CommLogWriter writer = g_writer.load();
    if (writer && pszText)
        writer(pszText);
}
