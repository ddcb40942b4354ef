// CHeldFile: an existing file held open from the moment it is checked, so
// that what is read, copied or deleted afterwards is the file that was
// checked, whatever its name leads to by then (another program may put a
// link or junction in place of a folder on its path). Others may read the
// file while it is held, but neither write, rename nor delete it.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/Handle.h"

#include <string>

class CHeldFile
{
public:
    CHeldFile() = default;
    CHeldFile(const CHeldFile&) = delete;
    CHeldFile& operator=(const CHeldFile&) = delete;

    // Opens the file for reading and deleting. False for a folder, for a
    // link or junction named itself, and for a file that cannot be opened.
    bool Open(const char* pszPath);
    bool IsOpen() const { return m_file.IsValid(); }
    // Where the file lies, as the file system resolved its name when it was
    // opened (links and junctions followed); empty when it cannot tell.
    CString GetFinalPath() const;
    // The whole file; false when it is larger than nLimit bytes or cannot
    // be read.
    bool ReadAll(std::string& bytes, size_t nLimit) const;
    // Writes the file's bytes to a new file; false when that name is taken
    // or the copy could not be written whole (nothing of it is left then).
    bool CopyTo(const char* pszNewPath) const;
    // The file goes when it is closed.
    bool Delete();
    void Close() { m_file.Close(); }

private:
    CHandle m_file;
};
