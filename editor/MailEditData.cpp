#include "editor/MailEditData.h"

const char* const CMailEditData::kSignAuto = "自動";
const char* const CMailEditData::kSignNone = "追加しない";

CString CMailEditData::GetReferences() const
{
    CString references = m_strReferencesBase;
    references.Trim();
    CString id = m_strInReplyTo;
    id.Trim();
    if (!references.IsEmpty() && !id.IsEmpty())
        references += " ";
    return references + id;
}
