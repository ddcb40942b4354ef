// CFontSet: a pair of fonts (normal and bold) made from one description and
// shared by several windows, which register their ids while they use it.
#pragma once

#include "classlib/ClassLib.h"

class CFontSet
{
public:
    CFontSet() = default;
    CFontSet(const CFontSet&) = delete;
    CFontSet& operator=(const CFontSet&) = delete;
    ~CFontSet() { DeleteFonts(); }

    // Makes both fonts from the description; false when either cannot be made.
    BOOL Create(const LOGFONTA& lf);
    void DeleteFonts();
    HFONT GetFont() const { return m_hFont; }
    HFONT GetBoldFont() const { return m_hBoldFont; }
    const LOGFONTA& GetLogFont() const { return m_logFont; }
    int GetHeight() const { return m_nHeight; }

    void AddUser(UINT nWindowId);
    void RemoveUser(UINT nWindowId);
    bool IsUsed() const { return m_users.GetSize() > 0; }

private:
    HFONT m_hFont = nullptr;
    HFONT m_hBoldFont = nullptr;
    LOGFONTA m_logFont = {};
    int m_nHeight = 0;
    CDWordArray m_users;
};
