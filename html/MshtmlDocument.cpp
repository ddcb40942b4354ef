#include "html/MshtmlDocument.h"

#include "html/MshtmlNode.h"
#include "html/ScopedBstr.h"

namespace {

// The editing command group of the engine.
const GUID kEditingCommands = { 0xDE4BA900, 0x59CA, 0x11CF, { 0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };

} // namespace

std::shared_ptr<CMshtmlDocument> CMshtmlDocument::FromDispatch(IDispatch* pDocument)
{
    if (!pDocument)
        return nullptr;
    auto doc = std::make_shared<CMshtmlDocument>();
    pDocument->QueryInterface(IID_IHTMLDocument2, doc->m_document.ReceiveVoid());
    if (!doc->m_document)
        return nullptr;
    pDocument->QueryInterface(IID_IHTMLDocument3, doc->m_document3.ReceiveVoid());
    pDocument->QueryInterface(IID_IPersistStreamInit, doc->m_persist.ReceiveVoid());
    pDocument->QueryInterface(IID_IOleCommandTarget, doc->m_target.ReceiveVoid());
    return doc;
}

HRESULT CMshtmlDocument::Exec(DWORD command, DWORD option, const VARIANT* in, VARIANT* out)
{
    if (!m_target)
        return E_NOINTERFACE;
    return m_target->Exec(&kEditingCommands, command, option, const_cast<VARIANT*>(in), out);
}

DWORD CMshtmlDocument::QueryStatus(DWORD command)
{
    OLECMD cmd = { command, 0 };
    if (!m_target || FAILED(m_target->QueryStatus(&kEditingCommands, 1, &cmd, nullptr)))
        return 0;
    return cmd.cmdf;
}

HtmlNodePtr CMshtmlDocument::GetSelectionElement()
{
    CComPtr<IHTMLSelectionObject> selection;
    CComPtr<IDispatch> range;
    if (FAILED(m_document->get_selection(selection.Receive())) || !selection ||
        FAILED(selection->createRange(range.Receive())) || !range)
        return nullptr;
    CComPtr<IHTMLControlRange> controls;
    if (SUCCEEDED(range.QueryInterface(IID_IHTMLControlRange, controls)) && controls) {
        CComPtr<IHTMLElement> item;
        return SUCCEEDED(controls->item(0, item.Receive())) ? CMshtmlNode::FromDispatch(item.Get()) : nullptr;
    }
    CComPtr<IHTMLTxtRange> text;
    if (SUCCEEDED(range.QueryInterface(IID_IHTMLTxtRange, text)) && text) {
        CComPtr<IHTMLElement> parent;
        return SUCCEEDED(text->parentElement(parent.Receive())) ? CMshtmlNode::FromDispatch(parent.Get()) : nullptr;
    }
    return nullptr;
}

bool CMshtmlDocument::PasteHtml(const std::wstring& html)
{
    CComPtr<IHTMLSelectionObject> selection;
    CComPtr<IDispatch> range;
    CComPtr<IHTMLTxtRange> text;
    if (FAILED(m_document->get_selection(selection.Receive())) || !selection ||
        FAILED(selection->createRange(range.Receive())) || !range ||
        FAILED(range.QueryInterface(IID_IHTMLTxtRange, text)) || !text)
        return false;
    CScopedBstr markup(html);
    return SUCCEEDED(text->pasteHTML(markup));
}

HtmlNodePtr CMshtmlDocument::GetBody()
{
    CComPtr<IHTMLElement> body;
    return SUCCEEDED(m_document->get_body(body.Receive())) ? CMshtmlNode::FromDispatch(body.Get()) : nullptr;
}

std::vector<HtmlNodePtr> CMshtmlDocument::GetAllElements()
{
    std::vector<HtmlNodePtr> all;
    CComPtr<IHTMLElementCollection> elements;
    long n = 0;
    if (FAILED(m_document->get_all(elements.Receive())) || !elements || FAILED(elements->get_length(&n)))
        return all;
    for (long i = 0; i < n; ++i) {
        VARIANT name, at;
        name.vt = VT_I4, name.lVal = i;
        at.vt = VT_I4, at.lVal = 0;
        CComPtr<IDispatch> item;
        if (SUCCEEDED(elements->item(name, at, item.Receive())))
            if (HtmlNodePtr node = CMshtmlNode::FromDispatch(item.Get()))
                all.push_back(node);
    }
    return all;
}

std::wstring CMshtmlDocument::GetHtml()
{
    CComPtr<IHTMLElement> root;
    CScopedBstr html;
    if (!m_document3 || FAILED(m_document3->get_documentElement(root.Receive())) || !root ||
        FAILED(root->get_outerHTML(html.Receive())))
        return std::wstring();
    return html.Text();
}

bool CMshtmlDocument::SetDesignMode(const std::wstring& mode)
{
    CScopedBstr value(mode);
    return SUCCEEDED(m_document->put_designMode(value));
}

bool CMshtmlDocument::SetCharset(const std::wstring& charset)
{
    CScopedBstr value(charset);
    return SUCCEEDED(m_document->put_charset(value));
}

bool CMshtmlDocument::SetBgColor(const std::wstring& color)
{
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(color.c_str());
    bool ok = SUCCEEDED(m_document->put_bgColor(v));
    VariantClear(&v);
    return ok;
}

bool CMshtmlDocument::IsDirty()
{
    return !m_persist || m_persist->IsDirty() != S_FALSE;
}
