// Which command ids a window's menus, keys and toolbar bind, and whether the
// running program has a handler for each. The bindings are read from the
// program's own resources (menus, accelerator tables, the toolbar layout);
// the answer comes from the frame's command-state message, asked with
// whatever pane is active at the time.
#pragma once

#include "support/TestSupport.h"

#include <windows.h>

#include <vector>

namespace E2e {

struct CommandBinding
{
    UINT id;
    CString where;  // e.g. "menu 128 > 表示(&V) > ツールバー(&T)" or "keys 128 Ctrl+D"
};

// The resources of CVMail.exe, loaded as data; released with the object.
class CProgramResources
{
public:
    CProgramResources();
    CProgramResources(const CProgramResources&) = delete;
    CProgramResources& operator=(const CProgramResources&) = delete;
    ~CProgramResources();
    bool IsLoaded() const { return m_hModule != nullptr; }

    // Every command item of a menu resource and its sub-menus.
    std::vector<CommandBinding> MenuCommands(UINT nMenuId) const;
    // Every command of an accelerator table, with its key.
    std::vector<CommandBinding> KeyCommands(UINT nAccelId) const;
    // The buttons of a toolbar layout stored as 32-bit ids (-1 a separator)
    // in a "FILE" resource.
    std::vector<CommandBinding> ToolBarCommands(UINT nFileId) const;
    // A 16 x 16 icon of the program, as the program loads it (shared: not destroyed).
    HICON SmallIcon(UINT nIconId) const;

private:
    HMODULE m_hModule = nullptr;
};

// Fixed rows for what no resource holds (a menu built in code).
std::vector<CommandBinding> CommandRows(const char* where, std::initializer_list<UINT> ids);

// The frame's answer for one command: kCommandHandled and kCommandEnabled bits.
LRESULT QueryCommandState(HWND hFrame, UINT nID);

// One line ("33081 keys 128 Ctrl+Right: no handler (with the list active)")
// for every binding that the frame's routing does not handle now.
std::vector<CString> UnhandledCommands(HWND hFrame, const std::vector<CommandBinding>& bindings,
                                       const char* state);

} // namespace E2e
