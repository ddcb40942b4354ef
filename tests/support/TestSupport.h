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

// True when the test script started the test servers (CVM_REQUIRE_SERVERS=1):
// then a test whose server cannot be reached fails instead of skipping, so
// that a run with a missing server cannot pass.
bool ServersRequired();

} // namespace TestSupport

// In a test's SetUp: skips the test when its server is unreachable, or fails
// it when the servers are required.
#define CVM_NEED_SERVER(reachable, name)                                                   \
    do {                                                                                    \
        if (!(reachable)) {                                                                 \
            if (TestSupport::ServersRequired())                                             \
                FAIL() << "the private " << (name) << " cannot be reached";                 \
            GTEST_SKIP() << "the private " << (name) << " is not running";                  \
        }                                                                                   \
    } while (0)
