// CMailFontSets: the program's shared fonts for mail text: the default set
// (section "Font"), sets shared by windows asking for the same font, the
// language fonts of "CharSet.dat" by charset name, and the list and header
// fonts derived from them. Viewer threads read the sets while the main
// thread may rebuild them, so every operation holds one lock, and a rebuilt
// set's old fonts stay alive until the program ends: a window on another
// thread may still draw with them until it has taken the new ones.
#pragma once

#include "classlib/ClassLib.h"
#include "core/FontSet.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CCharSetDataSet;
class CMailIndexRecord;

class CMailFontSets
{
public:
    CMailFontSets() = default;
    CMailFontSets(const CMailFontSets&) = delete;
    CMailFontSets& operator=(const CMailFontSets&) = delete;

    // The program's one instance.
    static CMailFontSets& Instance();

    // Heights in settings and in "CharSet.dat" are twips.
    static int TwipsToPixels(int nTwips, int nPixelsPerInch);  // 10 when 0
    static int FontSetPixels(int nTwips, int nPixelsPerInch);  // 13 when 0
    static int ScreenPixelsPerInch();

    CFontSet* GetDefaultFontSet();
    // The shared set for the font; the owner leaves its old set, which goes
    // when no owner is left (the default set stays).
    CFontSet* GetFontSet(UINT nOwner, CFontSet* pOld, const char* pszFace, int nTwips, int nWeight, BYTE nItalic,
                         BYTE nCharSet);
    // The language font of a charset name, or none.
    CFontSet* GetFontForCharset(const char* pszCharset);
    CFontSet* GetListFontForCharset(const char* pszCharset, int nPixels);
    CFontSet* GetHeaderFontForCharset(const char* pszCharset, int nPixels);
    // The font a mail list draws a mail's row in: the language font of the
    // mail's charset at the list font's size (bold for an unread mail when
    // unread mails are bold); without one, the list's own font for a read
    // or an unread mail.
    HFONT GetListRowFont(const CMailIndexRecord& record, int nPixels, bool bUnreadBold, HFONT hRead, HFONT hUnread);
    // The list and header fonts are made again from their settings when
    // next asked for (after the font settings changed).
    void DropDerivedFonts();
    // Rebuilds the language fonts from the table (and the list and header
    // fonts derived from them).
    void LoadCharSetFonts(const CCharSetDataSet& table);
    // Makes the default set again from the "Font" setting.
    void RebuildDefaultFontSet();
    // Reads "CharSet.dat" of the running program's mailbox once, at the
    // first mail shown.
    void EnsureCharSetFontsLoaded();
    // "CharSet.dat" in the mailbox folder, copied there from the program
    // folder first when missing (never over an existing file).
    static CString GetCharSetFilePath(const char* pszMailBoxFolder, const char* pszProgramFolder);

private:
    static std::string Key(const char* pszCharset);
    std::unique_ptr<CFontSet> MakeSet(LOGFONTA lf, int nPixels);
    CFontSet* GetDerived(std::map<std::string, std::unique_ptr<CFontSet>>& cache, const char* pszSetting,
                         const char* pszCharset, int nPixels);

    void Retire(std::unique_ptr<CFontSet> set);
    void RetireAll(std::map<std::string, std::unique_ptr<CFontSet>>& sets);

    CCriticalSection m_lock;
    bool m_bCharSetLoaded = false;
    std::unique_ptr<CFontSet> m_default;
    std::vector<std::unique_ptr<CFontSet>> m_shared;
    std::map<std::string, std::unique_ptr<CFontSet>> m_charset;
    std::map<std::string, std::unique_ptr<CFontSet>> m_list;
    std::map<std::string, std::unique_ptr<CFontSet>> m_header;
    std::vector<std::unique_ptr<CFontSet>> m_retired;
};
