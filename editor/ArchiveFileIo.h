// The small file steps both archive writers share: whole reads of archives,
// chunked reads of the file being packed, its time as an MS-DOS stamp, and
// the two checksums of the formats.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace ArchiveFileIo {

// The name part of a path (after the last backslash or slash; double-byte
// characters kept whole).
std::string FileNameOf(const std::string& path);
// Reads a whole existing archive; an absent file is an empty archive.
bool ReadArchive(const std::string& path, std::string& data, bool& exists);
// Size and MS-DOS time (date high, time low) of a file; false when missing.
bool FileStatus(const std::string& path, uint64_t& size, uint32_t& dosTime);
// Calls back with each block of the file; false on a read error.
bool ForEachBlock(const std::string& path, const std::function<bool(const char*, size_t)>& f);
uint32_t Crc32(uint32_t crc, const void* data, size_t size);
uint16_t Crc16(uint16_t crc, const void* data, size_t size);

} // namespace ArchiveFileIo
