// CPostedObjectTable: objects that one thread of the program hands to another
// with a posted or sent message. Any program on the desktop can post any
// number with any parameters to our threads and windows, so such a message
// never carries an address: the sender puts the object into this table and
// posts the token it gets back, and the receiver takes the object out with
// that token and the message it came with. A token is taken once; a token
// the table never gave out, one already taken, or one given out for another
// message or another type of object yields nothing.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>

class CPostedObjectTable
{
public:
    // The table of this process.
    static CPostedObjectTable& Instance();

    CPostedObjectTable() = default;
    CPostedObjectTable(const CPostedObjectTable&) = delete;
    CPostedObjectTable& operator=(const CPostedObjectTable&) = delete;

    // Keeps the object until it is taken or dropped; the token to post with
    // nMessage (never 0). An object the sender keeps owning is put with a
    // deleter that does nothing.
    template <class T>
    LPARAM Put(UINT nMessage, std::shared_ptr<T> object)
    {
        return PutEntry(nMessage, TypeKey<T>(), std::shared_ptr<void>(std::move(object)));
    }
    // The object put for this message under this token, now out of the
    // table; null when there is none.
    template <class T>
    std::shared_ptr<T> Take(UINT nMessage, LPARAM token)
    {
        return std::static_pointer_cast<T>(TakeEntry(nMessage, TypeKey<T>(), token));
    }
    // Drops the object of a token whose message was never delivered or never
    // served; nothing when it was taken.
    void Drop(LPARAM token);

    // Posts nMessage to the thread with the object's token; the object is
    // dropped when the post fails.
    template <class T>
    bool PostToThread(DWORD dwThreadId, UINT nMessage, WPARAM wParam, std::shared_ptr<T> object)
    {
        return PostTokenToThread(dwThreadId, nMessage, wParam, Put(nMessage, std::move(object)));
    }
    // The same to a window.
    template <class T>
    bool PostToWindow(HWND hWnd, UINT nMessage, WPARAM wParam, std::shared_ptr<T> object)
    {
        return PostTokenToWindow(hWnd, nMessage, wParam, Put(nMessage, std::move(object)));
    }
    // Sends nMessage to the window with the object's token and waits at most
    // dwTimeoutMs. The token goes when the call returns, so a message that
    // reaches the window after the wait finds nothing; a receiver that took
    // the object before keeps it alive. False when the send failed or timed
    // out.
    template <class T>
    bool SendWithTimeout(HWND hWnd, UINT nMessage, WPARAM wParam, std::shared_ptr<T> object, UINT fuFlags,
                         DWORD dwTimeoutMs, DWORD_PTR* pResult)
    {
        return SendToken(hWnd, nMessage, wParam, Put(nMessage, std::move(object)), fuFlags, dwTimeoutMs, pResult);
    }
    size_t GetCount() const;

private:
    struct Entry
    {
        UINT nMessage;
        const void* pType;
        std::shared_ptr<void> object;
    };

    // One address per type of object, without run-time type information.
    template <class T>
    static const void* TypeKey()
    {
        static const char key = 0;
        return &key;
    }
    LPARAM PutEntry(UINT nMessage, const void* pType, std::shared_ptr<void> object);
    bool PostTokenToThread(DWORD dwThreadId, UINT nMessage, WPARAM wParam, LPARAM token);
    bool PostTokenToWindow(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM token);
    bool SendToken(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM token, UINT fuFlags, DWORD dwTimeoutMs,
                   DWORD_PTR* pResult);
    std::shared_ptr<void> TakeEntry(UINT nMessage, const void* pType, LPARAM token);

    mutable std::mutex m_lock;
    std::map<LPARAM, Entry> m_entries;
    LPARAM m_nextToken = 0;
};
