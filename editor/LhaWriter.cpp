#include "editor/LhaWriter.h"

#include "editor/ArchiveFileIo.h"
#include "editor/ArchiveOutputFile.h"

#include <vector>

using namespace ArchiveFileIo;

namespace {

uint32_t Get32(const std::string& d, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(d[at + i]);
    return v;
}

void Put32(std::string& d, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d += static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct Record
{
    size_t at, length;
    std::string name;
};

// The records of an archive of level-0 and level-1 headers (the kinds whose
// length is the size byte plus two plus the packed size).
bool ReadRecords(const std::string& d, std::vector<Record>& records)
{
    size_t at = 0;
    while (at < d.size()) {
        unsigned char headerSize = static_cast<unsigned char>(d[at]);
        if (headerSize == 0)
            return true;
        if (at + 22 > d.size())
            return false;
        unsigned char level = static_cast<unsigned char>(d[at + 20]);
        if (level > 1 || d.compare(at + 2, 2, "-l") != 0)
            return false;
        size_t nameLength = static_cast<unsigned char>(d[at + 21]);
        size_t length = static_cast<size_t>(headerSize) + 2 + Get32(d, at + 7);
        if (22 + nameLength > static_cast<size_t>(headerSize) + 2 || at + length > d.size())
            return false;
        records.push_back({at, length, d.substr(at + 22, nameLength)});
        at += length;
    }
    return true;
}

} // namespace

bool CLhaWriter::AddFile(const std::string& archivePath, const std::string& filePath)
{
    uint64_t size = 0;
    uint32_t dosTime = 0;
    if (!FileStatus(filePath, size, dosTime) || size >= 0xFFFFFFFFull)
        return false;
    uint16_t crc = 0;
    if (!ForEachBlock(filePath, [&](const char* p, size_t n) {
            crc = Crc16(crc, p, n);
            return true;
        }))
        return false;
    std::string name = FileNameOf(filePath);
    // A level-0 header holds its whole length in one byte.
    if (name.empty() || name.size() > 255 - 22)
        return false;

    std::string old;
    bool exists = false;
    std::vector<Record> records;
    if (!ReadArchive(archivePath, old, exists) || (exists && !ReadRecords(old, records)))
        return false;

    CArchiveOutputFile out(archivePath);
    if (!out.IsOpen())
        return false;
    for (const Record& r : records)
        if (r.name != name)
            out.Write(old.data() + r.at, r.length);
    old.clear();

    std::string header;
    header += static_cast<char>(22 + name.size());
    header += '\0';  // the checksum, below
    header += "-lh0-";
    Put32(header, static_cast<uint32_t>(size));
    Put32(header, static_cast<uint32_t>(size));
    Put32(header, dosTime);
    header += static_cast<char>(0x20);  // archive attribute
    header += '\0';                     // level 0
    header += static_cast<char>(name.size());
    header += name;
    header += static_cast<char>(crc & 0xFF);
    header += static_cast<char>(crc >> 8);
    unsigned char sum = 0;
    for (size_t i = 2; i < header.size(); ++i)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(header[i]));
    header[1] = static_cast<char>(sum);
    out.Write(header.data(), header.size());
    uint64_t written = 0;
    if (!ForEachBlock(filePath, [&](const char* p, size_t n) {
            written += n;
            return out.Write(p, n);
        }) ||
        written != size)
        return false;
    char end = 0;
    out.Write(&end, 1);
    return out.Commit();
}
