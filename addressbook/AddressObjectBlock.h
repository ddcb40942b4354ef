// The clipboard block "CVMail Address Object": one address entry in 384
// bytes of shareable memory, three fields of 128 bytes (address, name,
// memo); a text shorter than its field ends with a zero byte, a text that
// fills it has none.
#pragma once

#include "addressbook/AddressData.h"

namespace AddressObjectBlock {

const size_t kFieldSize = 128;
const size_t kBlockSize = 3 * kFieldSize;

// The registered clipboard format.
UINT GetFormat();
// A new block for the entry (the caller owns it, or hands it to the
// clipboard); null when memory is short. A text longer than a field is cut
// on a character boundary so that the field keeps its terminating zero.
HGLOBAL Create(const CAddressData& entry);
// Reads a block; false when it is smaller than a block. Each field is read
// only up to its own end, whatever the block holds.
bool Read(HGLOBAL hBlock, CAddressData& entry);

} // namespace AddressObjectBlock
