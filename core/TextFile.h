// Whole small text files (templates, signatures, header templates): read at
// once with a size limit, written at once.
#pragma once

#include "classlib/ClassLib.h"

// Reads the whole file into text. False (text empty) when the file cannot be
// opened or read, or is larger than nLimit bytes.
bool ReadTextFile(const char* pszPath, CString& text, ULONGLONG nLimit = 16 * 1024 * 1024);
// Creates or truncates the file and writes the text's bytes, nothing added.
bool WriteTextFile(const char* pszPath, const char* pszText);
