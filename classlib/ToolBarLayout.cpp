#include "classlib/ToolBarLayout.h"

#include "classlib/AppCore.h"
#include "classlib/ToolBar.h"

#include <cstdint>
#include <cstring>

std::vector<UINT> LoadToolBarLayout(UINT nResourceID)
{
    std::vector<UINT> ids;
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceA(hInst, MAKEINTRESOURCEA(nResourceID), "FILE");
    HGLOBAL hData = hRes ? ::LoadResource(hInst, hRes) : nullptr;
    const BYTE* data = hData ? static_cast<const BYTE*>(::LockResource(hData)) : nullptr;
    const DWORD size = data ? ::SizeofResource(hInst, hRes) : 0;
    for (DWORD offset = 0; offset + sizeof(int32_t) <= size; offset += sizeof(int32_t)) {
        int32_t id = 0;
        std::memcpy(&id, data + offset, sizeof(id));
        ids.push_back(id == -1 ? ID_SEPARATOR : static_cast<UINT>(id));
    }
    return ids;
}
