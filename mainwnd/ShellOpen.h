// ShellOpen: the rules of opening a file with the shell.
#pragma once

#include "classlib/ClassLib.h"

namespace ShellOpen {

// Parameters as the worker hands them on: in double quotes, unless empty.
CString QuoteParameters(const char* pszParameters);
// Whether the program of an executable path is the word processor, whose
// documents open on the caller's thread.
bool IsWordProcessor(const char* pszExecutable);

} // namespace ShellOpen
