// CAttachmentCompressor: the editor's compress command on its attachment
// list: all files (or the selected ones) into one archive in the temporary
// folder, or each file into an archive of its own beside it. A file that
// cannot be packed stays as it is and is reported; nothing is dropped.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CArchiver;
class CAttachListCtrl;

// Section "CompressSetting".
struct CompressSettings
{
    int nType = 0;          // 0 ZIP, 1 LHA
    bool bAllInOne = true;  // one archive for all files
    CString strName;        // the single archive's name, without extension
    bool bKeep = false;     // the archives are not deleted after sending
    bool bSelectOnly = false;

    static CompressSettings Load();
    void Save() const;
};

struct CreatedArchive
{
    CString strPath;
    bool bDeleteAfterSending;
};

// The archive of one file: its path with the extension replaced, "0" added
// to the name while a file of that name exists.
CString MakeFileArchivePath(const char* pszFilePath, const char* pszExtension);

class CAttachmentCompressor
{
public:
    enum Result { packed, nothingPacked, duplicateName, noLibrary };

    CAttachmentCompressor(const CArchiver& archiver, CAttachListCtrl& list, std::vector<CreatedArchive>& made)
        : m_archiver(archiver), m_list(list), m_made(made)
    {
    }

    // The files that could not be packed are added to failed.
    Result Compress(const CompressSettings& settings, HWND hWnd, const char* pszTempFolder, CStringArray& failed);
    // Takes the files off the list (the user chose not to send them
    // unpacked); the files themselves stay.
    void Detach(const CStringArray& files);

private:
    bool IsMadeArchive(const char* pszPath) const;
    bool IsCandidate(const CompressSettings& settings, int n) const;
    Result CompressIntoOne(const CompressSettings& settings, HWND hWnd, const char* pszTempFolder,
                           CStringArray& failed);
    Result CompressEach(const CompressSettings& settings, HWND hWnd, CStringArray& failed);

    const CArchiver& m_archiver;
    CAttachListCtrl& m_list;
    std::vector<CreatedArchive>& m_made;
};
