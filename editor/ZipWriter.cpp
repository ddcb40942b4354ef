#include "editor/ZipWriter.h"

#include "editor/ArchiveFileIo.h"
#include "editor/ArchiveOutputFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace ArchiveFileIo;

namespace {

const uint32_t kLocalSignature = 0x04034b50;
const uint32_t kCentralSignature = 0x02014b50;
const uint32_t kEndSignature = 0x06054b50;

uint16_t Get16(const std::string& d, size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(d[at]) | (static_cast<unsigned char>(d[at + 1]) << 8));
}

uint32_t Get32(const std::string& d, size_t at)
{
    return Get16(d, at) | (static_cast<uint32_t>(Get16(d, at + 2)) << 16);
}

void Put16(std::string& d, uint16_t v)
{
    d += static_cast<char>(v & 0xFF);
    d += static_cast<char>(v >> 8);
}

void Put32(std::string& d, uint32_t v)
{
    Put16(d, static_cast<uint16_t>(v & 0xFFFF));
    Put16(d, static_cast<uint16_t>(v >> 16));
}

// The traditional ZIP password cipher.
class CZipCrypto
{
public:
    explicit CZipCrypto(const std::string& password)
    {
        for (char c : password)
            Update(static_cast<unsigned char>(c));
    }
    unsigned char Encrypt(unsigned char plain)
    {
        uint16_t t = static_cast<uint16_t>(m_k[2] | 2);
        unsigned char cipher = static_cast<unsigned char>(plain ^ static_cast<unsigned char>((t * (t ^ 1)) >> 8));
        Update(plain);
        return cipher;
    }

private:
    void Update(unsigned char c)
    {
        m_k[0] = CrcByte(m_k[0], c);
        m_k[1] = (m_k[1] + (m_k[0] & 0xFF)) * 134775813u + 1;
        m_k[2] = CrcByte(m_k[2], static_cast<unsigned char>(m_k[1] >> 24));
    }
    static uint32_t CrcByte(uint32_t crc, unsigned char c)
    {
        // One step of the CRC without its pre- and post-inversion.
        return ~Crc32(~crc, &c, 1);
    }
    uint32_t m_k[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

struct CentralEntry
{
    size_t centralAt;   // offset of the record in the old archive
    size_t centralLen;  // its length
    uint32_t localAt;
    std::string name;
};

// The central records of an archive; false when it is no ZIP archive.
bool ReadCentralDirectory(const std::string& d, std::vector<CentralEntry>& entries, uint32_t& centralStart)
{
    if (d.size() < 22)
        return false;
    size_t end = std::string::npos;
    size_t lowest = d.size() > 22 + 65535 ? d.size() - 22 - 65535 : 0;
    for (size_t at = d.size() - 22 + 1; at-- > lowest;) {
        if (Get32(d, at) == kEndSignature) {
            end = at;
            break;
        }
    }
    if (end == std::string::npos)
        return false;
    uint16_t count = Get16(d, end + 10);
    uint32_t size = Get32(d, end + 12);
    centralStart = Get32(d, end + 16);
    if (static_cast<uint64_t>(centralStart) + size > end)
        return false;
    size_t at = centralStart;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + 46 > end || Get32(d, at) != kCentralSignature)
            return false;
        size_t len = 46 + Get16(d, at + 28) + Get16(d, at + 30) + Get16(d, at + 32);
        if (at + len > end)
            return false;
        CentralEntry e;
        e.centralAt = at;
        e.centralLen = len;
        e.localAt = Get32(d, at + 42);
        e.name = d.substr(at + 46, Get16(d, at + 28));
        if (e.localAt >= centralStart)
            return false;
        entries.push_back(e);
        at += len;
    }
    return true;
}

} // namespace

bool CZipWriter::AddFile(const std::string& archivePath, const std::string& filePath, const std::string& password)
{
    uint64_t size = 0;
    uint32_t dosTime = 0;
    if (!FileStatus(filePath, size, dosTime))
        return false;
    bool encrypted = !password.empty();
    if (size + (encrypted ? 12 : 0) >= 0xFFFFFFFFull)
        return false;
    uint32_t crc = 0;
    if (!ForEachBlock(filePath, [&](const char* p, size_t n) {
            crc = Crc32(crc, p, n);
            return true;
        }))
        return false;

    std::string old;
    bool exists = false;
    if (!ReadArchive(archivePath, old, exists))
        return false;
    std::vector<CentralEntry> entries;
    uint32_t centralStart = 0;
    if (exists && !ReadCentralDirectory(old, entries, centralStart))
        return false;
    std::string name = FileNameOf(filePath);
    if (name.empty() || name.size() > 0xFFFF)
        return false;

    CArchiveOutputFile out(archivePath);
    if (!out.IsOpen())
        return false;
    // The entries kept, each its local record copied whole: from its header
    // up to the next record (the data descriptor, if any, goes with it).
    std::vector<CentralEntry> byPlace = entries;
    std::sort(byPlace.begin(), byPlace.end(),
              [](const CentralEntry& a, const CentralEntry& b) { return a.localAt < b.localAt; });
    std::string central;
    uint16_t count = 0;
    for (size_t i = 0; i < byPlace.size(); ++i) {
        const CentralEntry& e = byPlace[i];
        if (e.name == name)
            continue;
        uint32_t next = i + 1 < byPlace.size() ? byPlace[i + 1].localAt : centralStart;
        uint32_t newAt = static_cast<uint32_t>(out.Position());
        out.Write(old.data() + e.localAt, next - e.localAt);
        std::string record = old.substr(e.centralAt, e.centralLen);
        record[42] = static_cast<char>(newAt & 0xFF);
        record[43] = static_cast<char>((newAt >> 8) & 0xFF);
        record[44] = static_cast<char>((newAt >> 16) & 0xFF);
        record[45] = static_cast<char>((newAt >> 24) & 0xFF);
        central += record;
        ++count;
    }
    old.clear();

    uint64_t localAt = out.Position();
    uint32_t stored = static_cast<uint32_t>(size + (encrypted ? 12 : 0));
    uint16_t flags = encrypted ? 1 : 0;
    std::string header;
    Put32(header, kLocalSignature);
    Put16(header, 20);
    Put16(header, flags);
    Put16(header, 0);  // stored
    Put32(header, dosTime);
    Put32(header, crc);
    Put32(header, stored);
    Put32(header, static_cast<uint32_t>(size));
    Put16(header, static_cast<uint16_t>(name.size()));
    Put16(header, 0);
    header += name;
    out.Write(header.data(), header.size());

    uint64_t written = 0;
    if (encrypted) {
        CZipCrypto crypto(password);
        unsigned char head[12];
        LARGE_INTEGER counter = {};
        QueryPerformanceCounter(&counter);
        uint32_t seed = static_cast<uint32_t>(counter.QuadPart) ^ GetCurrentProcessId() ^ (crc << 7);
        for (int i = 0; i < 11; ++i) {
            seed = seed * 1103515245u + 12345u;
            head[i] = static_cast<unsigned char>(seed >> 16);
        }
        head[11] = static_cast<unsigned char>(crc >> 24);  // the check byte the reader tests
        for (unsigned char& c : head)
            c = crypto.Encrypt(c);
        out.Write(head, sizeof(head));
        std::vector<char> buffer;
        if (!ForEachBlock(filePath, [&](const char* p, size_t n) {
                buffer.resize(n);
                for (size_t i = 0; i < n; ++i)
                    buffer[i] = static_cast<char>(crypto.Encrypt(static_cast<unsigned char>(p[i])));
                written += n;
                return out.Write(buffer.data(), n);
            }))
            return false;
    } else if (!ForEachBlock(filePath, [&](const char* p, size_t n) {
                   written += n;
                   return out.Write(p, n);
               })) {
        return false;
    }
    // The file changed between the two reads: its CRC no longer holds.
    if (written != size || localAt > 0xFFFFFFFFull || count == 0xFFFF)
        return false;

    std::string record;
    Put32(record, kCentralSignature);
    Put16(record, 20);
    Put16(record, 20);
    Put16(record, flags);
    Put16(record, 0);
    Put32(record, dosTime);
    Put32(record, crc);
    Put32(record, stored);
    Put32(record, static_cast<uint32_t>(size));
    Put16(record, static_cast<uint16_t>(name.size()));
    Put16(record, 0);
    Put16(record, 0);
    Put16(record, 0);
    Put16(record, 0);
    Put32(record, FILE_ATTRIBUTE_ARCHIVE);
    Put32(record, static_cast<uint32_t>(localAt));
    record += name;
    central += record;
    ++count;

    uint64_t centralAt = out.Position();
    if (centralAt + central.size() > 0xFFFFFFFFull)
        return false;
    out.Write(central.data(), central.size());
    std::string end;
    Put32(end, kEndSignature);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, count);
    Put16(end, count);
    Put32(end, static_cast<uint32_t>(central.size()));
    Put32(end, static_cast<uint32_t>(centralAt));
    Put16(end, 0);
    out.Write(end.data(), end.size());
    return out.Commit();
}
