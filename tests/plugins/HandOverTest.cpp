// The hand-over block and the communication thread's reading of requests.
#include "core/AppMessages.h"
#include "core/PostedObjectTable.h"
#include "plugin/CommunicationThread.h"
#include "plugin/MapiRequestFile.h"
#include "plugin/SharedMemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(const std::string& s)
{
    return std::vector<BYTE>(s.begin(), s.end());
}

std::vector<BYTE> Request(WORD command, const std::string& text, DWORD statedLength)
{
    std::vector<BYTE> r;
    for (int i = 0; i < 2; ++i)
        r.push_back(static_cast<BYTE>(command >> (8 * i)));
    for (int i = 0; i < 4; ++i)
        r.push_back(static_cast<BYTE>(statedLength >> (8 * i)));
    for (char ch : text)
        r.push_back(static_cast<BYTE>(ch));
    return r;
}

std::vector<BYTE> Request(WORD command, const std::string& text)
{
    return Request(command, text, static_cast<DWORD>(text.size()));
}

// The block as any local process may write it: raw words at the start.
void Forge(DWORD used, const std::vector<BYTE>& body)
{
    HANDLE h = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "QD_MEMORY_MAP_DATA");
    ASSERT_NE(h, nullptr);
    BYTE* p = static_cast<BYTE*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(p, nullptr);
    std::memcpy(p, &used, 4);
    std::memcpy(p + 12, body.data(), body.size());
    UnmapViewOfFile(p);
    CloseHandle(h);
}

std::vector<std::string> TakeAll()
{
    std::vector<std::vector<BYTE>> requests;
    ReadSharedMemory(requests);
    std::vector<std::string> out;
    for (auto& r : requests)
        out.emplace_back(r.begin(), r.end());
    return out;
}

class HandOverBlockTest : public ::testing::Test
{
protected:
    HandOverBlockTest()
    {
        OpenSharedMemoryForReading();
        TakeAll();
    }
    ~HandOverBlockTest() override { CloseSharedMemory(); }
};

} // namespace

TEST_F(HandOverBlockTest, RequestsQueueInOrderAndAreTakenOnce)
{
    DWORD first = 0, second = 0;
    std::vector<BYTE> a = Bytes("first request"), b = Bytes("second");
    ASSERT_TRUE(WriteSharedMemory(static_cast<DWORD>(a.size()), a.data(), &first));
    ASSERT_TRUE(WriteSharedMemory(static_cast<DWORD>(b.size()), b.data(), &second));
    EXPECT_FALSE(WaitSharedMemoryTaken(0, first));
    EXPECT_EQ(TakeAll(), (std::vector<std::string>{ "first request", "second" }));
    EXPECT_TRUE(WaitSharedMemoryTaken(0, first));
    EXPECT_TRUE(WaitSharedMemoryTaken(0, second));
    EXPECT_TRUE(TakeAll().empty());
}

TEST_F(HandOverBlockTest, ARequestLargerThanTheBlockIsRefusedAndAFullQueueWaits)
{
    std::vector<BYTE> huge(kHandOverBlockSize, 'x');
    EXPECT_FALSE(WriteSharedMemory(static_cast<DWORD>(huge.size()), huge.data(), nullptr, 0));
    std::vector<BYTE> half(kHandOverBlockSize / 2, 'y');
    ASSERT_TRUE(WriteSharedMemory(static_cast<DWORD>(half.size()), half.data()));
    // The queue holds one half: a second waits, then gives up, and the first is kept.
    EXPECT_FALSE(WriteSharedMemory(static_cast<DWORD>(half.size()), half.data(), nullptr, 100));
    std::vector<std::string> taken = TakeAll();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].size(), half.size());
}

TEST_F(HandOverBlockTest, ForgedLengthsAreDroppedWithoutReadingPastTheBlock)
{
    std::vector<BYTE> ok = Bytes("kept");
    ASSERT_TRUE(WriteSharedMemory(static_cast<DWORD>(ok.size()), ok.data()));
    // A queued size beyond the block: nothing of it is trusted.
    Forge(0xFFFFFFF0, {});
    EXPECT_TRUE(TakeAll().empty());

    // A record whose length runs past the queued bytes ends the queue; the
    // records before it are kept.
    std::vector<BYTE> body;
    for (DWORD len : { 3u, 0x7FFFFFFFu }) {
        BYTE w[4];
        std::memcpy(w, &len, 4);
        body.insert(body.end(), w, w + 4);
        if (len == 3)
            body.insert(body.end(), { 'a', 'b', 'c' });
    }
    body.insert(body.end(), { 'z', 'z' });
    Forge(static_cast<DWORD>(body.size()), body);
    EXPECT_EQ(TakeAll(), (std::vector<std::string>{ "abc" }));

    // The block serves again afterwards.
    ASSERT_TRUE(WriteSharedMemory(static_cast<DWORD>(ok.size()), ok.data()));
    EXPECT_EQ(TakeAll(), (std::vector<std::string>{ "kept" }));
}

TEST(CommunicationThread, RequestsBecomeThreadMessagesWithTheirText)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread gets a queue
    CCommunicationThread thread(GetCurrentThreadId());
    struct Case
    {
        std::vector<BYTE> request;
        bool carried;
        UINT message;
        const char* text;
    } cases[] = {
        { Request(1, "mailto:a@b"), true, WM_QD_COMPOSE_TEXT, "mailto:a@b" },
        { Request(2, "Taro <t@x>"), true, WM_QD_ADDRESS_TEXT, "Taro <t@x>" },
        { Request(3, "abc"), true, WM_QD_MAIL_TEXT, "abc\r\n.\r\n" },
        { Request(4, "ignored"), false, 0, nullptr },
        { Request(1, "short", 1000), false, 0, nullptr },  // stated length past the request
        { Request(1, std::string("ab\0cd", 5)), true, WM_QD_COMPOSE_TEXT, "ab" },
        { std::vector<BYTE>{ 1, 0, 0 }, false, 0, nullptr },
    };
    for (Case& c : cases) {
        EXPECT_EQ(thread.CarryOutRequest(c.request), c.carried);
        if (!c.carried) {
            EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, 0x7FFF, PM_REMOVE));
            continue;
        }
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, 0x7FFF, PM_REMOVE));
        EXPECT_EQ(msg.message, c.message);
        // The message carries a token of the text, taken once.
        std::shared_ptr<std::string> text = CPostedObjectTable::Instance().Take<std::string>(msg.message, msg.lParam);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(*text, c.text);
        EXPECT_EQ(CPostedObjectTable::Instance().Take<std::string>(msg.message, msg.lParam), nullptr);
    }
}

TEST(CommunicationThread, TextsTheApplicationNeverTookGoWhenTheThreadEnds)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const size_t before = CPostedObjectTable::Instance().GetCount();
    {
        CCommunicationThread thread(GetCurrentThreadId());
        ASSERT_TRUE(thread.CarryOutRequest(Request(2, "Taro <t@x>")));
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, 0x7FFF, PM_REMOVE));
        EXPECT_EQ(CPostedObjectTable::Instance().GetCount(), before + 1);
    }
    EXPECT_EQ(CPostedObjectTable::Instance().GetCount(), before);
    EXPECT_EQ(CPostedObjectTable::Instance().Take<std::string>(msg.message, msg.lParam), nullptr);
}

TEST(CommunicationThread, AMailRequestOfSixStringsBecomesARequestTextWithoutFiles)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    CCommunicationThread thread(GetCurrentThreadId());
    // The archive's string format: one length byte below 255, else 255 and
    // a 16-bit length.
    auto text = [](const std::string& s) {
        std::vector<BYTE> out;
        if (s.size() < 255) {
            out.push_back(static_cast<BYTE>(s.size()));
        } else {
            out.push_back(255);
            out.push_back(static_cast<BYTE>(s.size() & 0xFF));
            out.push_back(static_cast<BYTE>(s.size() >> 8));
        }
        out.insert(out.end(), s.begin(), s.end());
        return out;
    };
    const std::string longBody(300, 'b');
    std::vector<BYTE> request = { 5, 0, 0, 0, 0, 0 };
    for (const std::string& s : { std::string("to@example.jp"), std::string("件名"), longBody,
                                  std::string("dropped"), std::string("cc@example.jp"), std::string("x") }) {
        std::vector<BYTE> b = text(s);
        request.insert(request.end(), b.begin(), b.end());
    }
    ASSERT_TRUE(thread.CarryOutRequest(request));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, 0x7FFF, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QD_MAPI_REQUEST));
    EXPECT_EQ(msg.wParam, kMapiRequestText);
    std::shared_ptr<std::string> handed = CPostedObjectTable::Instance().Take<std::string>(msg.message, msg.lParam);
    ASSERT_NE(handed, nullptr);
    MapiMailRequest mail;
    ASSERT_TRUE(ParseMapiRequest(*handed, mail));
    EXPECT_EQ(mail.to, "to@example.jp");
    EXPECT_EQ(mail.subject, "件名");
    EXPECT_EQ(mail.body, longBody);
    EXPECT_EQ(mail.cc, "cc@example.jp");
    EXPECT_TRUE(mail.attachments.empty());

    // A string running past the request drops it.
    request.resize(request.size() - 1);
    EXPECT_FALSE(thread.CarryOutRequest(request));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, 0x7FFF, PM_REMOVE));
}
