#include "transfer/DivideupData.h"

#include "core/QuendalApp.h"
#include "message/MailMessage.h"
#include "store/MailFolderStore.h"
#include "transfer/ConditionItems.h"
#include "transfer/FilterGroupPatterns.h"

#include <cstdlib>

void CDivideupData::CopyTo(CDivideupData& other) const
{
    other.m_strHeader1 = m_strHeader1;
    other.m_strString1 = m_strString1;
    other.m_strHeader2 = m_strHeader2;
    other.m_strString2 = m_strString2;
    other.m_nFolderId = m_nFolderId;
    other.m_bLeaveOnServer = m_bLeaveOnServer;
    other.m_bOrMode = m_bOrMode;
    other.m_bNegate1 = m_bNegate1;
    other.m_bNegate2 = m_bNegate2;
    other.m_bDeleteOnServer = m_bDeleteOnServer;
    other.m_bNotReceive = m_bNotReceive;
    other.m_bUseColorLabel = m_bUseColorLabel;
    other.m_nColorLabel = m_nColorLabel;
    other.m_crCustomColor = m_crCustomColor;
    other.m_bNoFolderMove = m_bNoFolderMove;
    other.m_bMarkRead = m_bMarkRead;
    other.m_nProtected = m_nProtected;
}

CString CDivideupData::GetHeader1Name() const
{
    return GetConditionItemName(m_strHeader1);
}

CString CDivideupData::GetHeader2Name() const
{
    return GetConditionItemName(m_strHeader2);
}

void CDivideupData::SetHeader1Name(const char* pszName)
{
    m_strHeader1 = GetConditionItemKey(pszName);
}

void CDivideupData::SetHeader2Name(const char* pszName)
{
    m_strHeader2 = GetConditionItemKey(pszName);
}

CString CDivideupData::GetFolderName() const
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = app ? app->FindFolder(m_nFolderId) : nullptr;
    return folder ? folder->GetFolderName() : CString();
}

CString CDivideupData::GetFolderPath() const
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = app ? app->FindFolder(m_nFolderId) : nullptr;
    return folder ? folder->GetFolderPath() : CString();
}

BOOL CDivideupData::MatchCondition(int nCondition, const CMailMessage& header, int nSize) const
{
    const CString& key = nCondition == 1 ? m_strHeader1 : m_strHeader2;
    const CString& text = nCondition == 1 ? m_strString1 : m_strString2;
    BOOL negate = nCondition == 1 ? m_bNegate1 : m_bNegate2;
    if (IsSizeConditionKey(key)) {
        // A size compares only with the size: a header of that name never
        // stands in for it, so a negated size condition cannot hold merely
        // because no such header exists.
        if (nSize < 0)
            return FALSE;
        long long limit = _atoi64(text);
        CString k(key);
        k.Trim();
        bool hit = k.CompareNoCase("Size <=") == 0 ? nSize <= limit : limit <= nSize;
        return (negate ? !hit : hit) ? TRUE : FALSE;
    }
    return header.MatchCondition(text, key, !m_bOrMode, negate != FALSE) ? TRUE : FALSE;
}

BOOL CDivideupData::Match(const CMailMessage& header, int nSize) const
{
    if (m_bOrMode)
        return MatchCondition(1, header, nSize) || MatchCondition(2, header, nSize);
    return MatchCondition(1, header, nSize) && MatchCondition(2, header, nSize);
}

BOOL CDivideupData::CanConditionHold(int nCondition) const
{
    const CString& key = nCondition == 1 ? m_strHeader1 : m_strHeader2;
    const CString& text = nCondition == 1 ? m_strString1 : m_strString2;
    BOOL negate = nCondition == 1 ? m_bNegate1 : m_bNegate2;
    if (key.IsEmpty())
        return (negate ? m_bOrMode : !m_bOrMode) ? TRUE : FALSE;
    if (negate || IsSizeConditionKey(key))
        return TRUE;
    return CFilterGroupPatterns::IsEmptyGroupReference(text) ? FALSE : TRUE;
}

BOOL CDivideupData::CanMatch() const
{
    if (m_bOrMode)
        return CanConditionHold(1) || CanConditionHold(2);
    return CanConditionHold(1) && CanConditionHold(2);
}

void CDivideupData::GetFilterResult(StoreFilterResult& result) const
{
    result.bMarked = TRUE;
    result.bUseLabel = m_bUseColorLabel;
    result.nLabel = m_nColorLabel;
    result.crLabel = m_crCustomColor;
    result.bForceRead = m_bMarkRead;
}

COLORREF CDivideupData::GetLabelColor() const
{
    return GetFixedLabelColor(m_nColorLabel, m_crCustomColor);
}

COLORREF CDivideupData::GetFixedLabelColor(int nLabel, COLORREF crCustom)
{
    static const COLORREF kColors[15] = { 0x7F0000, 0x007F00, 0x7F7F00, 0x00007F, 0x7F007F, 0x007F7F, 0x7F7F7F, 0x3F3F3F,
                                          0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF };
    if (nLabel == 0)
        return 0;
    if (nLabel >= 1 && nLabel <= 15)
        return kColors[nLabel - 1];
    if (nLabel == 99)
        return crCustom;
    return RGB(0, 0, 0);
}
