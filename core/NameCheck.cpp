#include "core/NameCheck.h"

#include "classlib/Mbcs.h"
#include "resources/resource.h"
#include "resources/utils/UtilsResource.h"

#include <cstring>

namespace {

// "CON", "com1.txt" ...: the device names are reserved with any extension.
bool IsDeviceName(const char* pszName)
{
    static const char* const devices[] = { "CON", "PRN", "AUX", "NUL", "CLOCK$" };
    CString base(pszName);
    int dot = base.Find('.');
    if (dot >= 0)
        base = base.Left(dot);
    base.TrimRight();
    for (const char* d : devices)
        if (base.CompareNoCase(d) == 0)
            return true;
    if (base.GetLength() == 4 && base[3] >= '1' && base[3] <= '9') {
        CString stem = base.Left(3);
        if (stem.CompareNoCase("COM") == 0 || stem.CompareNoCase("LPT") == 0)
            return true;
    }
    return false;
}

} // namespace

UINT CheckEntryName(const char* pszName)
{
    if (!pszName || !*pszName)
        return IDS_NAME_EMPTY;
    if (strcmp(pszName, ".") == 0 || strcmp(pszName, "..") == 0)
        return IDS_DOT_NAMES;
    size_t n = strlen(pszName);
    for (size_t i = 0; i < n;) {
        size_t len = Mbcs::CharLength(pszName + i, n - i);
        unsigned char c = static_cast<unsigned char>(pszName[i]);
        // Only single-byte characters can be separators: the second byte of
        // a double-byte character may be 0x5C ("ソ").
        if (len == 1 && (c < 0x20 || strchr("/:*?\\<>\"|", c)))
            return IDS_INVALID_NAME_CHARS;
        i += len;
    }
    if (pszName[n - 1] == '.' || pszName[n - 1] == ' ')
        return IDS_NAME_TRAILING;
    if (IsDeviceName(pszName))
        return IDS_DEVICE_NAMES;
    return 0;
}

BOOL ValidateEntryName(const char* pszName)
{
    UINT id = CheckEntryName(pszName);
    if (id == 0)
        return TRUE;
    AfxMessageBox(id, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}
