// The watchdog against watched threads that behave in each of the ways it
// must tell apart: one that stops when asked, one that never answers, one
// busy in a store write past the deadline, one that let go of it, and one
// whose loop runs while its progress stands still.
#include "transfer/MailGetThreadManager.h"

#include "net/Pop3Session.h"
#include "transfer/ReceiveStatus.h"
#include "transfer/TransferMessages.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

constexpr int kPeriod = 200;  // the armed period T in ms

struct Watched
{
    CCriticalSection storeLock;
    CReceiveStatus status;
    CPop3Session session;  // only its abort flag is used
    CMailGetThreadManager* pWatchdog = nullptr;
    volatile bool bWritten = false;
    volatile bool bStop = false;
};

enum class Behaviour { StopsWhenAsked, NeverAnswers, BusyInStoreWrite, LetsGo, TouchesWithoutProgress, Progresses };

DWORD WINAPI WatchedProc(void* p)
{
    auto* pArgs = static_cast<std::pair<Watched*, Behaviour>*>(p);
    Watched& w = *pArgs->first;
    switch (pArgs->second) {
    case Behaviour::StopsWhenAsked:
        while (!w.session.IsAbort())
            Sleep(10);
        return 7;
    case Behaviour::NeverAnswers:
        break;
    case Behaviour::BusyInStoreWrite: {
        CSingleLock hold(&w.storeLock, TRUE);
        Sleep(4000);
        w.bWritten = true;
        break;
    }
    case Behaviour::LetsGo:
        Sleep(100);
        w.pWatchdog->Detach();
        break;
    case Behaviour::TouchesWithoutProgress:
    case Behaviour::Progresses:
        for (int n = 0; !w.bStop; n++) {
            PostThreadMessageA(w.pWatchdog->m_nThreadID, TM_WATCHDOG_TOUCH, 0, 0);
            if (pArgs->second == Behaviour::Progresses)
                w.status.SetProgress("受信中", 1, 1000, n);
            Sleep(50);
        }
        return 7;
    }
    while (!w.bStop)
        Sleep(50);
    return 7;
}

struct Outcome
{
    bool bAborted;
    bool bTerminated;
    DWORD dwExitCode;
    DWORD dwEndedAfterMs;
    int nEndReports;  // 1355 posted to this thread
};

Outcome Watch(Behaviour behaviour, Watched& w, DWORD dwGiveUpMs = 8000)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    auto* pWatchdog = new CMailGetThreadManager;
    w.pWatchdog = pWatchdog;
    EXPECT_TRUE(pWatchdog->CreateThread());
    std::pair<Watched*, Behaviour> args(&w, behaviour);
    DWORD id = 0;
    HANDLE hThread = CreateThread(nullptr, 0, WatchedProc, &args, CREATE_SUSPENDED, &id);
    pWatchdog->Watch(hThread, id, &w.storeLock, &w.status);
    pWatchdog->SetSession(&w.session);
    pWatchdog->SetMainThreadId(GetCurrentThreadId());
    DWORD dwStart = GetTickCount();
    pWatchdog->PostThreadMessage(TM_WATCHDOG_ARM, 0, kPeriod);
    ResumeThread(hThread);
    Outcome o{};
    o.dwEndedAfterMs = WaitForSingleObject(hThread, dwGiveUpMs) == WAIT_OBJECT_0 ? GetTickCount() - dwStart : 0;
    w.bStop = true;
    WaitForSingleObject(hThread, INFINITE);
    GetExitCodeThread(hThread, &o.dwExitCode);
    pWatchdog->PostThreadMessage(TM_QUIT, 0, 0);
    WaitForSingleObject(pWatchdog->m_hThread, INFINITE);
    o.bAborted = pWatchdog->HasAborted();
    o.bTerminated = pWatchdog->HasTerminated();
    delete pWatchdog;
    CloseHandle(hThread);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == TM_SESSION_END)
            o.nEndReports++;
    return o;
}

} // namespace

TEST(MailThreadManager, AsksFirstAndEndsOnlyWhatDoesNotStop)
{
    // With T = 200 ms: asked to abort after 2T + 2 s of silence, ended
    // after 3T + 2 s and a further T of waiting.
    const DWORD kAbortAt = 2 * kPeriod + 2000, kEndAt = 3 * kPeriod + 2000;
    struct Case
    {
        const char* name;
        Behaviour behaviour;
        bool bTerminated;
        DWORD dwEarliest, dwLatest;
    } const cases[] = {
        // Its progress stands still too: the tenth idle check comes first.
        {"stops when asked", Behaviour::StopsWhenAsked, false, 10 * kPeriod, kAbortAt + 2 * kPeriod + 500},
        {"never answers", Behaviour::NeverAnswers, true, kEndAt, kEndAt + 3 * kPeriod + 1000},
        // Never ended inside the store write, which runs to its end.
        {"busy in a store write", Behaviour::BusyInStoreWrite, true, 4000, 5500},
        // Loop alive, progress standing still: ten idle checks ask, eleven end.
        {"touches without progress", Behaviour::TouchesWithoutProgress, true, 11 * kPeriod, 13 * kPeriod + 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Watched w;
        Outcome o = Watch(c.behaviour, w);
        EXPECT_TRUE(o.bAborted);
        EXPECT_EQ(o.bTerminated, c.bTerminated);
        EXPECT_EQ(o.dwExitCode, c.bTerminated ? 0u : 7u);
        ASSERT_NE(o.dwEndedAfterMs, 0u) << "still running";
        EXPECT_GE(o.dwEndedAfterMs, c.dwEarliest);
        EXPECT_LE(o.dwEndedAfterMs, c.dwLatest);
        EXPECT_EQ(o.nEndReports, c.bTerminated ? 1 : 0);
        if (c.behaviour == Behaviour::BusyInStoreWrite) {
            EXPECT_TRUE(w.bWritten);
        }
    }
}

TEST(MailThreadManager, LeavesAloneAThreadThatLetGoOrMoves)
{
    for (Behaviour behaviour : {Behaviour::LetsGo, Behaviour::Progresses}) {
        Watched w;
        Outcome o = Watch(behaviour, w, 4 * kPeriod + 3500);
        EXPECT_EQ(o.dwEndedAfterMs, 0u);
        EXPECT_FALSE(o.bTerminated);
        EXPECT_EQ(o.dwExitCode, 7u);
        EXPECT_EQ(o.nEndReports, 0);
    }
}
