// When a shown mail becomes read, and the read-notification answer.
#include "viewer/ReadStatePolicy.h"

#include <gtest/gtest.h>

using Action = CReadStatePolicy::ShowAction;

TEST(ReadState, ShowingAMailDecidesByPreViewTime)
{
    const struct { bool read; int preview; bool scrollEnd; Action expected; UINT delay; } cases[] = {
        {false, 0, false, Action::MarkRead, 0},
        {false, 0, true, Action::None, 0},
        {false, 3, false, Action::StartTimer, 3000},
        {false, 3, true, Action::StartTimer, 3000},
        {false, -1, false, Action::MarkNoFlag, 0},
        {true, 0, false, Action::None, 0},
        {true, 3, false, Action::None, 0},
    };
    for (const auto& c : cases) {
        CReadStatePolicy p;
        EXPECT_EQ(p.OnShow(1, 0, c.read, c.preview, c.scrollEnd), c.expected) << c.read << " " << c.preview;
        EXPECT_EQ(p.GetDelayMs(), c.delay);
        EXPECT_EQ(p.IsTimerArmed(), c.expected == Action::StartTimer);
    }
}

TEST(ReadState, MovingOnBeforeTheDelayCancelsTheMark)
{
    CReadStatePolicy p;
    ASSERT_EQ(p.OnShow(1, 5, false, 3, false), Action::StartTimer);
    // The next mail is shown before the delay has passed; it is read already.
    EXPECT_EQ(p.OnShow(1, 6, true, 3, false), Action::None);
    EXPECT_FALSE(p.OnTimer());

    ASSERT_EQ(p.OnShow(1, 7, false, 3, false), Action::StartTimer);
    EXPECT_TRUE(p.OnTimer());
    EXPECT_FALSE(p.OnTimer());  // once

    ASSERT_EQ(p.OnShow(1, 8, false, 3, false), Action::StartTimer);
    p.Cancel();  // the pane was emptied
    EXPECT_FALSE(p.OnTimer());
}

TEST(ReadState, PendingReadNotificationHoldsTheMarkInTheBackground)
{
    const int pending = CReadStatePolicy::flagNotifyRequested;
    const int answered = pending | CReadStatePolicy::flagNotifyAnswered;
    const struct { bool notifyOn; int flags; bool front; bool pending, setRead, announce; } cases[] = {
        {false, pending, false, false, true, true},   // handling off: read like any other
        {true, 0, false, false, true, true},
        {true, answered, false, false, true, true},
        {true, pending, false, true, false, false},   // background: stays unread
        {true, pending, true, true, true, true},
    };
    for (const auto& c : cases) {
        CReadStatePolicy::MarkResult r = CReadStatePolicy::MarkRead(c.notifyOn, c.flags, c.front, true);
        EXPECT_EQ(r.bPending, c.pending);
        EXPECT_EQ(r.bSetRead, c.setRead);
        EXPECT_EQ(r.bAnnounce, c.announce);
    }
    // PreViewTime -1 announces without setting the flag.
    CReadStatePolicy::MarkResult r = CReadStatePolicy::MarkRead(false, 0, true, false);
    EXPECT_FALSE(r.bSetRead);
    EXPECT_TRUE(r.bAnnounce);
}

TEST(ReadState, AnswerToTheQuestionIsRecordedExceptLater)
{
    const int requested = 0x10 | 0x2;
    const struct { int answer; int flags; bool send; } cases[] = {
        {CReadStatePolicy::answerSend, requested | 0x20, true},
        {CReadStatePolicy::answerDoNotSend, requested | 0x20, false},
        {CReadStatePolicy::answerLater, requested, false},
    };
    for (const auto& c : cases) {
        bool send = !c.send;
        EXPECT_EQ(CReadStatePolicy::FlagsAfterAnswer(requested, c.answer, &send), c.flags) << c.answer;
        EXPECT_EQ(send, c.send);
        EXPECT_EQ(CReadStatePolicy::IsNotifyPending(c.flags), c.answer == CReadStatePolicy::answerLater);
    }
}
