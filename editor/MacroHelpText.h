// The list of macros shown beside the reply and forward headers and beside
// a template: each macro with what it becomes, laid out in columns by the
// blanks and tabs of the descriptions.
#pragma once

#include "classlib/ClassLib.h"

// bTemplate adds the macros only a template uses (Reply-To, the receiving
// address, the bodies, the header template and the header markers).
CString GetMacroHelpText(bool bTemplate);
