// CHtmlDocumentRef: the HTML editing view's hold on its loaded document,
// attached anew each time a page has finished loading. Editing commands run
// through it by number; the table commands find the element at the
// selection through it.
#pragma once

#include "classlib/ClassLib.h"
#include "html/HtmlElementRef.h"
#include "html/HtmlEngine.h"

class CHtmlDocumentRef
{
public:
    CHtmlDocumentRef() = default;
    virtual ~CHtmlDocumentRef() = default;
    CHtmlDocumentRef(const CHtmlDocumentRef&) = delete;
    CHtmlDocumentRef& operator=(const CHtmlDocumentRef&) = delete;

    virtual bool IsValid() const { return m_document != nullptr; }
    // Changed since loaded or last marked unchanged.
    virtual bool IsModified() const { return m_document && m_document->IsDirty(); }

    // Replaces what was held; a null document empties the reference.
    void Attach(CWnd* pView, std::shared_ptr<CHtmlEngineDocument> document);
    // An editing command with its argument (may be null); a set prompt flag
    // lets the engine show its own dialog. False before a document is held.
    bool Exec(DWORD command, const VARIANT* pArgument, bool bPrompt);
    // The element of the selection: the picture of a control selection, the
    // parent of a text selection.
    CHtmlElementRef ElementAtSelection() const;

    CHtmlEngineDocument* GetDocument() const { return m_document.get(); }
    CWnd* GetView() const { return m_pView; }

private:
    CWnd* m_pView = nullptr;
    std::shared_ptr<CHtmlEngineDocument> m_document;
};
