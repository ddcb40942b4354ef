#include "settings/InternetZoneList.h"

#include <urlmon.h>

namespace {

// The zone manager's class and interface, named here so that no import
// library of the browser components is needed.
const CLSID kClsidZoneManager = { 0x7b8a2d95, 0x0ac9, 0x11d1, { 0x89, 0x6c, 0x00, 0xc0, 0x4f, 0xb6, 0xbf, 0xc4 } };
const IID kIidZoneManager = { 0x79eac9ef, 0xbaf9, 0x11ce, { 0x8c, 0x82, 0x00, 0xaa, 0x00, 0x4b, 0xa9, 0x0b } };

InternetZoneLister g_lister = nullptr;

} // namespace

InternetZoneLister SetInternetZoneLister(InternetZoneLister lister)
{
    InternetZoneLister old = g_lister;
    g_lister = lister;
    return old;
}

std::vector<InternetZone> ListInternetZones()
{
    if (g_lister)
        return g_lister();
    std::vector<InternetZone> zones;
    IInternetZoneManager* manager = nullptr;
    if (FAILED(::CoCreateInstance(kClsidZoneManager, nullptr, CLSCTX_INPROC_SERVER, kIidZoneManager,
                                  reinterpret_cast<void**>(&manager))) || !manager)
        return zones;
    DWORD enumerator = 0, count = 0;
    if (SUCCEEDED(manager->CreateZoneEnumerator(&enumerator, &count, 0))) {
        for (DWORD i = 0; i < count; ++i) {
            DWORD zone = 0;
            ZONEATTRIBUTES attributes = {};
            attributes.cbSize = sizeof(attributes);
            if (FAILED(manager->GetZoneAt(enumerator, i, &zone)) ||
                FAILED(manager->GetZoneAttributes(zone, &attributes)))
                continue;
            char name[MAX_PATH * 2] = "";
            ::WideCharToMultiByte(CP_ACP, 0, attributes.szDisplayName, -1, name, sizeof(name), nullptr, nullptr);
            zones.push_back({ zone, CString(name) });
        }
        manager->DestroyZoneEnumerator(enumerator);
    }
    manager->Release();
    return zones;
}
