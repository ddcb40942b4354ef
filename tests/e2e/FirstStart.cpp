#include "e2e/FirstStart.h"

#include "e2e/E2eDriver.h"

namespace E2e {

bool MakeMailBoxByFirstStart(const CString& folder)
{
    const DWORD kTimeout = 60000;
    CProgramUnderTest first(folder);
    if (!first.Start("/INI \"/M:" + folder + "\\MailBox\""))
        return false;
    HWND main = first.WaitForMainWindow(kTimeout);
    if (!main) {
        first.Kill();
        return false;
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    return first.WaitForExit(kTimeout) == 0;
}

} // namespace E2e
