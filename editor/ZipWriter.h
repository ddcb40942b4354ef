// CZipWriter: adds one file, stored without compression and optionally
// protected with the traditional ZIP password encryption, to a ZIP archive,
// creating the archive or extending it (an entry of the same name is
// replaced). Plain Win32 and the standard library only, so that the archiver
// library built for the tests can carry it too.
#pragma once

#include <windows.h>

#include <string>

class CZipWriter
{
public:
    // The entry is named by the file's name alone; a password of empty text
    // means no encryption. False when the file cannot be read, the archive
    // is not a ZIP archive or cannot be written, or the file is 4 GB or more.
    static bool AddFile(const std::string& archivePath, const std::string& filePath, const std::string& password);
};
