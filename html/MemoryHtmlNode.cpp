#include "html/MemoryHtmlNode.h"

#include "html/HtmlCharacterReferences.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

std::wstring Upper(std::wstring s)
{
    for (wchar_t& c : s)
        c = static_cast<wchar_t>(std::towupper(c));
    return s;
}

// Names compared without regard to case, and without copies: every span
// of a table's cells is looked up by name.
bool SameName(const std::wstring& a, const wchar_t* b)
{
    return _wcsicmp(a.c_str(), b) == 0;
}

bool IsVoidTag(const std::wstring& tag)
{
    static const wchar_t* const kVoid[] = { L"BR", L"HR", L"IMG", L"META", L"INPUT", L"LINK", L"COL", L"BASE",
                                            L"AREA", L"PARAM" };
    return std::any_of(std::begin(kVoid), std::end(kVoid), [&](const wchar_t* v) { return tag == v; });
}

bool IsSection(const std::wstring& tag)
{
    return tag == L"TBODY" || tag == L"THEAD" || tag == L"TFOOT";
}

bool IsBlock(const std::wstring& tag)
{
    static const wchar_t* const kBlock[] = { L"DIV", L"P", L"TR", L"LI", L"H1", L"H2", L"H3", L"H4", L"H5",
                                             L"H6", L"TABLE", L"PRE", L"BLOCKQUOTE" };
    return std::any_of(std::begin(kBlock), std::end(kBlock), [&](const wchar_t* v) { return tag == v; });
}

// Text as a reader sees it: white space of the source runs together into
// one blank, blocks and BR break lines, and no line starts or ends blank.
void AppendText(std::wstring& out, const std::wstring& text)
{
    for (wchar_t c : text) {
        bool blank = c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
        if (blank) {
            if (!out.empty() && out.back() != L' ' && out.back() != L'\n')
                out += L' ';
            continue;
        }
        out += c;
    }
}

void BreakLine(std::wstring& out)
{
    while (!out.empty() && out.back() == L' ')
        out.pop_back();
    if (!out.empty() && out.back() != L'\n')
        out += L"\r\n";
}

void CollectText(const CMemoryHtmlNode& node, std::wstring& out)
{
    for (const auto& child : node.Children()) {
        if (!child->IsElement()) {
            AppendText(out, DecodeCharacterReferences(child->GetOuterHtml()));
            continue;
        }
        std::wstring tag = child->GetTagName();
        if (tag == L"BR") {
            while (!out.empty() && out.back() == L' ')
                out.pop_back();
            out += L"\r\n";
            continue;
        }
        if (IsBlock(tag))
            BreakLine(out);
        CollectText(*child, out);
        if (IsBlock(tag))
            BreakLine(out);
    }
}

} // namespace

std::shared_ptr<CMemoryHtmlNode> CMemoryHtmlNode::NewElement(const std::wstring& tag)
{
    auto node = std::make_shared<CMemoryHtmlNode>();
    node->m_tag = Upper(tag);
    return node;
}

std::shared_ptr<CMemoryHtmlNode> CMemoryHtmlNode::NewText(const std::wstring& text)
{
    auto node = std::make_shared<CMemoryHtmlNode>();
    node->m_text = text;
    return node;
}

void CMemoryHtmlNode::ParseInto(const std::shared_ptr<CMemoryHtmlNode>& parent, const std::wstring& html, int index)
{
    std::vector<std::shared_ptr<CMemoryHtmlNode>> stack{ parent };
    int at = index;
    auto add = [&](const std::shared_ptr<CMemoryHtmlNode>& node) {
        if (stack.back() == parent) {
            parent->AppendChild(node, at);
            if (at >= 0)
                ++at;
        } else {
            stack.back()->AppendChild(node);
        }
    };
    auto popWhile = [&](std::initializer_list<const wchar_t*> tags) {
        while (stack.size() > 1 &&
               std::any_of(tags.begin(), tags.end(), [&](const wchar_t* t) { return stack.back()->m_tag == t; }))
            stack.pop_back();
    };
    const size_t n = html.size();
    size_t i = 0;
    while (i < n) {
        if (html[i] == L'<' && i + 1 < n) {
            if (html.compare(i, 4, L"<!--") == 0) {
                size_t end = html.find(L"-->", i + 4);
                i = end == std::wstring::npos ? n : end + 3;
                continue;
            }
            if (html[i + 1] == L'!' || html[i + 1] == L'?') {
                size_t end = html.find(L'>', i);
                i = end == std::wstring::npos ? n : end + 1;
                continue;
            }
            if (html[i + 1] == L'/') {
                size_t end = html.find(L'>', i);
                if (end == std::wstring::npos)
                    end = n;
                std::wstring name = html.substr(i + 2, end - i - 2);
                name.erase(std::remove_if(name.begin(), name.end(), [](wchar_t c) { return std::iswspace(c); }),
                           name.end());
                name = Upper(name);
                i = end < n ? end + 1 : n;
                for (size_t k = stack.size(); k-- > 1;) {
                    if (stack[k]->m_tag == name) {
                        stack.resize(k);
                        break;
                    }
                }
                continue;
            }
            if (std::iswalpha(html[i + 1])) {
                size_t p = i + 1;
                while (p < n && !std::iswspace(html[p]) && html[p] != L'>' && html[p] != L'/')
                    ++p;
                auto element = NewElement(html.substr(i + 1, p - i - 1));
                bool selfClosed = false;
                while (p < n && html[p] != L'>') {
                    if (std::iswspace(html[p])) {
                        ++p;
                        continue;
                    }
                    if (html[p] == L'/') {
                        selfClosed = true;
                        ++p;
                        continue;
                    }
                    size_t q = p;
                    while (q < n && !std::iswspace(html[q]) && html[q] != L'=' && html[q] != L'>' && html[q] != L'/')
                        ++q;
                    std::wstring name = html.substr(p, q - p);
                    std::wstring value;
                    while (q < n && std::iswspace(html[q]))
                        ++q;
                    if (q < n && html[q] == L'=') {
                        ++q;
                        while (q < n && std::iswspace(html[q]))
                            ++q;
                        if (q < n && (html[q] == L'"' || html[q] == L'\'')) {
                            wchar_t quote = html[q];
                            size_t end = html.find(quote, q + 1);
                            if (end == std::wstring::npos)
                                end = n;
                            value = html.substr(q + 1, end - q - 1);
                            q = end < n ? end + 1 : n;
                        } else {
                            size_t start = q;
                            while (q < n && !std::iswspace(html[q]) && html[q] != L'>')
                                ++q;
                            value = html.substr(start, q - start);
                        }
                    }
                    if (q == p)
                        ++q;
                    else if (!name.empty())
                        element->m_attributes.emplace_back(name, value);
                    p = q;
                }
                i = p < n ? p + 1 : n;
                selfClosed = selfClosed && p > 0 && html[p - 1] == L'/';
                const std::wstring& tag = element->m_tag;
                // Rows stand in a table section and cells end the cell before
                // them, as an engine builds the tree from such markup.
                if (tag == L"TD" || tag == L"TH")
                    popWhile({ L"TD", L"TH" });
                if (tag == L"TR")
                    popWhile({ L"TD", L"TH", L"TR" });
                if (tag == L"TR" && stack.back()->m_tag == L"TABLE") {
                    auto section = NewElement(L"TBODY");
                    add(section);
                    stack.push_back(section);
                }
                add(element);
                if (!IsVoidTag(tag) && !selfClosed)
                    stack.push_back(element);
                continue;
            }
        }
        size_t end = html.find(L'<', i + 1);
        if (end == std::wstring::npos)
            end = n;
        add(NewText(html.substr(i, end - i)));
        i = end;
    }
}

std::vector<HtmlNodePtr> CMemoryHtmlNode::GetChildNodes() const
{
    return std::vector<HtmlNodePtr>(m_children.begin(), m_children.end());
}

std::wstring CMemoryHtmlNode::GetOuterHtml() const
{
    if (!IsElement())
        return m_text;
    std::wstring html = L"<" + m_tag;
    for (const auto& a : m_attributes)
        html += L" " + a.first + L"=\"" + a.second + L"\"";
    html += L">";
    if (IsVoidTag(m_tag))
        return html;
    return html + GetInnerHtml() + L"</" + m_tag + L">";
}

std::wstring CMemoryHtmlNode::GetInnerHtml() const
{
    std::wstring html;
    for (const auto& child : m_children)
        html += child->GetOuterHtml();
    return html;
}

bool CMemoryHtmlNode::SetInnerHtml(const std::wstring& html)
{
    if (!IsElement() || IsVoidTag(m_tag))
        return false;
    while (!m_children.empty())
        m_children.back()->Detach();
    ParseInto(shared_from_this(), html);
    return true;
}

std::wstring CMemoryHtmlNode::GetInnerText() const
{
    std::wstring text;
    CollectText(*this, text);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text;
}

bool CMemoryHtmlNode::RemoveNode()
{
    if (m_parent.expired())
        return false;
    Detach();
    return true;
}

void CMemoryHtmlNode::Detach()
{
    auto parent = m_parent.lock();
    if (!parent)
        return;
    // The parent's list may hold the last reference to this node.
    auto self = shared_from_this();
    auto& siblings = parent->m_children;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == this; }),
                   siblings.end());
    m_parent.reset();
}

void CMemoryHtmlNode::AppendChild(const std::shared_ptr<CMemoryHtmlNode>& child, int index)
{
    child->Detach();
    child->m_parent = shared_from_this();
    if (index < 0 || index > static_cast<int>(m_children.size()))
        m_children.push_back(child);
    else
        m_children.insert(m_children.begin() + index, child);
}

bool CMemoryHtmlNode::GetAttribute(const std::wstring& name, VARIANT* value) const
{
    VariantInit(value);
    for (const auto& a : m_attributes) {
        if (!SameName(a.first, name.c_str()))
            continue;
        if (SameName(name, L"colspan") || SameName(name, L"rowspan")) {
            value->vt = VT_I4;
            value->lVal = _wtoi(a.second.c_str());
        } else {
            value->vt = VT_BSTR;
            value->bstrVal = SysAllocString(a.second.c_str());
        }
        return true;
    }
    return false;
}

bool CMemoryHtmlNode::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (!IsElement())
        return false;
    for (auto& a : m_attributes) {
        if (SameName(a.first, name.c_str())) {
            a.second = value;
            return true;
        }
    }
    m_attributes.emplace_back(name, value);
    return true;
}

bool CMemoryHtmlNode::RemoveAttribute(const std::wstring& name)
{
    auto at = std::find_if(m_attributes.begin(), m_attributes.end(),
                           [&](const auto& a) { return SameName(a.first, name.c_str()); });
    if (at == m_attributes.end())
        return false;
    m_attributes.erase(at);
    return true;
}

std::vector<std::shared_ptr<CMemoryHtmlNode>> CMemoryHtmlNode::Rows() const
{
    std::vector<std::shared_ptr<CMemoryHtmlNode>> rows;
    if (!IsTable())
        return rows;
    for (const auto& child : m_children) {
        if (child->m_tag == L"TR")
            rows.push_back(child);
        else if (IsSection(child->m_tag))
            for (const auto& row : child->m_children)
                if (row->m_tag == L"TR")
                    rows.push_back(row);
    }
    return rows;
}

std::vector<std::shared_ptr<CMemoryHtmlNode>> CMemoryHtmlNode::Cells() const
{
    std::vector<std::shared_ptr<CMemoryHtmlNode>> cells;
    if (IsRow())
        for (const auto& child : m_children)
            if (child->IsCell())
                cells.push_back(child);
    return cells;
}

std::vector<HtmlNodePtr> CMemoryHtmlNode::GetRows() const
{
    auto rows = Rows();
    return std::vector<HtmlNodePtr>(rows.begin(), rows.end());
}

HtmlNodePtr CMemoryHtmlNode::GetRow(int index) const
{
    auto rows = Rows();
    return index >= 0 && index < static_cast<int>(rows.size()) ? rows[index] : nullptr;
}

namespace {

int ChildIndex(const CMemoryHtmlNode& parent, const CMemoryHtmlNode* child)
{
    const auto& children = parent.Children();
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i].get() == child)
            return static_cast<int>(i);
    return -1;
}

} // namespace

HtmlNodePtr CMemoryHtmlNode::InsertRow(int index)
{
    auto rows = Rows();
    if (!IsTable() || index < 0 || index > static_cast<int>(rows.size()))
        return nullptr;
    auto row = NewElement(L"TR");
    if (index < static_cast<int>(rows.size())) {
        auto parent = rows[index]->m_parent.lock();
        parent->AppendChild(row, ChildIndex(*parent, rows[index].get()));
    } else if (!rows.empty()) {
        rows.back()->m_parent.lock()->AppendChild(row);
    } else {
        auto section = NewElement(L"TBODY");
        AppendChild(section);
        section->AppendChild(row);
    }
    return row;
}

bool CMemoryHtmlNode::DeleteRow(int index)
{
    auto row = GetRow(index);
    return row && row->RemoveNode();
}

int CMemoryHtmlNode::GetRowIndex() const
{
    if (!IsRow())
        return -1;
    auto parent = m_parent.lock();
    if (parent && IsSection(parent->m_tag))
        parent = parent->m_parent.lock();
    if (!parent || !parent->IsTable())
        return -1;
    auto rows = parent->Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

std::vector<HtmlNodePtr> CMemoryHtmlNode::GetCells() const
{
    auto cells = Cells();
    return std::vector<HtmlNodePtr>(cells.begin(), cells.end());
}

HtmlNodePtr CMemoryHtmlNode::GetCell(int index) const
{
    auto cells = Cells();
    return index >= 0 && index < static_cast<int>(cells.size()) ? cells[index] : nullptr;
}

HtmlNodePtr CMemoryHtmlNode::InsertCell(int index)
{
    auto cells = Cells();
    if (!IsRow() || index < 0 || index > static_cast<int>(cells.size()))
        return nullptr;
    auto cell = NewElement(L"TD");
    AppendChild(cell, index < static_cast<int>(cells.size()) ? ChildIndex(*this, cells[index].get()) : -1);
    return cell;
}

bool CMemoryHtmlNode::DeleteCell(int index)
{
    auto cell = GetCell(index);
    return cell && cell->RemoveNode();
}

int CMemoryHtmlNode::Span(const wchar_t* name, int nLimit) const
{
    for (const auto& a : m_attributes) {
        if (SameName(a.first, name))
            return ClampSpan(std::wcstoll(a.second.c_str(), nullptr, 10), nLimit);
    }
    return 1;
}

bool CMemoryHtmlNode::SetColSpan(int span)
{
    return IsCell() && span >= 1 && SetAttribute(L"colSpan", std::to_wstring(span));
}
