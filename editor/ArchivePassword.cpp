#include "editor/ArchivePassword.h"

#include "core/PasswordScrambler.h"
#include "core/QuendalApp.h"
#include "editor/Archiver.h"
#include "editor/DlgInputZipPassword.h"
#include "resources/attach/AttachResource.h"

bool SettleArchivePassword(CWnd* pParent, const CArchiver& archiver, CString& password)
{
    password.Empty();
    CQuendalApp* app = QuendalApp();
    if (app && app->GetProfileInt("Setting", "CorvanePasswordMode", 0) == 1) {
        CPasswordScrambler scrambler;
        password = scrambler.Unscramble(app->GetProfileString("Setting", "CorvaneDefaultPassword", ""));
    } else {
        CDlgInputZipPassword dlg(pParent);
        if (dlg.DoModal() == IDOK)
            password = dlg.m_strPassword;
    }
    if (!password.IsEmpty() && !archiver.IsAvailable(CArchiver::formatZip)) {
        AfxMessageBox(IDS_ARCHIVER_MISSING, MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}
