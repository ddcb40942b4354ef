#include "mainwnd/MailObjectBlock.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace MailObjectBlock {

namespace {

void Put(std::vector<BYTE>& out, size_t pos, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out[pos + i] = static_cast<BYTE>(v >> (8 * i));
}

uint32_t Get(const BYTE* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

std::mutex g_sourceLock;
std::map<uint32_t, void*> g_sources;
uint32_t g_nextSource = 1;

} // namespace

std::vector<BYTE> Build(uint32_t nSourceViewId, int nOperation, int nFolderId, std::vector<int> indices)
{
    if (indices.empty())
        return {};
    std::sort(indices.begin(), indices.end());
    std::vector<BYTE> out(12 + 8 * indices.size());
    Put(out, 0, nSourceViewId);
    Put(out, 4, static_cast<uint32_t>(nOperation));
    Put(out, 8, static_cast<uint32_t>(indices.size()));
    for (size_t i = 0; i < indices.size(); i++) {
        Put(out, 12 + 8 * i, static_cast<uint32_t>(nFolderId));
        Put(out, 16 + 8 * i, static_cast<uint32_t>(indices[i]));
    }
    return out;
}

std::vector<BYTE> Build(uint32_t nSourceViewId, int nOperation, const std::vector<MailRef>& mails)
{
    if (mails.empty())
        return {};
    std::vector<BYTE> out(12 + 8 * mails.size());
    Put(out, 0, nSourceViewId);
    Put(out, 4, static_cast<uint32_t>(nOperation));
    Put(out, 8, static_cast<uint32_t>(mails.size()));
    for (size_t i = 0; i < mails.size(); i++) {
        Put(out, 12 + 8 * i, static_cast<uint32_t>(mails[i].nFolderId));
        Put(out, 16 + 8 * i, static_cast<uint32_t>(mails[i].nIndex));
    }
    return out;
}

bool Parse(const BYTE* pData, size_t nSize, MailObject& object)
{
    if (!pData || nSize < 12)
        return false;
    uint32_t count = Get(pData + 8);
    if (count == 0 || count > (nSize - 12) / 8)
        return false;
    object.nSourceViewId = Get(pData);
    object.nOperation = static_cast<int>(Get(pData + 4));
    object.mails.clear();
    for (uint32_t i = 0; i < count; i++) {
        const BYTE* p = pData + 12 + 8 * i;
        object.mails.push_back({static_cast<int>(Get(p)), static_cast<int>(Get(p + 4))});
    }
    return true;
}

HGLOBAL ToGlobal(const std::vector<BYTE>& bytes)
{
    if (bytes.empty())
        return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, bytes.size());
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p) {
        GlobalFree(h);
        return nullptr;
    }
    memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

bool ParseGlobal(HGLOBAL hGlobal, MailObject& object)
{
    if (!hGlobal)
        return false;
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(hGlobal));
    if (!p)
        return false;
    bool ok = Parse(p, GlobalSize(hGlobal), object);
    GlobalUnlock(hGlobal);
    return ok;
}

CLIPFORMAT GetMailFormat()
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("CVMail Mail Object"));
}

CLIPFORMAT GetFolderFormat()
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("CVMail Folder Object"));
}

std::vector<BYTE> BuildFolder(const FolderObject& object)
{
    std::vector<BYTE> out(16);
    Put(out, 0, static_cast<uint32_t>(object.nFolderId));
    Put(out, 4, object.nSourceTreeId);
    Put(out, 8, static_cast<uint32_t>(object.nItemFolderId));
    Put(out, 12, static_cast<uint32_t>(object.nOperation));
    return out;
}

bool ParseFolder(const BYTE* pData, size_t nSize, FolderObject& object)
{
    if (!pData || nSize < 16)
        return false;
    object.nFolderId = static_cast<int>(Get(pData));
    object.nSourceTreeId = Get(pData + 4);
    object.nItemFolderId = static_cast<int>(Get(pData + 8));
    object.nOperation = static_cast<int>(Get(pData + 12));
    return true;
}

uint32_t RegisterSource(void* pSource)
{
    std::lock_guard<std::mutex> lock(g_sourceLock);
    uint32_t id = g_nextSource++;
    if (g_nextSource == 0)
        g_nextSource = 1;
    g_sources[id] = pSource;
    return id;
}

void UnregisterSource(uint32_t nId)
{
    std::lock_guard<std::mutex> lock(g_sourceLock);
    g_sources.erase(nId);
}

void* FindSource(uint32_t nId)
{
    std::lock_guard<std::mutex> lock(g_sourceLock);
    auto it = g_sources.find(nId);
    return it == g_sources.end() ? nullptr : it->second;
}

} // namespace MailObjectBlock
