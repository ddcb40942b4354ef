// Several address book windows (beside the main window, beside each editor,
// each on its own thread) edit the same group files and "Group.lst", each
// from the copy it read. Before a window writes one of these files, the
// file as it is now is merged with what the window read and what it wants
// to write, so that a line another window added or removed meanwhile is
// neither dropped nor brought back.
#pragma once

#include "core/QDDataStrgSet.h"

#include <string>

namespace AddressFileMerge {

// What makes two lines the same line; null compares whole lines.
using LineKey = std::string (*)(const std::string& line);

// A three-way merge of line-based texts (lines end with CR LF): the lines
// of mine, less the lines that were in base and are no longer in theirs,
// with the lines of theirs that were not in base added after the line they
// follow in theirs; a line mine left as base had it and theirs changed
// (same key, other text) takes theirs' text.
std::string MergeLines(const std::string& base, const std::string& mine, const std::string& theirs,
                       LineKey keyOf = nullptr);
// Lines of "Group.lst" are the same group when their ids are.
std::string GroupListKey(const std::string& line);

// Holds the address book's write lock, shared by every thread and process
// of the user, while it lives.
class CWriteLock
{
public:
    CWriteLock();
    CWriteLock(const CWriteLock&) = delete;
    CWriteLock& operator=(const CWriteLock&) = delete;
    ~CWriteLock();

private:
    HANDLE m_hMutex = nullptr;
};

// The file's bytes (empty when it does not exist), read under the lock:
// the base a later WriteMerged merges against.
std::string ReadBase(const char* pszPath);

// Why WriteMerged wrote nothing: the file is there but could not be read
// (it is left as it was), or the write failed; with the system's error code.
struct WriteFailure
{
    bool bUnreadable = false;
    DWORD nError = 0;
};

// Writes the table to its file merged with the file's present contents
// against base. On success base becomes the written text and the result
// tells whether it differs from the table (the window then reads the file
// again to show what others wrote); false when nothing was written, with
// the reason in pFailure.
bool WriteMerged(CQDDataStrgSet& set, std::string& base, bool& bChangedByOthers, LineKey keyOf = nullptr,
                 WriteFailure* pFailure = nullptr);
// What the user is told when a write failed: the file and the reason.
CString DescribeFailure(const char* pszPath, const WriteFailure& failure);

} // namespace AddressFileMerge
