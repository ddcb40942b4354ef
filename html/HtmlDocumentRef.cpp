#include "html/HtmlDocumentRef.h"

#include <docobj.h>

void CHtmlDocumentRef::Attach(CWnd* pView, std::shared_ptr<CHtmlEngineDocument> document)
{
    m_pView = pView;
    m_document = std::move(document);
}

bool CHtmlDocumentRef::Exec(DWORD command, const VARIANT* pArgument, bool bPrompt)
{
    if (!m_document)
        return false;
    DWORD option = bPrompt ? OLECMDEXECOPT_DODEFAULT : OLECMDEXECOPT_DONTPROMPTUSER;
    return SUCCEEDED(m_document->Exec(command, option, pArgument, nullptr));
}

CHtmlElementRef CHtmlDocumentRef::ElementAtSelection() const
{
    return m_document ? CHtmlElementRef(m_document->GetSelectionElement()) : CHtmlElementRef();
}
