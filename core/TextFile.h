// Whole small text files (templates, signatures, header templates): read and
// written at once.
#pragma once

#include "classlib/ClassLib.h"

// Reads the whole file into text (the class layer's whole-file read, with its
// one size limit). False (text empty) when the file cannot be read.
bool ReadTextFile(const char* pszPath, CString& text);
// Creates or truncates the file and writes the text's bytes, nothing added.
bool WriteTextFile(const char* pszPath, const char* pszText);
// The same for bytes that may hold zeros (a mail as it came from the server).
bool WriteFileData(const char* pszPath, const char* pData, size_t nSize);
