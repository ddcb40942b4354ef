// Shared helpers of the test programs.
#pragma once

#include "classlib/ClassLib.h"

#include <string>
#include <vector>

namespace TestSupport {

// Message boxes are recorded (text and type) and answered with the next
// queued answer, or IDOK.
void InstallMessageBoxRecorder();
std::vector<std::string>& RecordedMessages();
void QueueMessageBoxAnswer(int answer);
void ClearMessages();

// A fresh, empty folder under the Windows temporary folder, removed with
// everything in it when the object goes.
class TempDir
{
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const CString& Path() const { return m_path; }
    // Path of a file inside the folder.
    CString File(const char* name) const { return m_path + "\\" + name; }

private:
    CString m_path;
};

std::string ReadFileBytes(const char* path);
void WriteFileBytes(const char* path, const std::string& bytes);
bool FileExists(const char* path);
// Removes a folder tree.
void RemoveTree(const char* path);
// The folder holding the test sources (fixtures), as a Windows path.
CString TestDataDir();

} // namespace TestSupport
