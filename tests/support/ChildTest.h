// Tests that kill a program on purpose run the killing part in a child run
// of their own test program: the child test reads what it is to do from
// environment variables, the parent starts it and reads its exit code.
#pragma once

#include "classlib/ClassLib.h"

#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

// The value of an environment variable, empty when it is not set.
inline CString EnvVar(const char* pszName)
{
    char buf[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(pszName, buf, sizeof(buf));
    return n && n < sizeof(buf) ? CString(buf) : CString();
}

// Runs this test program with only the named test, the variables set for it
// (and cleared afterwards); its exit code, 0xFFFFFFFF when it could not be
// started.
inline DWORD RunChildTest(const char* pszTest, const std::vector<std::pair<const char*, CString>>& env,
                          DWORD dwTimeoutMs = 120000)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof(exe));
    for (const auto& var : env)
        SetEnvironmentVariableA(var.first, var.second);
    std::string line = FormatString("\"%s\" --gtest_filter=%s", exe, pszTest).Str();
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, dwTimeoutMs);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    for (const auto& var : env)
        SetEnvironmentVariableA(var.first, nullptr);
    return code;
}

} // namespace TestSupport
