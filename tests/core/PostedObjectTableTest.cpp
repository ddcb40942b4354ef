// Objects handed from thread to thread by the token of a posted message.
#include "core/PostedObjectTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Request
{
    int nFolderId;
};

} // namespace

TEST(PostedObjectTable, ATokenGivesItsObjectOnceAndOnlyToItsMessageAndType)
{
    CPostedObjectTable table;
    const LPARAM text = table.Put(1399, std::make_shared<std::string>("mailto:a@example.jp"));
    const LPARAM request = table.Put(1497, std::make_shared<Request>(Request{7}));
    ASSERT_NE(text, 0);
    ASSERT_NE(text, request);
    std::string local = "not in the table";
    const struct
    {
        const char* what;
        UINT message;
        LPARAM token;
        bool asText;
        bool found;
    } cases[] = {
        { "zero", 1399, 0, true, false },
        { "a token never given out", 1399, text + request + 1000, true, false },
        { "an address", 1399, reinterpret_cast<LPARAM>(&local), true, false },
        { "the token with another message", 1400, text, true, false },
        { "the token as another type", 1399, text, false, false },
        { "the token with its message and type", 1399, text, true, true },
        { "the same token again", 1399, text, true, false },
        { "the other token with its own", 1497, request, false, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asText) {
            std::shared_ptr<std::string> taken = table.Take<std::string>(c.message, c.token);
            ASSERT_EQ(taken != nullptr, c.found);
            if (taken) {
                EXPECT_EQ(*taken, "mailto:a@example.jp");
            }
        } else {
            std::shared_ptr<Request> taken = table.Take<Request>(c.message, c.token);
            ASSERT_EQ(taken != nullptr, c.found);
            if (taken) {
                EXPECT_EQ(taken->nFolderId, 7);
            }
        }
    }
    EXPECT_EQ(table.GetCount(), 0u);
}

TEST(PostedObjectTable, ADroppedObjectGoesAndABorrowedOneStaysWithItsOwner)
{
    CPostedObjectTable table;
    auto owned = std::make_shared<std::string>("handed over");
    std::weak_ptr<std::string> watch = owned;
    const LPARAM token = table.Put(1401, std::move(owned));
    EXPECT_FALSE(watch.expired());
    table.Drop(token);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(table.Take<std::string>(1401, token), nullptr);
    table.Drop(token);  // twice: nothing

    // A dialog the sender keeps: the table never deletes it.
    std::string kept = "kept";
    const LPARAM borrowed = table.Put(1375, std::shared_ptr<std::string>(&kept, [](std::string*) {}));
    table.Drop(borrowed);
    EXPECT_EQ(kept, "kept");
    EXPECT_EQ(table.GetCount(), 0u);
}

namespace {

// A window that takes the Request of message 1344 and answers with its
// folder id after adding one to it.
LRESULT CALLBACK TakingWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == 1344) {
        std::shared_ptr<Request> request = CPostedObjectTable::Instance().Take<Request>(message, lParam);
        if (!request)
            return 0;
        return ++request->nFolderId;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

} // namespace

// The helpers leave nothing behind: a post that fails drops its object, and
// after a send the token is gone whether the window took it or not.
TEST(PostedObjectTable, PostsAndSendsLeaveNoTokenBehind)
{
    CPostedObjectTable& table = CPostedObjectTable::Instance();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TakingWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PostedObjectTableTestWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    const size_t before = table.GetCount();

    const struct
    {
        const char* what;
        UINT message;
        DWORD_PTR answer;
        int folderAfter;
    } sends[] = {
        { "taken by the window", 1344, 8, 8 },
        { "not this window's number", 1345, 0, 7 },
    };
    for (const auto& c : sends) {
        SCOPED_TRACE(c.what);
        auto request = std::make_shared<Request>(Request{7});
        DWORD_PTR answer = 99;
        EXPECT_TRUE(table.SendWithTimeout(window, c.message, 0, request, SMTO_NORMAL, 5000, &answer));
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(request->nFolderId, c.folderAfter);
        EXPECT_EQ(table.GetCount(), before);
    }
    DestroyWindow(window);
    EXPECT_FALSE(table.SendWithTimeout(window, 1344, 0, std::make_shared<Request>(Request{7}), SMTO_NORMAL, 5000,
                                       nullptr));
    EXPECT_FALSE(table.PostToWindow(window, 1402, 0, std::make_shared<Request>(Request{7})));
    EXPECT_EQ(table.GetCount(), before);

    // A thread that has ended: the post fails and the object goes. The
    // handle stays open so that the id is not given to another thread.
    DWORD ended = 0;
    HANDLE hThread = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, &ended);
    ASSERT_NE(hThread, nullptr);
    WaitForSingleObject(hThread, INFINITE);
    auto orphan = std::make_shared<std::string>("never delivered");
    std::weak_ptr<std::string> watch = orphan;
    EXPECT_FALSE(table.PostToThread(ended, 1389, 0, std::move(orphan)));
    CloseHandle(hThread);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(table.GetCount(), before);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}
