// Shared by the plug-in tests: the modules built from TestPlugIn.c, copied
// into a folder of the test's own.
#pragma once

#include "support/TestSupport.h"

#include <windows.h>

#include <string>

namespace PlugInTest {

inline CString ModulePath(const char* kind)
{
    CString path = CString("Z:") + CVM_PLUGIN_MODULES + "/" + kind + "PlugIn.dll";
    path.Replace('/', '\\');
    return path;
}

inline CString CopyModule(const CString& folder, const char* kind)
{
    CString target = folder + "\\" + kind + "PlugIn.dll";
    CopyFileA(ModulePath(kind), target, FALSE);
    return target;
}

template <typename T> T Export(HMODULE h, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, name)));
}

inline std::string EventLog(HMODULE h)
{
    auto get = Export<const char* (*)()>(h, "GetEventLog");
    return get ? get() : "<no log>";
}

} // namespace PlugInTest
