#include "html/MemoryHtmlDocument.h"

#include "classlib/ClassLib.h"
#include "message/JapaneseCode.h"

#include <docobj.h>

#include <cstring>
#include <cwctype>
#include <string>

namespace {

// The editing command that marks the document changed or unchanged.
const DWORD kSetDirty = 2342;

void Collect(const std::shared_ptr<CMemoryHtmlNode>& node, std::vector<HtmlNodePtr>& out)
{
    for (const auto& child : node->Children()) {
        if (child->IsElement()) {
            out.push_back(child);
            Collect(child, out);
        }
    }
}

std::wstring ValueText(const VARIANT& v)
{
    switch (v.vt) {
    case VT_BSTR:
        return v.bstrVal ? std::wstring(v.bstrVal) : std::wstring();
    case VT_I4:
        return std::to_wstring(v.lVal);
    case VT_BOOL:
        return v.boolVal ? L"true" : L"false";
    default:
        return std::wstring();
    }
}

} // namespace

CMemoryHtmlDocument::CMemoryHtmlDocument(const std::wstring& bodyHtml)
    : m_root(CMemoryHtmlNode::NewElement(L"HTML")), m_body(CMemoryHtmlNode::NewElement(L"BODY"))
{
    m_root->AppendChild(CMemoryHtmlNode::NewElement(L"HEAD"));
    m_root->AppendChild(m_body);
    CMemoryHtmlNode::ParseInto(m_body, bodyHtml);
}

HRESULT CMemoryHtmlDocument::Exec(DWORD command, DWORD option, const VARIANT* in, VARIANT* out)
{
    m_commands.push_back({ command, option, in ? in->vt : static_cast<VARTYPE>(VT_EMPTY),
                           in ? ValueText(*in) : std::wstring() });
    if (!(QueryStatus(command) & OLECMDF_ENABLED))
        return OLECMDERR_E_DISABLED;
    if (command == kSetDirty && in && in->vt == VT_BOOL)
        m_bDirty = in->boolVal != VARIANT_FALSE;
    if (!out)
        return S_OK;
    VariantInit(out);
    if (m_textValues.count(command)) {
        out->vt = VT_BSTR;
        out->bstrVal = SysAllocString(m_textValues[command].c_str());
    } else if (m_intValues.count(command)) {
        out->vt = VT_I4;
        out->lVal = m_intValues[command];
    } else if (m_names.count(command)) {
        const auto& names = m_names[command];
        SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(names.size()));
        if (!array)
            return E_OUTOFMEMORY;
        for (LONG i = 0; i < static_cast<LONG>(names.size()); ++i) {
            BSTR name = SysAllocString(names[i].c_str());
            SafeArrayPutElement(array, &i, name);
            SysFreeString(name);
        }
        out->vt = VT_ARRAY | VT_BSTR;
        out->parray = array;
    } else {
        return E_FAIL;
    }
    return S_OK;
}

DWORD CMemoryHtmlDocument::QueryStatus(DWORD command)
{
    auto at = m_status.find(command);
    return at != m_status.end() ? at->second : static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED);
}

HtmlNodePtr CMemoryHtmlDocument::GetSelectionElement()
{
    if (m_caret)
        return m_caret;
    return m_bControl ? nullptr : m_body;
}

bool CMemoryHtmlDocument::PasteHtml(const std::wstring& html)
{
    auto target = std::dynamic_pointer_cast<CMemoryHtmlNode>(m_caret && !m_bControl ? m_caret : m_body);
    if (!target)
        return false;
    CMemoryHtmlNode::ParseInto(target, html);
    m_bDirty = true;
    return true;
}

std::wstring CMemoryHtmlDocument::GetHtml()
{
    std::wstring tree = m_root->GetOuterHtml();
    if (m_source.empty())
        return tree;
    if (tree == m_sourceTree)
        return m_source;
    return m_bSourceHasBody ? m_beforeBody + m_body->GetOuterHtml() + m_afterBody : tree;
}

std::vector<HtmlNodePtr> CMemoryHtmlDocument::GetAllElements()
{
    std::vector<HtmlNodePtr> all{ m_root };
    Collect(m_root, all);
    return all;
}

HtmlNodePtr CMemoryHtmlDocument::Find(const std::wstring& tag, int nth)
{
    for (const auto& element : GetAllElements())
        if (element->GetTagName() == tag && nth-- == 0)
            return element;
    return nullptr;
}

bool CMemoryHtmlDocument::SetDesignMode(const std::wstring& mode)
{
    m_designMode = mode;
    return true;
}

bool CMemoryHtmlDocument::SetCharset(const std::wstring& charset)
{
    m_charset = charset;
    return true;
}

bool CMemoryHtmlDocument::SetBgColor(const std::wstring& color)
{
    m_bgColor = color;
    return m_body->SetAttribute(L"bgColor", color);
}

std::shared_ptr<CMemoryHtmlDocument> CMemoryHtmlDocument::Load(const char* pszUrl)
{
    std::string page;
    if (_strnicmp(pszUrl, "res://", 6) == 0) {
        const char* slash = strrchr(pszUrl, '/');
        int id = slash ? atoi(slash + 1) : 0;
        HRSRC res = id ? FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(23)) : nullptr;
        HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
        if (!data)
            return nullptr;
        page.assign(static_cast<const char*>(LockResource(data)), SizeofResource(nullptr, res));
    } else if (!ReadWholeFile(pszUrl, page)) {
        return nullptr;
    }
    // A page of UTF-8 (a mail's HTML part kept as it came) is read as such,
    // so that its text is not broken into stray Shift_JIS pairs.
    std::wstring html = (IsMultiByteUtf8(page.c_str()) ? Utf8ToAnsi(page.c_str()) : CString(page.c_str())).ToWide();
    // The body's content; a page without a BODY is all content.
    std::wstring upper = html;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    size_t open = upper.find(L"<BODY");
    size_t start = open == std::wstring::npos ? 0 : upper.find(L'>', open);
    start = open == std::wstring::npos ? 0 : (start == std::wstring::npos ? html.size() : start + 1);
    size_t end = upper.find(L"</BODY>", start);
    auto doc = std::make_shared<CMemoryHtmlDocument>(
        html.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (open != std::wstring::npos) {
        // The BODY's own attributes (its colour, its background picture).
        auto holder = CMemoryHtmlNode::NewElement(L"HTML");
        CMemoryHtmlNode::ParseInto(holder, html.substr(open, start - open) + L"</BODY>");
        if (!holder->Children().empty() && holder->Children()[0]->GetTagName() == L"BODY")
            doc->m_body->CopyAttributes(*holder->Children()[0]);
        doc->m_beforeBody = html.substr(0, open);
        doc->m_afterBody = end == std::wstring::npos ? std::wstring() : html.substr(end + 7);
        doc->m_bSourceHasBody = true;
    }
    doc->m_source = html;
    doc->m_sourceTree = doc->m_root->GetOuterHtml();
    return doc;
}
