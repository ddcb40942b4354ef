// CRelatedPartList: the parts of an HTML mail that its "cid:" links name.
// While the HTML is rewritten, every local file it shows gets a Content-ID
// and a part record; every name the HTML refers to is recorded once, so that
// pages that link each other are converted only once.
#pragma once

#include "classlib/ClassLib.h"

class CRelatedPartList
{
public:
    // One part: for a file, its full path as the name and its Content-ID as
    // the text; an HTML page converted for sending carries its converted
    // text as the extra.
    struct CPart
    {
        CString m_strName;
        CString m_strText;
        CString m_strExtra;
    };

    CRelatedPartList() = default;
    ~CRelatedPartList();
    CRelatedPartList(const CRelatedPartList&) = delete;
    CRelatedPartList& operator=(const CRelatedPartList&) = delete;

    // Appends a record to parts (an array of owned CPart*, the list's own as
    // a rule); the extra is stored only when given.
    static void AddRelatedPart(const char* pszName, const char* pszText, CPtrArray& parts,
                               const char* pszExtra = nullptr);
    void AddRelatedPart(const char* pszName, const char* pszText, const char* pszExtra = nullptr)
    {
        AddRelatedPart(pszName, pszText, m_parts, pszExtra);
    }
    // Text of the first part of exactly that name (case counts); empty when none.
    CString GetPartText(const char* pszName) const;
    // "%lu.%d.%d.%s": seconds since 1970, part count, rand() and the domain.
    CString MakeContentId();
    // True at once when the name is already referenced (case-insensitive);
    // otherwise records it and answers whether a part of that name exists.
    bool AddReference(const char* pszName);

    void SetDomain(const char* pszDomain) { m_strDomain = pszDomain ? pszDomain : ""; }
    const CString& GetDomain() const { return m_strDomain; }
    int GetPartCount() const { return m_parts.GetSize(); }
    const CPart* GetPart(int i) const { return static_cast<const CPart*>(m_parts.GetAt(i)); }
    int GetReferenceCount() const { return m_references.GetSize(); }
    const CString& GetReference(int i) const { return m_references.GetAt(i); }
    bool IsEmpty() const { return m_parts.IsEmpty(); }
    void RemoveAll();

    CPtrArray& Parts() { return m_parts; }

private:
    CPtrArray m_parts;  // owned CPart*
    CStringArray m_references;
    CString m_strDomain;
};
