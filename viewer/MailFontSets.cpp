#include "viewer/MailFontSets.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "store/MailIndexRecord.h"
#include "viewer/CharSetDataSet.h"
#include "mainwnd/FontSetting.h"

#include <cstdlib>
#include <cstring>

CMailFontSets& CMailFontSets::Instance()
{
    static CMailFontSets sets;
    return sets;
}

int CMailFontSets::TwipsToPixels(int nTwips, int nPixelsPerInch)
{
    int px = nPixelsPerInch * nTwips / 1440;
    return px == 0 ? 10 : px;
}

int CMailFontSets::FontSetPixels(int nTwips, int nPixelsPerInch)
{
    int px = std::abs(nPixelsPerInch * nTwips / 1440);
    return px == 0 ? 13 : px;
}

int CMailFontSets::ScreenPixelsPerInch()
{
    HDC hdc = GetDC(nullptr);
    int ppi = hdc ? GetDeviceCaps(hdc, LOGPIXELSY) : 96;
    if (hdc)
        ReleaseDC(nullptr, hdc);
    return ppi > 0 ? ppi : 96;
}

std::string CMailFontSets::Key(const char* pszCharset)
{
    std::string key = pszCharset ? pszCharset : "";
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

std::unique_ptr<CFontSet> CMailFontSets::MakeSet(LOGFONTA lf, int nPixels)
{
    lf.lfHeight = -std::abs(nPixels);
    auto set = std::make_unique<CFontSet>();
    if (!set->Create(lf))
        return nullptr;
    return set;
}

CFontSet* CMailFontSets::GetDefaultFontSet()
{
    CSingleLock lock(&m_lock, TRUE);
    if (!m_default) {
        LOGFONTA lf = GetFontSetting("Font");
        m_default = MakeSet(lf, FontSetPixels(lf.lfHeight, ScreenPixelsPerInch()));
        if (!m_default)
            AfxMessageBox("LoadDefaultMailViewFont Error", MB_OK | MB_ICONERROR);
    }
    return m_default.get();
}

CFontSet* CMailFontSets::GetFontSet(UINT nOwner, CFontSet* pOld, const char* pszFace, int nTwips, int nWeight,
                                    BYTE nItalic, BYTE nCharSet)
{
    CFontSet* def = GetDefaultFontSet();
    CSingleLock lock(&m_lock, TRUE);
    CFontSet* result = def;
    if (pszFace && *pszFace) {
        int px = TwipsToPixels(nTwips, ScreenPixelsPerInch());
        result = nullptr;
        for (auto& set : m_shared) {
            const LOGFONTA& lf = set->GetLogFont();
            if (lstrcmpiA(lf.lfFaceName, pszFace) == 0 && std::abs(lf.lfHeight) == px && lf.lfWeight == nWeight &&
                lf.lfItalic == nItalic && lf.lfCharSet == nCharSet) {
                result = set.get();
                break;
            }
        }
        if (!result) {
            LOGFONTA lf = GetFontSetting("Font");
            lstrcpynA(lf.lfFaceName, pszFace, LF_FACESIZE);
            lf.lfWeight = nWeight;
            lf.lfItalic = nItalic;
            lf.lfCharSet = nCharSet;
            auto set = MakeSet(lf, px);
            if (!set) {
                AfxMessageBox("GetFontSet Error1", MB_OK | MB_ICONERROR);
                return def;
            }
            result = set.get();
            m_shared.push_back(std::move(set));
        }
        result->AddUser(nOwner);
    }
    if (pOld && pOld != result && pOld != def) {
        pOld->RemoveUser(nOwner);
        if (!pOld->IsUsed()) {
            for (size_t i = 0; i < m_shared.size(); ++i) {
                if (m_shared[i].get() == pOld) {
                    m_shared.erase(m_shared.begin() + static_cast<long>(i));
                    break;
                }
            }
        }
    }
    return result;
}

CFontSet* CMailFontSets::GetFontForCharset(const char* pszCharset)
{
    CSingleLock lock(&m_lock, TRUE);
    if (!pszCharset || !*pszCharset)
        return nullptr;
    auto it = m_charset.find(Key(pszCharset));
    return it == m_charset.end() ? nullptr : it->second.get();
}

CFontSet* CMailFontSets::GetDerived(std::map<std::string, std::unique_ptr<CFontSet>>& cache, const char* pszSetting,
                                    const char* pszCharset, int nPixels)
{
    CSingleLock lock(&m_lock, TRUE);
    std::string key = Key(pszCharset);
    auto cached = cache.find(key);
    if (cached != cache.end())
        return cached->second.get();
    // The mail's own Japanese charset keeps the caller's font.
    if (key.empty() || key == "ISO-2022-JP" || key == "CSISO2022JP")
        return nullptr;
    auto lang = m_charset.find(key);
    if (lang == m_charset.end())
        return nullptr;
    LOGFONTA lf = GetFontSetting(pszSetting);
    lstrcpynA(lf.lfFaceName, lang->second->GetLogFont().lfFaceName, LF_FACESIZE);
    lf.lfCharSet = lang->second->GetLogFont().lfCharSet;
    auto set = MakeSet(lf, nPixels);
    CFontSet* p = set.get();
    if (set)
        cache[key] = std::move(set);
    return p;
}

CFontSet* CMailFontSets::GetListFontForCharset(const char* pszCharset, int nPixels)
{
    return GetDerived(m_list, "FontList", pszCharset, nPixels);
}

CFontSet* CMailFontSets::GetHeaderFontForCharset(const char* pszCharset, int nPixels)
{
    return GetDerived(m_header, "FontViewHeader", pszCharset, nPixels);
}

HFONT CMailFontSets::GetListRowFont(const CMailIndexRecord& record, int nPixels, bool bUnreadBold, HFONT hRead,
                                    HFONT hUnread)
{
    const bool read = record.IsRead() != FALSE;
    const CString& charset = record.GetText(CMailIndexRecord::colCharset);
    if (!charset.IsEmpty()) {
        EnsureCharSetFontsLoaded();
        CFontSet* set = GetListFontForCharset(charset, nPixels);
        HFONT font = !set ? nullptr : !read && bUnreadBold ? set->GetBoldFont() : set->GetFont();
        if (font)
            return font;
    }
    return read ? hRead : hUnread;
}

void CMailFontSets::DropDerivedFonts()
{
    CSingleLock lock(&m_lock, TRUE);
    RetireAll(m_list);
    RetireAll(m_header);
}

void CMailFontSets::Retire(std::unique_ptr<CFontSet> set)
{
    if (set)
        m_retired.push_back(std::move(set));
}

void CMailFontSets::RetireAll(std::map<std::string, std::unique_ptr<CFontSet>>& sets)
{
    for (auto& entry : sets)
        Retire(std::move(entry.second));
    sets.clear();
}

void CMailFontSets::RebuildDefaultFontSet()
{
    LOGFONTA lf = GetFontSetting("Font");
    auto set = MakeSet(lf, FontSetPixels(lf.lfHeight, ScreenPixelsPerInch()));
    if (!set)
        return;  // the old set stays in use
    CSingleLock lock(&m_lock, TRUE);
    Retire(std::move(m_default));
    m_default = std::move(set);
}

void CMailFontSets::LoadCharSetFonts(const CCharSetDataSet& table)
{
    LOGFONTA base = GetFontSetting("Font");
    int ppi = ScreenPixelsPerInch();
    CSingleLock lock(&m_lock, TRUE);
    // The derived fonts take the new faces when next asked for.
    RetireAll(m_list);
    RetireAll(m_header);
    RetireAll(m_charset);
    for (int i = 0; i < const_cast<CCharSetDataSet&>(table).GetRecordCount(TRUE); ++i) {
        const CCharSetData* r = table.GetCharSet(i);
        if (!r || r->m_bDeleted || r->m_strCharset.IsEmpty())
            continue;
        LOGFONTA lf = base;
        lf.lfCharSet = r->m_nCharSet;
        lf.lfWeight = 0;
        lstrcpynA(lf.lfFaceName, r->m_strFace, LF_FACESIZE);
        if (auto set = MakeSet(lf, FontSetPixels(r->m_nHeight, ppi)))
            m_charset[Key(r->m_strCharset)] = std::move(set);
    }
}

CString CMailFontSets::GetCharSetFilePath(const char* pszMailBoxFolder, const char* pszProgramFolder)
{
    CString path = CombinePath(pszMailBoxFolder, "CharSet.dat");
    if (!FileExists(path) || DirectoryExists(path)) {
        CString source = CombinePath(pszProgramFolder, "CharSet.dat");
        if (FileExists(source) && !DirectoryExists(path))
            CopyFileA(source, path, TRUE);
    }
    return path;
}

void CMailFontSets::EnsureCharSetFontsLoaded()
{
    {
        CSingleLock lock(&m_lock, TRUE);
        if (m_bCharSetLoaded)
            return;
        m_bCharSetLoaded = true;
    }
    auto* app = QuendalApp();
    if (!app)
        return;
    CCharSetDataSet table;
    table.SetFilePath(GetCharSetFilePath(app->GetMailBoxFolder(), app->GetProgramFolder()));
    if (table.ReadFromFile())
        LoadCharSetFonts(table);
}
