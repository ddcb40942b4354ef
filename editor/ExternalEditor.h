// CExternalEditor: the body edited in the user's own text or HTML editor. A
// worker thread runs the editor on a temporary file over the view's place
// and waits for it without limit, the body control disabled meanwhile; the
// text editor's file then comes back into the body, the HTML editor's end
// is posted to the editor thread, which loads the file into the HTML view.
#pragma once

#include "classlib/ClassLib.h"

class CExternalEditor
{
public:
    // "%s %s": the editor and the option text, in which "$FILE$" stands for
    // the quoted file; without "$FILE$" the quoted file is appended.
    static CString BuildCommandLine(const char* pszEditor, const char* pszOption, const char* pszFile);
    // A new temporary file name ("$Q$" prefix) with the extension given
    // (none: the system's own), in the folder given or the system's
    // temporary folder; empty when the folder cannot take one.
    static CString MakeTempFileName(const char* pszExtension, const char* pszFolder = nullptr);
    // Starts the worker for the body control; false when nothing started
    // (the file could not be written: the mail stays as it is).
    static bool Start(HWND hBody, const RECT& rcScreen, const char* pszEditor, const char* pszOption,
                      const char* pszExtension);
    // The HTML editor on a file already written; nDoneMessage goes to the
    // thread when the editor has ended (wParam 0) or could not start (1).
    static bool StartHtml(HWND hBody, const RECT& rcScreen, const char* pszEditor, const char* pszOption,
                          const char* pszFile, DWORD dwThreadId, UINT nDoneMessage);
};
