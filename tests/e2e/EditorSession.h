// A program under test with its mailbox and one account of a test user, and
// the editor windows it opens: what the end-to-end tests of writing mail
// share.
#pragma once

#include "e2e/E2eDriver.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace E2e {

class CEditorSession
{
public:
    static const DWORD kStartTimeout = 60000;
    static const char kEditorClass[];

    explicit CEditorSession(const CString& folder) : m_program(folder) {}

    CProgramUnderTest& Program() { return m_program; }
    CString MailBox() const { return m_program.Folder() + "\\MailBox"; }
    // The settings file (with the extra lines) and an account of test user
    // n that sends through the test Postfix.
    bool Prepare(int nUser, const char* pszSettings = "");
    // Files a mail into the folder of that kind before the program starts.
    bool AddStoredMail(int nFolderKind, const std::string& raw, bool bRead = true);
    HWND Start(const char* pszExtra = "");
    // Ends the program (answering the question about open editors).
    void Close(HWND main);

    std::vector<HWND> Editors() const;
    bool WaitForEditorCount(size_t count, DWORD timeoutMs = 20000) const;
    // The form view of an editor frame.
    static HWND ViewOf(HWND frame) { return GetDlgItem(frame, 0xE900); }
    // Confirms the send information dialog.
    bool ConfirmSendInfo();
    // Every visible window of the program with its texts (for failures).
    std::string Windows() const;

    // The live mails of the folder of that kind, read from disk.
    std::vector<std::string> StoredMails(int nKind) const;
    // The main window's mail list showing the folder of that tree text,
    // once it lists that many rows; null on time-out.
    HWND ShowFolder(HWND main, const char* pszTreeText, int nRows);
    // Opens the selected row of the mail list as Enter does.
    static void OpenSelected(HWND list);
    // Shows a folder of one mail and opens that mail as Enter does; false
    // when the folder does not show it.
    bool OpenOnlyMail(HWND main, const char* pszTreeText);
    // After Prepare: a first start makes the mailbox, the mail is filed into
    // the inbox, the program starts again with the inbox shown and the mail
    // selected, and the main window gets the command. The one editor it
    // opened, or null; main is the main window (null when none came).
    HWND EditorForInboxMail(const std::string& raw, int nCommand, HWND& main);
    // After Prepare: the program started and a new mail's editor opened from
    // the main window; null when either did not come.
    HWND StartWithNewEditor(HWND& main);
    // Closes an editor, discarding its mail when asked; true once it is gone.
    bool DiscardEditor(HWND editor);
    // Discards every open editor, then ends the program (main may be null
    // when it never came).
    void DiscardAllAndClose(HWND main);
    // The editor in front with the focus in its body, as after a click
    // there; keys then go to it. False when it did not come so.
    static bool FocusBody(HWND editor);
    // The editor in front with the focus in one of its view's fields.
    static bool FocusField(HWND editor, int nId);
    // Presses a key with modifiers (VK_CONTROL, VK_MENU, VK_SHIFT) held.
    static void PressKey(std::initializer_list<BYTE> modifiers, BYTE key);
    // Whether the input method is open where the editor's thread has the
    // focus: 1 open, 0 closed, -1 no input context or no answer.
    static LRESULT InputMethodState(HWND editor);

    // The mails delivered into a Maildir, once there are that many (or on
    // time-out), each with CR LF line ends as the mail had on the wire.
    // Whether the test Postfix takes connections.
    static bool SmtpAnswers();
    static std::vector<std::string> WaitForDelivered(const CString& maildir, size_t count, DWORD timeoutMs = 30000);

private:
    CProgramUnderTest m_program;
};

// Closes the program as a user who waits for its transfers does, and
// confirms the question about an editor whose mail has gone while its thread
// is still ending; the program's exit code (-1 when it did not end).
int CloseAfterSending(CProgramUnderTest& program, HWND main);

} // namespace E2e
