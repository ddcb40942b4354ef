// Program-wide helpers of the class layer: the application object, the
// resource module and message boxes captioned with the application's name.
#pragma once

#include <windows.h>

class CWinApp;

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInst);
// The caption of the program's message boxes ("Corvane Mail").
const char* AfxGetAppName();

// A message box owned by the active window, captioned with the application's name.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = -1);
// The same with a caption of its own (a confirmation that names its subject).
int AfxMessageBox(const char* pszText, const char* pszCaption, UINT nType);

// Tests replace the message box so that nothing waits for a user; the hook
// gets the text and type and returns the button the "user" pressed.
typedef int (*AfxMessageBoxHook)(const char* pszText, UINT nType);
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);
