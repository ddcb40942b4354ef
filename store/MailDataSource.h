// CMailDataSource: mails dragged out of a mail list, offered to other
// programs as files through the shell's virtual-file formats
// "FileGroupDescriptor" (names and sizes) and "FileContents" (each mail
// complete, rendered when the target asks for it).
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/OleDataSource.h"

#include <string>

class CMailFolderStore;

class CMailDataSource : public COleDataSource
{
public:
    CMailDataSource() = default;

    // Appends one mail; the file name offered is the name part of pszPath,
    // nSize the file size announced (and the most rendered).
    void AddMail(CMailFolderStore* pStore, int nIndex, const char* pszPath, int nSize);
    int GetMailCount() const { return m_entries.GetSize(); }

    // The complete mail as a message file: the stored entry without its name
    // line and terminator, with doubled leading dots undone. False with the
    // last error set when the mail cannot be read.
    static BOOL RebuildMail(CMailFolderStore* pStore, int nIndex, std::string& text);

    static CLIPFORMAT GetFileDescriptorFormat();
    static CLIPFORMAT GetFileContentsFormat();

    BOOL OnRenderGlobalData(LPFORMATETC lpFormatEtc, HGLOBAL* phGlobal) override;
    BOOL OnSetData(LPFORMATETC lpFormatEtc, LPSTGMEDIUM lpStgMedium, BOOL bRelease) override;

protected:
    ~CMailDataSource() override;

private:
    struct Entry
    {
        CMailFolderStore* pStore;
        int nIndex;
        int nSize;
        CString strName;
    };
    BOOL RenderDescriptor(HGLOBAL* phGlobal);
    BOOL RenderContents(int nItem, HGLOBAL* phGlobal);
    Entry* GetEntry(int i) const { return static_cast<Entry*>(m_entries[i]); }

    CPtrArray m_entries;  // owned Entry*
};

// Replaces the rebuilding of a dragged mail (the folder store's own rebuild
// can take its place); returns the previous function.
typedef BOOL (*MailRebuilder)(CMailFolderStore* pStore, int nIndex, std::string& text);
MailRebuilder SetMailRebuilder(MailRebuilder rebuilder);
