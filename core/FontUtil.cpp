#include "core/FontUtil.h"

#include <map>
#include <mutex>

namespace {

std::mutex g_scriptLock;
std::map<BYTE, CString>& ScriptMap()
{
    static std::map<BYTE, CString> map;
    return map;
}

int CALLBACK AddFaceName(const LOGFONTA* plf, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    reinterpret_cast<CStringArray*>(lParam)->Add(plf->lfFaceName);
    return 1;
}

int CALLBACK AddScript(const LOGFONTA* plf, const TEXTMETRICA*, DWORD, LPARAM)
{
    const auto* pelf = reinterpret_cast<const ENUMLOGFONTEXA*>(plf);
    std::lock_guard<std::mutex> hold(g_scriptLock);
    ScriptMap()[plf->lfCharSet] = reinterpret_cast<const char*>(pelf->elfScript);
    return 1;
}

// The screen's device context for the length of one enumeration.
class ScreenDC
{
public:
    ScreenDC() : m_hdc(GetDC(nullptr)) {}
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    ~ScreenDC()
    {
        if (m_hdc)
            ReleaseDC(nullptr, m_hdc);
    }
    HDC Get() const { return m_hdc; }

private:
    HDC m_hdc;
};

} // namespace

void EnumFontFaceNames(CStringArray& names)
{
    ScreenDC dc;
    if (dc.Get())
        EnumFontFamiliesA(dc.Get(), nullptr, &AddFaceName, reinterpret_cast<LPARAM>(&names));
}

void BuildCharSetScriptMap(HDC hdc)
{
    if (!hdc)
        return;
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(hdc, &lf, &AddScript, 0, 0);
}

CString GetCharSetScriptName(BYTE nCharSet)
{
    std::lock_guard<std::mutex> hold(g_scriptLock);
    auto it = ScriptMap().find(nCharSet);
    return it == ScriptMap().end() ? CString() : it->second;
}
