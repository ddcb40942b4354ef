// CLhaWriter: adds one file, stored as it is ("-lh0-", level-0 header), to
// an LHA archive, creating the archive or extending it (an entry of the same
// name is replaced). LHA archives carry no password. Plain Win32 and the
// standard library only, like CZipWriter.
#pragma once

#include <windows.h>

#include <string>

class CLhaWriter
{
public:
    static bool AddFile(const std::string& archivePath, const std::string& filePath);
};
