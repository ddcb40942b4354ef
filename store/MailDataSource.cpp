#include "store/MailDataSource.h"

#include "classlib/Mbcs.h"
#include "core/FileUtil.h"
#include "core/MiscUtil.h"
#include "message/DotStuffer.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

#include <shlobj.h>

#include <cstring>

namespace {

MailRebuilder g_rebuilder = &CMailDataSource::RebuildMail;

// A name cut to the descriptor's 259 bytes on a character boundary.
void CopyName(char (&field)[MAX_PATH], const CString& name)
{
    size_t len = static_cast<size_t>(name.GetLength()), n = 0;
    while (n < len) {
        size_t step = Mbcs::CharLength(name.GetString() + n, len - n);
        if (n + step > MAX_PATH - 1)
            break;
        n += step;
    }
    memcpy(field, name.GetString(), n);
    field[n] = '\0';
}

} // namespace

MailRebuilder SetMailRebuilder(MailRebuilder rebuilder)
{
    MailRebuilder old = g_rebuilder;
    g_rebuilder = rebuilder ? rebuilder : &CMailDataSource::RebuildMail;
    return old;
}

CMailDataSource::~CMailDataSource()
{
    for (int i = 0; i < m_entries.GetSize(); ++i)
        delete GetEntry(i);
    m_entries.RemoveAll();
}

void CMailDataSource::AddMail(CMailFolderStore* pStore, int nIndex, const char* pszPath, int nSize)
{
    m_entries.Add(new Entry{ pStore, nIndex, nSize < 0 ? 0 : nSize, GetFileNameFromPath(pszPath) });
}

CLIPFORMAT CMailDataSource::GetFileDescriptorFormat()
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("FileGroupDescriptor"));
}

CLIPFORMAT CMailDataSource::GetFileContentsFormat()
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("FileContents"));
}

BOOL CMailDataSource::RebuildMail(CMailFolderStore* pStore, int nIndex, std::string& text)
{
    text.clear();
    CMailListData* list = pStore ? pStore->GetMailList() : nullptr;
    CMailIndexRecord* record = list ? list->GetMailRecord(nIndex) : nullptr;
    if (!record) {
        SetLastError(ERROR_INVALID_INDEX);
        return FALSE;
    }
    CString stored;
    if (!pStore->ReadMailText(record, stored)) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    const std::string& entry = stored.Str();
    size_t start = entry.find("\r\n");
    start = start == std::string::npos ? entry.size() : start + 2;
    size_t end = entry.size();
    if (end - start >= 5 && entry.compare(end - 5, 5, "\r\n.\r\n") == 0)
        end -= 5;
    text = CDotStuffer::Undo(entry.substr(start, end - start));
    return TRUE;
}

BOOL CMailDataSource::OnRenderGlobalData(LPFORMATETC lpFormatEtc, HGLOBAL* phGlobal)
{
    if (lpFormatEtc->cfFormat == GetFileDescriptorFormat())
        return RenderDescriptor(phGlobal);
    if (lpFormatEtc->cfFormat == GetFileContentsFormat())
        return RenderContents(lpFormatEtc->lindex, phGlobal);
    return COleDataSource::OnRenderGlobalData(lpFormatEtc, phGlobal);
}

BOOL CMailDataSource::OnSetData(LPFORMATETC, LPSTGMEDIUM, BOOL)
{
    return FALSE;
}

BOOL CMailDataSource::RenderDescriptor(HGLOBAL* phGlobal)
{
    int count = m_entries.GetSize();
    SIZE_T size = sizeof(UINT) + sizeof(FILEDESCRIPTORA) * static_cast<SIZE_T>(count);
    HGLOBAL h = *phGlobal;
    if (h && GlobalSize(h) < size)
        return FALSE;
    if (!h)
        h = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size);
    if (!h)
        return FALSE;
    auto* group = static_cast<FILEGROUPDESCRIPTORA*>(GlobalLock(h));
    if (!group) {
        if (h != *phGlobal)
            GlobalFree(h);
        return FALSE;
    }
    memset(group, 0, size);
    group->cItems = static_cast<UINT>(count);
    for (int i = 0; i < count; ++i) {
        FILEDESCRIPTORA& d = group->fgd[i];
        d.dwFlags = FD_FILESIZE;
        d.nFileSizeLow = static_cast<DWORD>(GetEntry(i)->nSize);
        CopyName(d.cFileName, GetEntry(i)->strName);
    }
    GlobalUnlock(h);
    *phGlobal = h;
    return TRUE;
}

BOOL CMailDataSource::RenderContents(int nItem, HGLOBAL* phGlobal)
{
    if (nItem < 0 || nItem >= m_entries.GetSize())
        AfxThrowInvalidArgException();
    Entry* e = GetEntry(nItem);
    SIZE_T size = static_cast<SIZE_T>(e->nSize);
    HGLOBAL h = *phGlobal;
    if (h && GlobalSize(h) < size)
        size = GlobalSize(h);
    if (!h)
        h = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size ? size : 1);
    if (!h)
        return FALSE;
    std::string text;
    BOOL ok = g_rebuilder(e->pStore, e->nIndex, text);
    DWORD error = GetLastError();
    if (char* p = static_cast<char*>(GlobalLock(h))) {
        // Never more than the size the descriptor announced: the target sized its
        // reading by it, and the memory holds no more.
        memcpy(p, text.data(), text.size() < size ? text.size() : size);
        GlobalUnlock(h);
    }
    if (!ok)
        AfxMessageBox(FormatString("[%s]\r\n", GetSystemErrorText(error).GetString()), MB_OK | MB_ICONEXCLAMATION);
    *phGlobal = h;
    return TRUE;
}
