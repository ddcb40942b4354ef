#include "core/HeldFile.h"

#include "core/FileUtil.h"

#include <algorithm>
#include <vector>

bool CHeldFile::Open(const char* pszPath)
{
    Close();
    // A link named itself is opened as the link, and refused below.
    m_file.Attach(CreateFileA(pszPath, GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!m_file.IsValid() || !GetFileInformationByHandle(m_file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        Close();
        return false;
    }
    return true;
}

CString CHeldFile::GetFinalPath() const
{
    return IsOpen() ? GetHandleFinalPath(m_file) : CString();
}

bool CHeldFile::ReadAll(std::string& bytes, size_t nLimit) const
{
    LARGE_INTEGER size = {}, start = {};
    if (!IsOpen() || !GetFileSizeEx(m_file, &size) || size.QuadPart < 0 ||
        static_cast<ULONGLONG>(size.QuadPart) > nLimit || !SetFilePointerEx(m_file, start, nullptr, FILE_BEGIN))
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!ReadFile(m_file, &bytes[done], want, &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return true;
}

bool CHeldFile::CopyTo(const char* pszNewPath) const
{
    LARGE_INTEGER start = {};
    if (!IsOpen() || !SetFilePointerEx(m_file, start, nullptr, FILE_BEGIN))
        return false;
    CHandle copy(CreateFileA(pszNewPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy.IsValid())
        return false;
    std::vector<char> buffer(64 * 1024);
    bool ok = true;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(m_file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (!WriteFile(copy, buffer.data(), got, &written, nullptr) || written != got) {
            ok = false;
            break;
        }
    }
    copy.Close();
    if (!ok)
        DeleteFileA(pszNewPath);
    return ok;
}

bool CHeldFile::Delete()
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return IsOpen() &&
           SetFileInformationByHandle(m_file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}
