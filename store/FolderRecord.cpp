#include "store/FolderRecord.h"

#include <cstdlib>

CFolderRecord::CFolderRecord(const CFolderRecord& src) : CDataStrgRecord()
{
    m_bDeleted = src.m_bDeleted;
    m_nIndex = src.m_nIndex;
    CopyColumns(src);
}

CFolderRecord& CFolderRecord::operator=(const CFolderRecord& src)
{
    if (this != &src)
        CopyColumns(src);
    return *this;
}

void CFolderRecord::CopyColumns(const CFolderRecord& src)
{
    m_nParentId = src.m_nParentId;
    m_nKind = src.m_nKind;
    m_nIcon = src.m_nIcon;
    m_nId = src.m_nId;
    m_strName = src.m_strName;
    m_strPath = src.m_strPath;
    m_strSound = src.m_strSound;
    m_nUnread = src.m_nUnread;
    m_nMailCount = src.m_nMailCount;
    m_bExpanded = src.m_bExpanded;
    m_bHideTag = src.m_bHideTag;
    for (int i = 0; i < 13; i++)
        m_strText[i] = src.m_strText[i];
    m_nReserved24 = src.m_nReserved24;
    m_nReserved25 = src.m_nReserved25;
    m_nListSwitch = src.m_nListSwitch;
    m_bNoOptimiseAll = src.m_bNoOptimiseAll;
    m_bNoDupDeleteAll = src.m_bNoDupDeleteAll;
    m_bStripTagOnReply = src.m_bStripTagOnReply;
    m_bDefaultOnReply = src.m_bDefaultOnReply;
    m_bIgnoreUnread = src.m_bIgnoreUnread;
    m_bApplyBelow = src.m_bApplyBelow;
    m_strFontName = src.m_strFontName;
    m_nFontSize = src.m_nFontSize;
    m_nFontNumber2 = src.m_nFontNumber2;
    m_nFontNumber3 = src.m_nFontNumber3;
    m_nCharSet = src.m_nCharSet;
    m_strPassword = src.m_strPassword;
    m_nExtra = src.m_nExtra;
}

CString CFolderRecord::GetColumnText(int nColumn) const
{
    auto num = [](int n) { return FormatString("%d", n); };
    auto flag = [](BOOL b) { return CString(b ? "1" : "0"); };
    switch (nColumn) {
    case 0: return num(m_nParentId);
    case 1: return num(m_nKind);
    case 2: return num(m_nIcon);
    case 3: return num(m_nId);
    case 4: return m_strName;
    case 5: return m_strPath;
    case 6: return m_strSound;
    case 7: return num(m_nUnread);
    case 8: return num(m_nMailCount);
    case 9: return flag(m_bExpanded);
    case 10: return flag(m_bHideTag);
    case 24: return num(m_nReserved24);
    case 25: return num(m_nReserved25);
    case 26: return num(m_nListSwitch);
    case 27: return flag(m_bNoOptimiseAll);
    case 28: return flag(m_bNoDupDeleteAll);
    case 29: return flag(m_bStripTagOnReply);
    case 30: return flag(m_bDefaultOnReply);
    case 31: return flag(m_bIgnoreUnread);
    case 32: return flag(m_bApplyBelow);
    case 33: return m_strFontName;
    case 34: return num(m_nFontSize);
    case 35: return num(m_nFontNumber2);
    case 36: return num(m_nFontNumber3);
    case 37: return FormatString("%u", static_cast<unsigned>(m_nCharSet));
    case 38: return m_strPassword;
    default:
        if (nColumn >= 11 && nColumn <= 23)
            return m_strText[nColumn - 11];
        return CString();
    }
}

void CFolderRecord::SetColumnText(int nColumn, const char* pszText)
{
    int n = atoi(pszText);
    BOOL b = n != 0;
    switch (nColumn) {
    case 0: m_nParentId = n; break;
    case 1: m_nKind = n; break;
    case 2: m_nIcon = n; break;
    case 3: m_nId = n; break;
    case 4: m_strName = pszText; break;
    case 5: m_strPath = pszText; break;
    case 6: m_strSound = pszText; break;
    case 7: m_nUnread = n; break;
    case 8: m_nMailCount = n; break;
    case 9: m_bExpanded = b; break;
    // An older list without column 29 gets it from column 10.
    case 10: m_bHideTag = b; m_bStripTagOnReply = b; break;
    case 24: m_nReserved24 = n; break;
    case 25: m_nReserved25 = n; break;
    case 26: m_nListSwitch = n; break;
    case 27: m_bNoOptimiseAll = b; break;
    case 28: m_bNoDupDeleteAll = b; break;
    case 29: m_bStripTagOnReply = b; break;
    case 30: m_bDefaultOnReply = b; break;
    case 31: m_bIgnoreUnread = b; break;
    case 32: m_bApplyBelow = b; break;
    case 33: m_strFontName = pszText; break;
    case 34: m_nFontSize = n; break;
    case 35: m_nFontNumber2 = n; break;
    case 36: m_nFontNumber3 = n; break;
    case 37: m_nCharSet = static_cast<BYTE>(n); break;
    case 38: m_strPassword = pszText; break;
    default:
        if (nColumn >= 11 && nColumn <= 23)
            m_strText[nColumn - 11] = pszText;
        break;
    }
}
