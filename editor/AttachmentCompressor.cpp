#include "editor/AttachmentCompressor.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "editor/Archiver.h"
#include "editor/AttachListCtrl.h"

namespace {

const char* ExtensionOf(int nType)
{
    return nType == CArchiver::formatLha ? ".lzh" : ".zip";
}

bool IsFile(const char* pszPath)
{
    DWORD a = GetFileAttributesA(pszPath);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

CompressSettings CompressSettings::Load()
{
    CompressSettings s;
    if (CQuendalApp* app = QuendalApp()) {
        s.nType = app->GetProfileInt("CompressSetting", "CompressType", 0);
        s.bAllInOne = app->GetProfileInt("CompressSetting", "AllFileComp", 1) != 0;
        s.strName = app->GetProfileString("CompressSetting", "CompressFileName", "");
        s.bKeep = app->GetProfileInt("CompressSetting", "NotDeleteCompFile", 0) != 0;
        s.bSelectOnly = app->GetProfileInt("CompressSetting", "SelectOnly", 0) != 0;
    }
    return s;
}

void CompressSettings::Save() const
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    app->WriteProfileInt("CompressSetting", "CompressType", nType);
    app->WriteProfileInt("CompressSetting", "AllFileComp", bAllInOne ? 1 : 0);
    app->WriteProfileString("CompressSetting", "CompressFileName", strName);
    app->WriteProfileInt("CompressSetting", "NotDeleteCompFile", bKeep ? 1 : 0);
    app->WriteProfileInt("CompressSetting", "SelectOnly", bSelectOnly ? 1 : 0);
}

CString MakeFileArchivePath(const char* pszFilePath, const char* pszExtension)
{
    CString stem = RemoveFileExtension(pszFilePath);
    CString path = stem + pszExtension;
    while (IsFile(path)) {
        stem += "0";
        path = stem + pszExtension;
    }
    return path;
}

bool CAttachmentCompressor::IsMadeArchive(const char* pszPath) const
{
    for (const CreatedArchive& made : m_made)
        if (made.strPath.CompareNoCase(pszPath) == 0)
            return true;
    return false;
}

bool CAttachmentCompressor::IsCandidate(const CompressSettings& settings, int n) const
{
    return (!settings.bSelectOnly || m_list.IsSelected(n)) && !IsMadeArchive(m_list.GetPath(n));
}

CAttachmentCompressor::Result CAttachmentCompressor::Compress(const CompressSettings& settings, HWND hWnd,
                                                              const char* pszTempFolder, CStringArray& failed)
{
    // Without the library nothing is packed and nothing leaves the list.
    if (!m_archiver.IsAvailable(settings.nType))
        return noLibrary;
    Result result = settings.bAllInOne ? CompressIntoOne(settings, hWnd, pszTempFolder, failed)
                                       : CompressEach(settings, hWnd, failed);
    m_list.Sort();
    return result;
}

CAttachmentCompressor::Result CAttachmentCompressor::CompressIntoOne(const CompressSettings& settings, HWND hWnd,
                                                                     const char* pszTempFolder, CStringArray& failed)
{
    CString archive = CombinePath(pszTempFolder, settings.strName + ExtensionOf(settings.nType));
    if (IsMadeArchive(archive) && m_list.HasPath(archive))
        return duplicateName;
    DeleteFileA(archive);
    // The library puts its own extension on a name without one.
    CString named = RemoveFileExtension(archive);
    int packedCount = 0;
    for (int i = m_list.GetCount() - 1; i >= 0; --i) {
        if (!IsCandidate(settings, i))
            continue;
        CString path = m_list.GetPath(i);
        if (m_archiver.ArchiveFile(settings.nType, path, hWnd, named) != 0) {
            failed.Add(path);
            continue;
        }
        m_list.RemoveItem(i);
        ++packedCount;
    }
    if (packedCount == 0)
        return nothingPacked;
    m_list.AddFile(archive, 0);
    m_made.push_back({archive, !settings.bKeep});
    return packed;
}

CAttachmentCompressor::Result CAttachmentCompressor::CompressEach(const CompressSettings& settings, HWND hWnd,
                                                                  CStringArray& failed)
{
    int packedCount = 0;
    for (int i = 0; i < m_list.GetCount(); ++i) {
        if (!IsCandidate(settings, i))
            continue;
        CString path = m_list.GetPath(i);
        CString archive = MakeFileArchivePath(path, ExtensionOf(settings.nType));
        if (m_archiver.ArchiveFileWithPassword(nullptr, archive, hWnd, path, settings.nType) != 0) {
            failed.Add(path);
            continue;
        }
        m_list.SetPath(i, archive);
        m_made.push_back({archive, !settings.bKeep});
        ++packedCount;
    }
    return packedCount > 0 ? packed : nothingPacked;
}

void CAttachmentCompressor::Detach(const CStringArray& files)
{
    for (int i = 0; i < files.GetSize(); ++i)
        for (int n = m_list.GetCount() - 1; n >= 0; --n)
            if (m_list.GetPath(n).CompareNoCase(files[i]) == 0)
                m_list.RemoveItem(n);
}
