#include "mainwnd/FolderDrop.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/MailFileImport.h"
#include "mainwnd/MailTransfer.h"
#include "mainwnd/QListView.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MboxImporter.h"

#include <shellapi.h>

#include <cstring>


namespace {

bool HasFormat(IDataObject* pData, CLIPFORMAT cf)
{
    FORMATETC format = {cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return pData && pData->QueryGetData(&format) == S_OK;
}

bool IsSystemKind(int nKind)
{
    return nKind >= 1 && nKind <= 8;
}

} // namespace

CFolderDrop::Source CFolderDrop::SourceOf(IDataObject* pData)
{
    if (HasFormat(pData, MailObjectBlock::GetMailFormat()))
        return sourceMails;
    if (HasFormat(pData, MailObjectBlock::GetFolderFormat()))
        return sourceFolder;
    if (HasFormat(pData, CF_HDROP))
        return sourceFiles;
    return sourceNone;
}

bool CFolderDrop::ReadMailObject(IDataObject* pData, MailObjectBlock::MailObject& object)
{
    FORMATETC format = {MailObjectBlock::GetMailFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (!pData || FAILED(pData->GetData(&format, &medium)))
        return false;
    bool ok = MailObjectBlock::ParseGlobal(medium.hGlobal, object);
    ReleaseStgMedium(&medium);
    return ok;
}

bool CFolderDrop::ReadFolderObject(IDataObject* pData, MailObjectBlock::FolderObject& object)
{
    FORMATETC format = {MailObjectBlock::GetFolderFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (!pData || FAILED(pData->GetData(&format, &medium)))
        return false;
    bool ok = false;
    if (const BYTE* p = static_cast<const BYTE*>(GlobalLock(medium.hGlobal))) {
        ok = MailObjectBlock::ParseFolder(p, GlobalSize(medium.hGlobal), object);
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return ok;
}

std::vector<CString> CFolderDrop::ReadFiles(IDataObject* pData)
{
    std::vector<CString> files;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (!pData || FAILED(pData->GetData(&format, &medium)))
        return files;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; i++) {
        UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string name(length + 1, '\0');
        DragQueryFileA(drop, i, &name[0], length + 1);
        name.resize(length);
        files.push_back(CString(name.c_str()));
    }
    ReleaseStgMedium(&medium);
    return files;
}

bool CFolderDrop::CanDropHere(CQuendalApp& app, int nTargetFolderId, IDataObject* pData)
{
    switch (SourceOf(pData)) {
    case sourceMails: {
        MailObjectBlock::MailObject object;
        if (!ReadMailObject(pData, object))
            return false;
        // The id resolves only to a list of this process that still exists.
        void* source = MailObjectBlock::FindSource(object.nSourceViewId);
        if (source && static_cast<CQListView*>(source)->GetFolderId() == nTargetFolderId)
            return false;
        return true;
    }
    case sourceFolder: {
        MailObjectBlock::FolderObject object;
        if (!ReadFolderObject(pData, object))
            return false;
        for (CMailFolderStore* s = app.FindFolder(nTargetFolderId); s; s = app.FindFolder(s->GetParentId())) {
            if (s->GetFolderId() == object.nFolderId)
                return false;
            if (s->GetParentId() == s->GetFolderId())
                break;
        }
        return true;
    }
    case sourceFiles: return true;
    default: return false;
    }
}

DWORD CFolderDrop::Effect(Source source, DWORD dwKeyState, bool bAccepted)
{
    if (!bAccepted || source == sourceNone)
        return DROPEFFECT_NONE;
    if (source == sourceFolder)
        return DROPEFFECT_MOVE;
    if (source == sourceFiles)
        return DROPEFFECT_COPY;
    return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

bool CFolderDrop::DropMails(CQuendalApp& app, const MailObjectBlock::MailObject& object, CMailFolderStore* pTarget,
                            DWORD dwEffect)
{
    if (!CMailTransfer::CanWriteFolder(pTarget))
        return false;
    bool move = (dwEffect & DROPEFFECT_MOVE) != 0;
    CMailTransfer::Result result = CMailTransfer::CopyMails(app, object.mails, pTarget, move);
    if (move) {
        for (const MailObjectBlock::MailRef& ref : result.done) {
            CMailFolderStore* source = app.FindFolder(ref.nFolderId);
            if (source && source->IsIndexLoaded())
                source->GetMailListNoLoad()->RemoveDeletedRecords();
        }
    }
    return true;
}

CFolderDrop::DroppedFile CFolderDrop::ClassifyDroppedFile(const char* pszPath, bool bDirectory)
{
    if (bDirectory)
        return droppedFolder;
    const char* dot = std::strrchr(pszPath, '.');
    const char* slash = std::strrchr(pszPath, '\\');
    if (!dot || (slash && dot < slash))
        return droppedIgnored;
    if (_stricmp(dot, ".mbx") == 0)
        return droppedMbox;
    if (_stricmp(dot, ".qmd") == 0)
        return droppedDataFile;
    if (_stricmp(dot, ".eml") == 0)
        return droppedMail;
    return droppedIgnored;
}

int CFolderDrop::DropFiles(CMailFolderStore* pTarget, const std::vector<CString>& files,
                           std::vector<CString>* pNotTaken)
{
    if (!CMailTransfer::CanWriteFolder(pTarget))
        return 0;
    int taken = 0;
    for (const CString& file : files) {
        const DWORD attributes = ::GetFileAttributesA(file);
        const bool directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        BOOL done = FALSE;
        switch (ClassifyDroppedFile(file, directory)) {
        case droppedFolder:
            continue;
        case droppedMbox:
            done = CMboxImporter::ImportFile(nullptr, nullptr, file, FALSE, pTarget, 0);
            break;
        case droppedDataFile:
            done = CMboxImporter::ImportFile("\r\n.\r\n", nullptr, file, FALSE, pTarget, 0);
            break;
        case droppedMail:
            // Filed in the store's own form, so a line of dots in a file cannot end its mail early.
            done = MailFileImport::AddMailFile(*pTarget, file, FALSE);
            break;
        case droppedIgnored:
            break;
        }
        if (done)
            taken++;
        else if (pNotTaken)
            pNotTaken->push_back(file);
    }
    return taken;
}

bool CFolderDrop::MoveFolder(CQuendalApp& app, int nFolderId, int nTargetId, int nChoice)
{
    CMailFolderStore* folder = app.FindFolder(nFolderId);
    CMailFolderStore* target = app.FindFolder(nTargetId);
    if (!folder || !target || nChoice < 1 || nChoice > 3 || IsSystemKind(folder->GetKind()))
        return false;
    for (CMailFolderStore* s = target; s; s = app.FindFolder(s->GetParentId())) {
        if (s == folder)
            return false;
        if (s->GetParentId() == s->GetFolderId())
            break;
    }
    CPtrArray block;
    app.CollectSubFolders(nFolderId, block);
    if (block.IsEmpty())
        return false;
    int newParent = nChoice == 3 ? nTargetId : target->GetParentId();

    // Take the folder and its sub-folders out of the list, then put them
    // back before the target, after the target's own sub-folders, or as the
    // last of the target's sub-folders (the same place in the list).
    std::vector<void*>& list = app.m_folderStores.Vector();
    int pos = -1;
    app.FindFolder(nFolderId, &pos);
    list.erase(list.begin() + pos, list.begin() + pos + block.GetSize());
    int targetPos = -1;
    app.FindFolder(nTargetId, &targetPos);
    int insertAt = targetPos;
    if (nChoice != 1) {
        CPtrArray targetBlock;
        app.CollectSubFolders(nTargetId, targetBlock);
        insertAt = targetPos + targetBlock.GetSize();
    }
    list.insert(list.begin() + insertAt, block.begin(), block.end());

    folder->GetFolderRecord().m_nParentId = newParent;
    // A user folder under the group of outgoing folders is of its own kind.
    // Parents come before their sub-folders: each takes its parent's new kind into account.
    for (int i = 0; i < block.GetSize(); i++) {
        CMailFolderStore* s = static_cast<CMailFolderStore*>(block[i]);
        if (IsSystemKind(s->GetKind()))
            continue;
        CMailFolderStore* parent = s->GetParentId() ? app.FindFolder(s->GetParentId()) : nullptr;
        int parentKind = parent ? parent->GetKind() : CFolderRecord::kindNormal;
        CFolderRecord& r = s->GetFolderRecord();
        if (parentKind == CFolderRecord::kindSent || parentKind == CFolderRecord::kindWriting ||
            parentKind == CFolderRecord::kindSend || parentKind == CFolderRecord::kindGroup ||
            parentKind == CFolderRecord::kindUserSub)
            r.m_nKind = CFolderRecord::kindUserSub;
        else
            r.m_nKind = CFolderRecord::kindNormal;
    }
    return app.SaveFolderList() != FALSE;
}
