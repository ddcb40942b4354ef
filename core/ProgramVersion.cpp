#include "core/ProgramVersion.h"

#include "core/QuendalApp.h"

CString ProgramVersionText()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || (!pApp->m_wVersion[0] && !pApp->m_wVersion[1] && !pApp->m_wVersion[2] && !pApp->m_wVersion[3]))
        return "Corvane Mail";
    return FormatString("Corvane Mail Version %u.%u.%u.%u", pApp->m_wVersion[0], pApp->m_wVersion[1],
                        pApp->m_wVersion[2], pApp->m_wVersion[3]);
}
