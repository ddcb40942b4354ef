#include "editor/BodySignature.h"

#include "editor/AutoSignData.h"

namespace {

// Drops empty lines at the end of the body; an empty body becomes one line end.
void TrimEmptyEndLines(CString& body)
{
    int end = body.GetLength();
    while (end > 0 && (body[end - 1] == '\r' || body[end - 1] == '\n'))
        --end;
    body = body.Left(end);
    if (body.IsEmpty())
        body = "\r\n";
}

} // namespace

void CBodySignature::Insert(CString& body, const char* pszName, const char* pszText, bool bKeepPosition, int nCaret)
{
    CString text = pszText ? pszText : "";
    if (bKeepPosition) {
        int pos = nCaret < 0 ? 0 : (nCaret > body.GetLength() ? body.GetLength() : nCaret);
        body.Insert(pos, text);
        m_nPos = pos;
    } else {
        const int oldLength = m_strText.GetLength();
        if (oldLength > 0) {
            if (m_nPos >= 0 && m_nPos + oldLength <= body.GetLength() && body.Mid(m_nPos, oldLength) == m_strText) {
                body.Delete(m_nPos, oldLength);
            } else {
                // Moved by edits the editor did not report: only the copy
                // that ends the body can be the one put there.
                CString trimmed = body;
                trimmed.TrimRight("\r\n");
                if (trimmed.GetLength() >= oldLength && trimmed.Right(oldLength) == m_strText)
                    body = trimmed.Left(trimmed.GetLength() - oldLength);
            }
        }
        TrimEmptyEndLines(body);
        m_nPos = body.GetLength();
        body += text;
    }
    m_strName = pszName ? pszName : "";
    m_strText = text;
}

void CBodySignature::OnBodyEdited(int nPos, int nRemoved, int nInserted)
{
    if (m_nPos < 0)
        return;
    if (nPos + nRemoved <= m_nPos)
        m_nPos += nInserted - nRemoved;
    else if (nPos < m_nPos + m_strText.GetLength())
        m_nPos = -1;  // the signature itself was edited
}

CString CBodySignature::ChooseAutomatic(CAutoSignData& rules, const char* pszTo, const char* pszCc,
                                        const char* pszSubject, const char* pszFolderSign,
                                        const char* pszAccountSign)
{
    CString name = rules.FindSignature(pszTo, pszCc, pszSubject);
    if (name.IsEmpty())
        name = pszFolderSign;
    if (name.IsEmpty())
        name = pszAccountSign;
    return name;
}
