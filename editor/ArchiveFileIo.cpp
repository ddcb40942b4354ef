#include "editor/ArchiveFileIo.h"

#include <vector>

namespace ArchiveFileIo {

namespace {

bool IsLead(unsigned char c)
{
    return IsDBCSLeadByte(c) != FALSE;
}

const uint32_t* Crc32Table()
{
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        made = true;
    }
    return table;
}

} // namespace

std::string FileNameOf(const std::string& path)
{
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLead(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':')
            start = i + 1;
    }
    return path.substr(start);
}

bool ReadArchive(const std::string& path, std::string& data, bool& exists)
{
    data.clear();
    exists = false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    exists = true;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = data.empty() || (ReadFile(h, &data[0], static_cast<DWORD>(data.size()), &read, nullptr) &&
                              read == data.size());
    }
    CloseHandle(h);
    return ok;
}

bool FileStatus(const std::string& path, uint64_t& size, uint32_t& dosTime)
{
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa) ||
        (fa.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = (static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    FILETIME local = {};
    WORD date = 0x21, time = 0;  // 1980-01-01 for times the format cannot hold
    if (FileTimeToLocalFileTime(&fa.ftLastWriteTime, &local))
        FileTimeToDosDateTime(&local, &date, &time);
    dosTime = (static_cast<uint32_t>(date) << 16) | time;
    return true;
}

bool ForEachBlock(const std::string& path, const std::function<bool(const char*, size_t)>& f)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> block(1 << 20);
    bool ok = true;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(h, block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0)
            break;
        if (!f(block.data(), read)) {
            ok = false;
            break;
        }
    }
    CloseHandle(h);
    return ok;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t size)
{
    const uint32_t* table = Crc32Table();
    const unsigned char* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint16_t Crc16(uint16_t crc, const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

} // namespace ArchiveFileIo
