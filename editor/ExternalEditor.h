// CExternalEditor: the body edited in the user's own text editor. A worker
// thread writes the body into a temporary file, runs the editor on it over
// the view's place, waits for it without limit, and puts the file's text
// back into the body; the body control is disabled meanwhile.
#pragma once

#include "classlib/ClassLib.h"

class CExternalEditor
{
public:
    // "%s %s": the editor and the option text, in which "$FILE$" stands for
    // the quoted file; without "$FILE$" the quoted file is appended.
    static CString BuildCommandLine(const char* pszEditor, const char* pszOption, const char* pszFile);
    // A new temporary file name ("$Q$" prefix) with the extension given
    // (none: the system's own), in the system's temporary folder.
    static CString MakeTempFileName(const char* pszExtension);
    // Starts the worker for the body control; false when nothing started
    // (the file could not be written: the mail stays as it is).
    static bool Start(HWND hBody, const RECT& rcScreen, const char* pszEditor, const char* pszOption,
                      const char* pszExtension);
};
