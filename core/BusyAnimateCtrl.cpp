#include "core/BusyAnimateCtrl.h"

#include "core/FileUtil.h"

BOOL CBusyAnimateCtrl::OpenBusyAnimation(const char* pszUserFile)
{
    if (pszUserFile && *pszUserFile && FileExists(pszUserFile) && Open(pszUserFile))
        return TRUE;
    return Open(AfxGetResourceHandle(), IDR_BUSY_ANIMATION);
}
