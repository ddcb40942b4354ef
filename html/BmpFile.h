// BMP files of clipboard pictures.
#pragma once

#include "classlib/ClassLib.h"

// Writes the CF_DIB memory block as a BMP file: the 14-byte file header, the
// block's header (with its image size filled in), colour masks, colour table
// and pixels. False for a null handle, a block that is no DIB of sizes that
// fit it, or a failure to create or write the file.
bool WriteBmpFile(HGLOBAL hDib, const char* pszPath);
