// MailObjectBlock: the block that names mails moved between the windows of
// the program under the clipboard format "CVMail Mail Object", and the
// block that names a dragged folder under "CVMail Folder Object".
//
// Every field is 32 bits, little-endian. Where the block once held object
// addresses and tree handles (which do not fit 32 bits on x64 and may be
// stale by the time a drop reads them), it holds ids the reader resolves:
// the id of the list that built the block, and the folder id of the
// dragged folder, whose tree item the folder store knows.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <vector>

namespace MailObjectBlock {

enum Operation { opDrag = 0, opCopy = 1, opCut = 2 };

struct MailRef
{
    int nFolderId;
    int nIndex;
    bool operator==(const MailRef& o) const { return nFolderId == o.nFolderId && nIndex == o.nIndex; }
};

struct MailObject
{
    uint32_t nSourceViewId = 0;
    int nOperation = opDrag;
    std::vector<MailRef> mails;
};

// The bytes of a block for the mails of one folder: the pairs sorted by
// mail index. Empty when there are no mails.
std::vector<BYTE> Build(uint32_t nSourceViewId, int nOperation, int nFolderId, std::vector<int> indices);
// The bytes of a block for mails of any folders, in the order given (the
// search result list). Empty when there are no mails.
std::vector<BYTE> Build(uint32_t nSourceViewId, int nOperation, const std::vector<MailRef>& mails);
// Reads a block; false when it is short, its count is 0 or does not match
// its size.
bool Parse(const BYTE* pData, size_t nSize, MailObject& object);

// A movable, shared global copy of bytes (null when memory runs out).
HGLOBAL ToGlobal(const std::vector<BYTE>& bytes);
// Reads a global block of the mail format.
bool ParseGlobal(HGLOBAL hGlobal, MailObject& object);

CLIPFORMAT GetMailFormat();
CLIPFORMAT GetFolderFormat();

struct FolderObject
{
    int nFolderId = 0;
    uint32_t nSourceTreeId = 0;
    int nItemFolderId = 0;
    int nOperation = opCut;
};
std::vector<BYTE> BuildFolder(const FolderObject& object);
bool ParseFolder(const BYTE* pData, size_t nSize, FolderObject& object);

// Ids of the lists that build blocks, so that a reader can tell whether it
// is the source without holding an address from the block.
uint32_t RegisterSource(void* pSource);
void UnregisterSource(uint32_t nId);
// The registered source, or null when it is gone.
void* FindSource(uint32_t nId);

} // namespace MailObjectBlock
