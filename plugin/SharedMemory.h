// The hand-over block "QD_MEMORY_MAP_DATA": a named, paging-file backed
// mapping holding a 32-bit length and that many request bytes. A second start
// of the program (or a UI thread) writes it and then asks the communication
// thread of the running program to read it.
#pragma once

#include <windows.h>

#include <vector>

// Writes the request; false when the block cannot be made or is too small.
// The mapping handle stays open in this process so that the block outlives
// the writer's call.
bool WriteSharedMemory(DWORD dwLength, const BYTE* pData);
// Copies the stored request and marks the block as taken (length 0); false
// when there is no block or nothing in it.
bool ReadSharedMemory(std::vector<BYTE>& data);
// Waits until the reader has taken the request, at most dwTimeout ms.
bool WaitSharedMemoryTaken(DWORD dwTimeout);
