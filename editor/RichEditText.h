// The text of the editor's rich-edit fields as the program keeps texts:
// code page 932, lines ending CR LF.
#pragma once

#include "classlib/ClassLib.h"

// The whole text of a rich edit (its character count is no byte count, and
// it may hand back a lone CR for a line end).
CString GetRichEditText(HWND hEdit);
