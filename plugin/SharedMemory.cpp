#include "plugin/SharedMemory.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

const char kBlockName[] = "QD_MEMORY_MAP_DATA";
const char kLockName[] = "QD_MEMORY_MAP_DATA_LOCK";
const DWORD kHeaderSize = 12;

struct Header
{
    DWORD dwUsed;
    DWORD dwWritten;
    DWORD dwTaken;
};

// This process's handle to the block: the block disappears when its last
// handle closes.
std::mutex g_holdLock;
HANDLE g_hHeld = nullptr;
std::atomic<DWORD> g_lastTicket{ 0 };

void HoldBlock(HANDLE h)
{
    std::lock_guard<std::mutex> hold(g_holdLock);
    if (g_hHeld) {
        CloseHandle(h);
        return;
    }
    g_hHeld = h;
}

// Bytes that a view of the mapping really holds (whole pages of the section).
SIZE_T ViewCapacity(const void* view)
{
    MEMORY_BASIC_INFORMATION mbi = {};
    return VirtualQuery(view, &mbi, sizeof(mbi)) ? mbi.RegionSize : 0;
}

class View
{
public:
    explicit View(HANDLE hMapping) : m_p(hMapping ? MapViewOfFile(hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0) : nullptr)
    {
        m_capacity = m_p ? ViewCapacity(m_p) : 0;
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    ~View()
    {
        if (m_p)
            UnmapViewOfFile(m_p);
    }
    bool IsUsable() const { return m_p && m_capacity >= kHeaderSize + 4; }
    volatile Header* Head() const { return static_cast<volatile Header*>(m_p); }
    BYTE* Body() const { return static_cast<BYTE*>(m_p) + kHeaderSize; }
    // Room for queued bytes after the header.
    DWORD BodySize() const
    {
        SIZE_T room = m_capacity - kHeaderSize;
        return room > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(room);
    }

private:
    void* m_p;
    SIZE_T m_capacity = 0;
};

// The named mutex, held for the life of the object.
class BlockLock
{
public:
    explicit BlockLock(DWORD dwTimeout) : m_h(CreateMutexA(nullptr, FALSE, kLockName))
    {
        if (m_h) {
            DWORD r = WaitForSingleObject(m_h, dwTimeout);
            m_bOwned = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
        }
    }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;
    ~BlockLock()
    {
        if (m_bOwned)
            ReleaseMutex(m_h);
        if (m_h)
            CloseHandle(m_h);
    }
    bool IsOwned() const { return m_bOwned; }

private:
    HANDLE m_h;
    bool m_bOwned = false;
};

HANDLE CreateBlock()
{
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHandOverBlockSize, kBlockName);
}

// The queued bytes as far as they can be trusted: a stated size beyond the
// block is a forged or broken block, and all of it is dropped.
DWORD TrustedUsed(const View& view)
{
    DWORD used = view.Head()->dwUsed;
    return used <= view.BodySize() ? used : 0;
}

enum class Append { done, full, failed };

Append TryAppend(DWORD dwLength, const BYTE* pData, DWORD* pTicket)
{
    BlockLock lock(2000);
    if (!lock.IsOwned())
        return Append::failed;
    HANDLE h = CreateBlock();
    if (!h)
        return Append::failed;
    Append result = Append::failed;
    {
        View view(h);
        if (view.IsUsable()) {
            DWORD used = TrustedUsed(view);
            if (static_cast<ULONGLONG>(used) + 4 + dwLength > view.BodySize()) {
                view.Head()->dwUsed = used;
                // A request that could never fit is refused at once.
                result = static_cast<ULONGLONG>(dwLength) + 4 > view.BodySize() ? Append::failed : Append::full;
            } else {
                std::memcpy(view.Body() + used, &dwLength, 4);
                std::memcpy(view.Body() + used + 4, pData, dwLength);
                DWORD ticket = view.Head()->dwWritten + 1;
                view.Head()->dwWritten = ticket;
                MemoryBarrier();
                view.Head()->dwUsed = used + 4 + dwLength;
                g_lastTicket = ticket;
                if (pTicket)
                    *pTicket = ticket;
                result = Append::done;
            }
        }
    }
    if (result == Append::done)
        HoldBlock(h);
    else
        CloseHandle(h);
    return result;
}

} // namespace

bool WriteSharedMemory(DWORD dwLength, const BYTE* pData, DWORD* pTicket, DWORD dwTimeout)
{
    if (!pData && dwLength)
        return false;
    DWORD start = GetTickCount();
    for (;;) {
        Append r = TryAppend(dwLength, pData, pTicket);
        if (r == Append::done)
            return true;
        // A full queue empties as the reader takes it.
        if (r == Append::failed || GetTickCount() - start >= dwTimeout)
            return false;
        Sleep(20);
    }
}

bool ReadSharedMemory(std::vector<std::vector<BYTE>>& requests)
{
    requests.clear();
    BlockLock lock(2000);
    if (!lock.IsOwned())
        return false;
    HANDLE h = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kBlockName);
    if (!h)
        return false;
    bool ok = false;
    {
        View view(h);
        if (view.IsUsable()) {
            ok = true;
            DWORD used = TrustedUsed(view);
            DWORD pos = 0;
            while (used - pos >= 4) {
                DWORD len;
                std::memcpy(&len, view.Body() + pos, 4);
                // A length that runs past the queued bytes ends the queue.
                if (len > used - pos - 4)
                    break;
                requests.emplace_back(view.Body() + pos + 4, view.Body() + pos + 4 + len);
                pos += 4 + len;
            }
            view.Head()->dwUsed = 0;
            view.Head()->dwTaken = view.Head()->dwWritten;
        }
    }
    CloseHandle(h);
    return ok;
}

bool WaitSharedMemoryTaken(DWORD dwTimeout, DWORD dwTicket)
{
    if (!dwTicket)
        dwTicket = g_lastTicket;
    if (!dwTicket)
        return true;
    DWORD start = GetTickCount();
    for (;;) {
        {
            HANDLE h = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kBlockName);
            if (!h)
                return false;
            View view(h);
            bool taken = view.IsUsable() && static_cast<int>(view.Head()->dwTaken - dwTicket) >= 0;
            CloseHandle(h);
            if (taken)
                return true;
        }
        if (GetTickCount() - start >= dwTimeout)
            return false;
        Sleep(20);
    }
}

bool OpenSharedMemoryForReading()
{
    HANDLE h = CreateBlock();
    if (!h)
        return false;
    HoldBlock(h);
    return true;
}

void CloseSharedMemory()
{
    std::lock_guard<std::mutex> hold(g_holdLock);
    if (g_hHeld) {
        CloseHandle(g_hHeld);
        g_hHeld = nullptr;
    }
}

std::vector<BYTE> MakeHandOverRequest(WORD wCommand, const std::string& text)
{
    std::vector<BYTE> bytes(6 + text.size());
    DWORD length = static_cast<DWORD>(text.size());
    std::memcpy(bytes.data(), &wCommand, 2);
    std::memcpy(bytes.data() + 2, &length, 4);
    if (!text.empty())
        std::memcpy(bytes.data() + 6, text.data(), text.size());
    return bytes;
}
