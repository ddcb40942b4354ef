#include "core/SoundPlayer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A stand-in MCI device: records every command string with its time and
// answers "status" queries from a script.
struct FakeMci
{
    std::mutex lock;
    std::vector<std::string> commands;
    std::vector<DWORD> times;  // milliseconds of a steady clock
    bool openFails = false;
    long length = 300;
    long step = 100;  // position gained per poll; 0 never starts
    long position = 0;
};

FakeMci* g_mci = nullptr;

MCIERROR WINAPI FakeSend(LPCSTR command, LPSTR answer, UINT cch, HWND)
{
    std::lock_guard<std::mutex> hold(g_mci->lock);
    std::string c(command);
    g_mci->commands.push_back(c);
    // Wine's tick count is a value updated now and then, which under load
    // makes two readings look closer than the time between them.
    g_mci->times.push_back(static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::steady_clock::now().time_since_epoch())
                                                  .count()));
    if (c.rfind("open ", 0) == 0)
        return g_mci->openFails ? MCIERR_FILE_NOT_FOUND : 0;
    if (answer && cch) {
        long value = 0;
        if (c == "status sound length") {
            value = g_mci->length;
        } else if (c == "status sound position") {
            g_mci->position += g_mci->step;
            value = g_mci->position;
        }
        snprintf(answer, cch, "%ld", value);
    }
    return 0;
}

class SoundPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_mci = &mci;
        previous = CSoundPlayer::SetMciSendString(&FakeSend);
        TestSupport::ClearMessages();
    }
    void TearDown() override
    {
        CSoundPlayer::SetMciSendString(previous);
        g_mci = nullptr;
    }
    std::vector<std::string> Commands()
    {
        std::lock_guard<std::mutex> hold(mci.lock);
        return mci.commands;
    }
    size_t CountOf(const std::string& command)
    {
        size_t n = 0;
        for (const auto& c : Commands())
            n += c == command;
        return n;
    }

    FakeMci mci;
    CSoundPlayer::MciSendStringFn previous = nullptr;
};

const char kPath[] = "C:\\sounds\\newmail.wav";
const char kOpen[] = "open C:\\sounds\\newmail.wav alias sound";

} // namespace

TEST_F(SoundPlayerTest, PlaysToTheEndPollingEveryHundredMilliseconds)
{
    CSoundPlayer player(kPath, TRUE);
    ASSERT_TRUE(player.Play(TRUE));
    std::vector<std::string> expected = { kOpen, "status sound length", "play sound", "status sound position",
                                          "status sound position", "status sound position", "stop sound",
                                          "close sound" };
    EXPECT_EQ(Commands(), expected);
    std::lock_guard<std::mutex> hold(mci.lock);
    for (size_t i = 3; i < 6; ++i)
        EXPECT_GE(mci.times[i] - mci.times[i - 1], 80u) << "poll " << i;
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
}

TEST_F(SoundPlayerTest, NoFileNoWorker)
{
    CSoundPlayer player("", TRUE);
    EXPECT_FALSE(player.Play(TRUE));
    EXPECT_TRUE(Commands().empty());
}

TEST_F(SoundPlayerTest, FileThatCannotBeOpenedEndsSilently)
{
    mci.openFails = true;
    CSoundPlayer player(kPath, TRUE);
    EXPECT_TRUE(player.Play(TRUE));
    EXPECT_EQ(Commands(), std::vector<std::string>{ kOpen });
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
}

TEST_F(SoundPlayerTest, SoundThatNeverStartsIsReportedWhenAsked)
{
    mci.step = 0;
    for (int report : { 1, 0 }) {
        TestSupport::ClearMessages();
        {
            std::lock_guard<std::mutex> hold(mci.lock);
            mci.commands.clear();
        }
        CSoundPlayer player(kPath, report);
        DWORD start = GetTickCount();
        ASSERT_TRUE(player.Play(TRUE));
        DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(CountOf("status sound position"), 6u);
        EXPECT_GE(elapsed, 550u);
        EXPECT_EQ(Commands().back(), "close sound");
        const auto& messages = TestSupport::RecordedMessages();
        if (report) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], "指定されたファイルが再生できませんでした。");
        } else {
            EXPECT_TRUE(messages.empty());
        }
    }
}

TEST_F(SoundPlayerTest, StopFlagEndsPlayingAtTheNextPoll)
{
    mci.length = 1000000;
    volatile BYTE stop = 0;
    CSoundPlayer player(kPath, TRUE);
    player.SetStopFlag(&stop);
    ASSERT_TRUE(player.Play(FALSE));
    Sleep(250);
    stop = 1;
    Sleep(300);
    auto commands = Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[commands.size() - 2], "stop sound");
    EXPECT_EQ(commands.back(), "close sound");
}

TEST_F(SoundPlayerTest, PlayerDestroyedWhilePlayingLeavesNoWorkerBehind)
{
    mci.length = 1000000;
    auto player = std::make_unique<CSoundPlayer>(kPath, TRUE);
    ASSERT_TRUE(player->Play(FALSE));
    Sleep(150);
    player.reset();
    size_t after = Commands().size();
    EXPECT_EQ(Commands().back(), "close sound");
    Sleep(350);
    EXPECT_EQ(Commands().size(), after) << "a worker still polls after its player is gone";
}
