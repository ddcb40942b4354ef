// Debian's own archivers run from a test under Wine, which starts a Unix
// program when asked to create a process from its path. Arguments are
// quoted the Windows way (Wine splits them so), and paths are given as Unix
// paths.
#pragma once

#include "support/TestSupport.h"

#include <windows.h>

#include <cstdlib>

#include <string>
#include <vector>

namespace UnixTool {

inline std::string UnixPath(const char* windowsPath)
{
    typedef char*(CDECL * Converter)(LPCWSTR);
    static Converter convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_ACP, 0, windowsPath, -1, wide, MAX_PATH * 2);
    char* unixPath = convert ? convert(wide) : nullptr;
    std::string result = unixPath ? unixPath : "";
    if (unixPath)
        HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// One argument in the quoting Windows command lines use.
inline std::string QuoteArgument(const std::string& argument)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// One word for the Unix shell.
inline std::string ShellWord(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the program with the arguments; its exit code (-1 when it could not
// be started or did not end), what it wrote to its output and error streams
// in output. The program runs under a shell that writes its exit code into
// a file when it has ended: the handle Wine gives for a Unix process may be
// signalled before the program is done.
inline int Run(const std::vector<std::string>& arguments, std::string& output)
{
    output.clear();
    char folder[MAX_PATH] = {}, base[MAX_PATH] = {};
    GetTempPathA(sizeof(folder), folder);
    if (!GetTempFileNameA(folder, "cvu", 0, base))
        return -1;
    std::string outPath = std::string(base) + ".out", donePath = std::string(base) + ".done";
    std::string script = "exec >" + ShellWord(UnixPath(base) + ".out") + " 2>&1;";
    for (const std::string& a : arguments)
        script += " " + ShellWord(a);
    script += "; echo $? >" + ShellWord(UnixPath(base) + ".tmp") + "; mv " + ShellWord(UnixPath(base) + ".tmp") +
              " " + ShellWord(UnixPath(base) + ".done");
    std::string command = QuoteArgument("/bin/sh") + " " + QuoteArgument("-c") + " " + QuoteArgument(script);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    int result = -1;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        for (int i = 0; i < 3000 && GetFileAttributesA(donePath.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(20);
        std::string code = TestSupport::ReadFileBytes(donePath.c_str());
        if (!code.empty())
            result = atoi(code.c_str());
        output = TestSupport::ReadFileBytes(outPath.c_str());
    }
    DeleteFileA(outPath.c_str());
    DeleteFileA(donePath.c_str());
    DeleteFileA(base);
    return result;
}

// Makes link a symbolic link to the folder target. Wine shows a Unix link
// to a folder as a folder with a reparse point and resolves names through
// it, as Windows does a junction (Wine itself makes no junctions).
inline bool LinkFolder(const char* link, const char* target)
{
    std::string output;
    return Run({"/bin/ln", "-s", UnixPath(target), UnixPath(link)}, output) == 0;
}

// Removes such a link (Wine removes none: it takes the link for its folder).
inline bool RemoveLink(const char* link)
{
    std::string output;
    return Run({"/bin/rm", "-f", UnixPath(link)}, output) == 0;
}

// The bytes of one entry of a ZIP archive as unzip extracts it with the
// password (empty: none); false when unzip fails.
inline bool UnzipEntry(const char* archive, const std::string& password, const char* entry, std::string& bytes)
{
    std::vector<std::string> args = {"/usr/bin/unzip", "-p"};
    if (!password.empty()) {
        args.push_back("-P");
        args.push_back(password);
    }
    args.push_back(UnixPath(archive));
    args.push_back(entry);
    return Run(args, bytes) == 0;
}

// unzip's test of every entry with the password.
inline bool UnzipTest(const char* archive, const std::string& password, std::string& output)
{
    std::vector<std::string> args = {"/usr/bin/unzip", "-t"};
    args.push_back("-P");
    args.push_back(password.empty() ? "-" : password);
    args.push_back(UnixPath(archive));
    return Run(args, output) == 0;
}

inline bool LhaEntry(const char* archive, const char* entry, std::string& bytes)
{
    return Run({"/usr/bin/lha", "pq", UnixPath(archive), entry}, bytes) == 0;
}

} // namespace UnixTool
