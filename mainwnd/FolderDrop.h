// CFolderDrop: what a drop on a folder of the folder tree does, apart from
// the tree: which data a folder accepts, the drop effect, filing dropped
// mails and files, and moving a dragged folder in the folder list.
#pragma once

#include "classlib/ClassLib.h"
#include "mainwnd/MailObjectBlock.h"

#include <ole2.h>

#include <vector>

class CMailFolderStore;
class CQuendalApp;

class CFolderDrop
{
public:
    enum Source { sourceNone, sourceMails, sourceFolder, sourceFiles };

    // What the data object carries (mails first, then a folder, then files).
    static Source SourceOf(IDataObject* pData);
    // Whether the folder accepts the data: mails unless they come from a
    // list that shows this very folder; a folder unless the target is that
    // folder or lies below it; files always.
    static bool CanDropHere(CQuendalApp& app, int nTargetFolderId, IDataObject* pData);
    // The effect of a drop by the keys held: none when refused; a folder
    // always moves; files are always copied (a move would let the program
    // they come from delete them); mails are copied with Ctrl, else moved.
    static DWORD Effect(Source source, DWORD dwKeyState, bool bAccepted);

    static bool ReadMailObject(IDataObject* pData, MailObjectBlock::MailObject& object);
    static bool ReadFolderObject(IDataObject* pData, MailObjectBlock::FolderObject& object);
    static std::vector<CString> ReadFiles(IDataObject* pData);

    // Copies or moves the mails of the block into the folder; a moved mail
    // leaves its folder only after its copy was written. False when the
    // target cannot be written.
    static bool DropMails(CQuendalApp& app, const MailObjectBlock::MailObject& object, CMailFolderStore* pTarget,
                          DWORD dwEffect);
    // What a path dropped from the shell becomes: a folder goes through the
    // new-folder step, ".mbx" is an mbox file and ".qmd" a folder data file
    // (both split into their mails), ".eml" one mail; anything else is left.
    enum DroppedFile { droppedFolder, droppedMbox, droppedDataFile, droppedMail, droppedIgnored };
    static DroppedFile ClassifyDroppedFile(const char* pszPath, bool bDirectory);
    // Files the dropped mail, mbox and data files into the folder (folders
    // are the tree's to ask about and are passed over); returns how many
    // files were taken and adds the names of the others to pNotTaken.
    static int DropFiles(CMailFolderStore* pTarget, const std::vector<CString>& files,
                         std::vector<CString>* pNotTaken = nullptr);
    // Moves a folder with its sub-folders: 1 above the target, 2 below it,
    // 3 as its last sub-folder. System folders (kinds 1-8) do not move.
    static bool MoveFolder(CQuendalApp& app, int nFolderId, int nTargetId, int nChoice);
};
