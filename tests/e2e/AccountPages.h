// Driving the account set-up wizard and the account settings dialog from the
// test process, as a user clicks through their pages.
#pragma once

#include <windows.h>

namespace E2e {

// The wizard's page that holds the control, once the sheet shows it; null
// on time-out.
HWND WaitForWizardPage(HWND sheet, int controlId, DWORD timeoutMs = 20000);
// Presses the wizard's Next button.
void WizardNext(HWND sheet);

// Sets an edit control of a page, as typing would (the page hears the
// change).
bool SetPageField(HWND dialog, int id, const char* text);
// Clicks a check box or radio button of a page.
bool ClickPageButton(HWND dialog, int id);
// Brings the account dialog's page that holds the control to the front, as
// the arrow keys on its tabs do; the page, or null when no tab shows it.
HWND ShowAccountPage(HWND dialog, int controlId);

} // namespace E2e
