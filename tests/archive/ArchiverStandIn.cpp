// Stand-in for the archiver libraries of other makers, for the tests only:
// built twice, as ZIP32J.DLL and as UNLHA32.DLL, it understands the command
// forms the program sends ("Zip": -j, -q, -P password, archive, files;
// "Unlha": a, archive, files) and writes real archives with the program's own
// writers, so that Debian's unzip and lha can check them.
#include "editor/ArchiverCommand.h"
#include "editor/LhaWriter.h"
#include "editor/ZipWriter.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::string g_lastCommand;
bool g_rejectLongNames = false;

void Report(LPSTR output, DWORD size, const char* text)
{
    if (output && size > 0) {
        strncpy(output, text, size - 1);
        output[size - 1] = '\0';
    }
}

// An archive named without an extension gets the library's own one.
std::string WithDefaultExtension(const std::string& archive, const char* extension)
{
    size_t slash = archive.find_last_of("\\/");
    size_t dot = archive.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return archive + extension;
    return archive;
}

bool IsShortName(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find('.');
    std::string stem = name.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    return stem.size() <= 8 && extension.size() <= 3 && name.find(' ') == std::string::npos;
}

} // namespace

extern "C" {

__declspec(dllexport) int WINAPI Zip(HWND, LPCSTR command, LPSTR output, DWORD size)
{
    g_lastCommand = command ? command : "";
    CArchiverCommand parsed;
    if (!parsed.ParseZip(command)) {
        Report(output, size, "bad command");
        return 0x8001;
    }
    std::string archive = WithDefaultExtension(parsed.m_archive, ".zip");
    for (const std::string& file : parsed.m_files) {
        if (g_rejectLongNames && !IsShortName(file)) {
            Report(output, size, "name refused");
            return 0x8002;
        }
        if (!CZipWriter::AddFile(archive, file, parsed.m_bHasPassword ? parsed.m_password : std::string())) {
            Report(output, size, "write failed");
            return 0x8003;
        }
    }
    Report(output, size, "ok");
    return 0;
}

__declspec(dllexport) int WINAPI Unlha(HWND, LPCSTR command, LPSTR output, DWORD size)
{
    g_lastCommand = command ? command : "";
    CArchiverCommand parsed;
    if (!parsed.ParseLha(command) || parsed.m_command != "a") {
        Report(output, size, "bad command");
        return 0x8001;
    }
    std::string archive = WithDefaultExtension(parsed.m_archive, ".lzh");
    for (const std::string& file : parsed.m_files)
        if (!CLhaWriter::AddFile(archive, file)) {
            Report(output, size, "write failed");
            return 0x8003;
        }
    Report(output, size, "ok");
    return 0;
}

__declspec(dllexport) BOOL WINAPI UnlhaSetCursorMode(BOOL)
{
    return TRUE;
}

// For the tests: the last command line received, and a mode in which only
// 8.3 names are taken (as some library builds do).
__declspec(dllexport) const char* WINAPI StandInLastCommand()
{
    return g_lastCommand.c_str();
}

__declspec(dllexport) void WINAPI StandInRejectLongNames(BOOL reject)
{
    g_rejectLongNames = reject != FALSE;
}

} // extern "C"
