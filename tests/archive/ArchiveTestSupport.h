// The stand-in archiver libraries of the tests, loaded from the build folder.
#pragma once

#include "support/TestSupport.h"

#include <windows.h>

#include <string>

namespace ArchiveTest {

// The build tree is drive Z: under Wine.
inline std::string WinPathOf(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class CStandInLibraries
{
public:
    CStandInLibraries()
    {
        m_hZip = LoadLibraryA(WinPathOf(CVM_ARCHIVE_STANDIN_DIR "/ZIP32J.DLL").c_str());
        m_hLha = LoadLibraryA(WinPathOf(CVM_ARCHIVE_STANDIN_DIR "/UNLHA32.DLL").c_str());
    }
    CStandInLibraries(const CStandInLibraries&) = delete;
    CStandInLibraries& operator=(const CStandInLibraries&) = delete;
    ~CStandInLibraries()
    {
        if (m_hZip)
            FreeLibrary(m_hZip);
        if (m_hLha)
            FreeLibrary(m_hLha);
    }
    HMODULE Zip() const { return m_hZip; }
    HMODULE Lha() const { return m_hLha; }
    // The last command line the library was given.
    static std::string LastCommand(HMODULE h)
    {
        typedef const char*(WINAPI * Last)();
        Last last = reinterpret_cast<Last>(reinterpret_cast<void*>(GetProcAddress(h, "StandInLastCommand")));
        return last ? last() : "";
    }
    static void RejectLongNames(HMODULE h, bool reject)
    {
        typedef void(WINAPI * Reject)(BOOL);
        if (Reject f = reinterpret_cast<Reject>(reinterpret_cast<void*>(GetProcAddress(h, "StandInRejectLongNames"))))
            f(reject ? TRUE : FALSE);
    }

private:
    HMODULE m_hZip = nullptr;
    HMODULE m_hLha = nullptr;
};

} // namespace ArchiveTest
