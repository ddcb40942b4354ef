// CBodySignature: the signature an editor put into its body, remembered
// with the place it went, so that choosing another signature replaces that
// text there and nowhere else (a forwarded or quoted mail may hold the same
// signature above it).
#pragma once

#include "classlib/ClassLib.h"

class CAutoSignData;

class CBodySignature
{
public:
    // Replaces the signature inserted before by the new one's text. Unless
    // bKeepPosition, the old text is removed where it was put, the empty
    // lines at the end of the body are dropped (an empty body gets one line
    // end) and the new text is appended; with bKeepPosition the new text goes
    // to nCaret and the old one stays.
    void Insert(CString& body, const char* pszName, const char* pszText, bool bKeepPosition, int nCaret = 0);
    // Tells where the body was edited, so that the remembered place follows.
    void OnBodyEdited(int nPos, int nRemoved, int nInserted);

    // The signature for "自動": the first matching rule, else the origin
    // folder's signature, else the account's.
    static CString ChooseAutomatic(CAutoSignData& rules, const char* pszTo, const char* pszCc,
                                   const char* pszSubject, const char* pszFolderSign, const char* pszAccountSign);

    const CString& GetName() const { return m_strName; }
    const CString& GetText() const { return m_strText; }
    int GetPosition() const { return m_nPos; }

private:
    CString m_strName;
    CString m_strText;
    int m_nPos = -1;
};
