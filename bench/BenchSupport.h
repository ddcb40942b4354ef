// What the benchmark programs share: an application object on a settings
// file and a mailbox of their own, a clock reading and the clean-up of a
// work folder.
#pragma once

#include "core/QuendalApp.h"

#include <chrono>

struct BenchApp : CQuendalApp
{
    explicit BenchApp(const CString& folder)
    {
        SetProfileFileMode(folder + "\\CVM.ini");
        m_strMailBoxPathOverride = folder;
        m_strMailBoxNameOverride = "MailBox";
        CreateDirectoryA(folder + "\\MailBox", nullptr);
    }
    ~BenchApp() override
    {
        CloseAllFolders();
        m_bFileMode = 0;
    }
};

inline double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

inline void RemoveTree(const CString& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(dir + "\\*", &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            CString name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            CString path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir);
}
