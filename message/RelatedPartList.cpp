#include "message/RelatedPartList.h"

#include <cstdlib>
#include <ctime>

CRelatedPartList::~CRelatedPartList() { RemoveAll(); }

void CRelatedPartList::RemoveAll()
{
    for (int i = 0; i < m_parts.GetSize(); ++i)
        delete static_cast<CPart*>(m_parts.GetAt(i));
    m_parts.RemoveAll();
    m_references.RemoveAll();
}

void CRelatedPartList::AddRelatedPart(const char* pszName, const char* pszText, CPtrArray& parts,
                                      const char* pszExtra)
{
    CPart* pPart = new CPart;
    pPart->m_strName = pszName;
    pPart->m_strText = pszText;
    if (pszExtra)
        pPart->m_strExtra = pszExtra;
    parts.Add(pPart);
}

CString CRelatedPartList::GetPartText(const char* pszName) const
{
    for (int i = 0; i < m_parts.GetSize(); ++i) {
        const CPart* pPart = GetPart(i);
        if (pPart->m_strName.Compare(pszName ? pszName : "") == 0)
            return pPart->m_strText;
    }
    return CString();
}

CString CRelatedPartList::MakeContentId()
{
    CString id;
    id.Format("%lu.%d.%d.%s", static_cast<unsigned long>(static_cast<uint32_t>(time(nullptr))), m_parts.GetSize(),
              rand(), m_strDomain.GetString());
    return id;
}

bool CRelatedPartList::AddReference(const char* pszName)
{
    const char* name = pszName ? pszName : "";
    for (int i = 0; i < m_references.GetSize(); ++i) {
        if (m_references.GetAt(i).CompareNoCase(name) == 0)
            return true;
    }
    m_references.Add(name);
    for (int i = 0; i < m_parts.GetSize(); ++i) {
        if (GetPart(i)->m_strName.CompareNoCase(name) == 0)
            return true;
    }
    return false;
}
