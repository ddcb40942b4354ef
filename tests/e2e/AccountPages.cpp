#include "e2e/AccountPages.h"

#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"

#include <commctrl.h>
#include <prsht.h>

namespace E2e {

HWND WaitForWizardPage(HWND sheet, int controlId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor(timeoutMs, [&] {
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (page && GetDlgItem(page, controlId))
            found = page;
        return found != nullptr;
    });
    return found;
}

void WizardNext(HWND sheet)
{
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
}

bool SetPageField(HWND dialog, int id, const char* text)
{
    HWND edit = FindDescendant(dialog, "Edit", id);
    if (!edit)
        return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(GetParent(edit), WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    return true;
}

bool ClickPageButton(HWND dialog, int id)
{
    HWND button = FindDescendant(dialog, "Button", id);
    if (!button)
        return false;
    SendMessageA(button, BM_CLICK, 0, 0);
    return true;
}

HWND ShowAccountPage(HWND dialog, int controlId)
{
    HWND tab = FindDescendant(dialog, WC_TABCONTROLA);
    if (!tab)
        return nullptr;
    auto shown = [&]() -> HWND {
        for (HWND page = GetWindow(tab, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
            if (GetDlgItem(page, controlId) && IsWindowVisible(page))
                return page;
        return nullptr;
    };
    // The tab control moves one tab per arrow key and tells the dialog, which
    // takes the data of the page it leaves.
    int count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int moves = 0; moves <= 2 * count; ++moves) {
        if (HWND page = shown())
            return page;
        int current = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
        WPARAM key = moves < count && current < count - 1 ? VK_RIGHT : VK_LEFT;
        SendMessageA(tab, WM_KEYDOWN, key, 0);
        SendMessageA(tab, WM_KEYUP, key, 0xC0000001);
    }
    return shown();
}

} // namespace E2e
