// The hand-over block "QD_MEMORY_MAP_DATA": a named, paging-file backed
// mapping through which a second start of the program, the program's own UI
// threads and the Simple MAPI library queue requests for the communication
// thread of the running program. Any local process can write the block, so
// every read and write is bounded by the block's real size, and a request
// that does not fit or whose lengths run past the block is dropped.
//
// Layout: a header of three 32-bit words (bytes queued, requests written,
// requests taken), then the queued requests, each a 32-bit length and that
// many bytes. A named mutex guards it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Bytes of one block, header included.
const DWORD kHandOverBlockSize = 256 * 1024;

// A request of a hand-over command that carries a text: the 16-bit
// command, the 32-bit length of the text and the text.
std::vector<BYTE> MakeHandOverRequest(WORD wCommand, const std::string& text);

// Queues one request; false when the block cannot be made or stays too
// full for dwTimeout ms. The block outlives the call: this process keeps a
// handle to it. pTicket (optional) receives the request's number for
// WaitSharedMemoryTaken.
bool WriteSharedMemory(DWORD dwLength, const BYTE* pData, DWORD* pTicket = nullptr, DWORD dwTimeout = 5000);
// Takes every queued request, oldest first; false when there is no block.
bool ReadSharedMemory(std::vector<std::vector<BYTE>>& requests);
// Waits until the reader has taken the request of that ticket (the last one
// this process wrote when 0), at most dwTimeout ms.
bool WaitSharedMemoryTaken(DWORD dwTimeout, DWORD dwTicket = 0);
// The reader keeps the block in being for the life of the program, so that
// requests outlive the processes that wrote them.
bool OpenSharedMemoryForReading();
void CloseSharedMemory();
