// The end-to-end driver: starts CVMail.exe in a folder of its own and drives
// it the way a user (or another program) would: finds its windows by class,
// types into dialogs, presses buttons, answers message boxes, posts window
// and thread messages, and waits for the process to end.
#pragma once

#include "support/TestSupport.h"

#include <windows.h>

#include <string>
#include <vector>

namespace E2e {

// A Windows path of a Unix path (the build tree is drive Z: under Wine).
CString WinPath(const char* unixPath);

class CProgramUnderTest
{
public:
    // Copies the program and its picture into folder (which the caller owns).
    explicit CProgramUnderTest(const CString& folder);
    CProgramUnderTest(const CProgramUnderTest&) = delete;
    CProgramUnderTest& operator=(const CProgramUnderTest&) = delete;
    // Ends the process when it still runs.
    ~CProgramUnderTest();

    bool Start(const char* arguments);
    bool IsRunning() const;
    // Waits for the end; the exit code, or -1 on time-out.
    int WaitForExit(DWORD timeoutMs);
    void Kill();
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    const CString& Folder() const { return m_folder; }

    // A visible top-level window of this process with the class (and, when
    // given, a caption containing the text); null on time-out.
    HWND WaitForWindow(const char* className, const char* captionPart, DWORD timeoutMs) const;
    // A dialog of this process that holds a control with the given id.
    HWND WaitForDialogWithControl(int controlId, DWORD timeoutMs) const;
    // A message box of this process whose text contains textPart.
    HWND WaitForMessageBox(const char* textPart, DWORD timeoutMs) const;
    // A popup menu of this process that is showing.
    HWND WaitForPopupMenu(DWORD timeoutMs) const;
    // One look for the main window on the way through a start: confirms the
    // mailbox folder dialog of a first start (it offers the /M mailbox) and
    // cancels the account set-up wizard of a mailbox without accounts.
    HWND StepToMainWindow() const;
    // The main window, taking those steps until it shows; null on time-out.
    HWND WaitForMainWindow(DWORD timeoutMs) const;

private:
    CString m_folder;
    PROCESS_INFORMATION m_pi = {};
};

// Control helpers, each one message to a window of the program.
void SetControlText(HWND hDlg, int id, const char* text);
CString GetControlText(HWND hDlg, int id);
CString GetWindowTextOf(HWND hWnd);
// The texts of every control under a window, one after another.
std::string DescendantTexts(HWND hWnd);
// Closes the main window as a user who waits does: while a transfer runs,
// the program asks whether to end it; the answer is Cancel and the close is
// tried again, for at most about 40 seconds.
void CloseWhenTransfersEnd(const CProgramUnderTest& program, HWND main);
// Every visible top-level window of the process with its class, title and
// child texts, one a line (for failure messages).
std::string VisibleWindows(DWORD processId);
void PressButton(HWND hDlg, int id);
bool WaitUntil(DWORD timeoutMs, bool (*predicate)(void*), void* context);

} // namespace E2e
