// CMshtmlDocument: the platform engine's loaded document behind the engine
// seam, for machines where the engine is installed.
#pragma once

#include "classlib/ComPtr.h"
#include "html/HtmlEngine.h"

#include <docobj.h>
#include <mshtml.h>

class CMshtmlDocument : public CHtmlEngineDocument
{
public:
    // Null when the object is no HTML document.
    static std::shared_ptr<CMshtmlDocument> FromDispatch(IDispatch* pDocument);

    HRESULT Exec(DWORD command, DWORD option, const VARIANT* in, VARIANT* out) override;
    DWORD QueryStatus(DWORD command) override;
    HtmlNodePtr GetSelectionElement() override;
    bool PasteHtml(const std::wstring& html) override;
    HtmlNodePtr GetBody() override;
    std::vector<HtmlNodePtr> GetAllElements() override;
    std::wstring GetHtml() override;
    bool SetDesignMode(const std::wstring& mode) override;
    bool SetCharset(const std::wstring& charset) override;
    bool SetBgColor(const std::wstring& color) override;
    bool IsDirty() override;

private:
    CComPtr<IHTMLDocument2> m_document;
    CComPtr<IHTMLDocument3> m_document3;
    CComPtr<IPersistStreamInit> m_persist;
    CComPtr<IOleCommandTarget> m_target;
};
