#include "mainwnd/ColorLabelMenu.h"

#include "resources/mainwnd/MailCommandsResource.h"

#include <commdlg.h>

namespace ColorLabelMenu {

namespace {

struct Entry
{
    UINT nCommand;
    char chMnemonic;
    COLORREF color;
};

const Entry kEntries[18] = {
    { ID_MAIL_LABEL_AUTO, '0', 0 },
    { ID_MAIL_LABEL_FIRST + 0, '1', 0x7F0000 },  { ID_MAIL_LABEL_FIRST + 1, '2', 0x007F00 },
    { ID_MAIL_LABEL_FIRST + 2, '3', 0x7F7F00 },  { ID_MAIL_LABEL_FIRST + 3, '4', 0x00007F },
    { ID_MAIL_LABEL_FIRST + 4, '5', 0x7F007F },  { ID_MAIL_LABEL_FIRST + 5, '6', 0x007F7F },
    { ID_MAIL_LABEL_FIRST + 6, '7', 0x7F7F7F },  { ID_MAIL_LABEL_FIRST + 7, '8', 0x3F3F3F },
    { ID_MAIL_LABEL_FIRST + 8, '9', 0xFF0000 },  { ID_MAIL_LABEL_FIRST + 9, 'A', 0x00FF00 },
    { ID_MAIL_LABEL_FIRST + 10, 'B', 0xFFFF00 }, { ID_MAIL_LABEL_FIRST + 11, 'C', 0x0000FF },
    { ID_MAIL_LABEL_FIRST + 12, 'D', 0xFF00FF }, { ID_MAIL_LABEL_FIRST + 13, 'E', 0x00FFFF },
    { ID_MAIL_LABEL_FIRST + 14, 'F', 0xFFFFFF }, { ID_MAIL_LABEL_FIRST + 15, 'G', 0 },
    { ID_MAIL_LABEL_OTHER, 'H', 0 },
};

} // namespace

void Build(COwnerDrawMenu& menu, const CStringArray& names)
{
    for (int n = 0; n < 18; ++n) {
        CString name;
        if (n == 0)
            name = "自動";
        else if (n == 17)
            name = "その他";
        else if (n - 1 < names.GetSize())
            name = names[n - 1];
        CString text;
        text.Format("%s(&%c)", static_cast<const char*>(name), kEntries[n].chMnemonic);
        menu.AppendItem(MF_STRING, kEntries[n].nCommand, text, 0, kEntries[n].color, kEntries[n].chMnemonic);
    }
}

bool ChooseOtherColor(HWND hOwner, COLORREF crInitial, COLORREF& crChosen)
{
    // The dialog's own colours last as long as the program.
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = hOwner;
    cc.rgbResult = crInitial;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&cc))
        return false;
    crChosen = cc.rgbResult;
    return true;
}

} // namespace ColorLabelMenu
