#include "html/HtmlElementRef.h"

#include "html/HtmlTextOps.h"

#include <algorithm>

CHtmlElementRef::CHtmlElementRef(const HtmlNodePtr& node) : CHtmlNodeRef(node && node->IsElement() ? node : nullptr)
{
}

CHtmlElementRef CHtmlElementRef::GetParent() const
{
    return IsValid() ? CHtmlElementRef(m_node->GetParent()) : CHtmlElementRef();
}

CHtmlElementRef CHtmlElementRef::FindAncestor(const char* pszTag) const
{
    std::wstring tag = CString(pszTag).ToWide();
    for (CHtmlElementRef e = *this; e.IsValid(); e = e.GetParent())
        if (e.m_node->GetTagName() == tag)
            return e;
    return CHtmlElementRef();
}

CHtmlElementRef CHtmlElementRef::FindAncestorInList(const char* pszList) const
{
    CString list(pszList ? pszList : "");
    for (CHtmlElementRef e = *this; e.IsValid(); e = e.GetParent())
        if (list.Find("<" + e.GetTagName() + ">") >= 0)
            return e;
    return CHtmlElementRef();
}

std::vector<CHtmlElementRef> CHtmlElementRef::Siblings(bool bAfter) const
{
    std::vector<CHtmlElementRef> out;
    HtmlNodePtr parent = IsValid() ? m_node->GetParent() : nullptr;
    if (!parent)
        return out;
    std::vector<HtmlNodePtr> children = parent->GetChildNodes();
    auto self = std::find(children.begin(), children.end(), m_node);
    if (self == children.end())
        return out;
    if (bAfter) {
        for (auto it = self + 1; it != children.end(); ++it)
            if ((*it)->IsElement())
                out.emplace_back(*it);
    } else {
        for (auto it = std::make_reverse_iterator(self); it != children.rend(); ++it)
            if ((*it)->IsElement())
                out.emplace_back(*it);
    }
    return out;
}

std::vector<CHtmlElementRef> CHtmlElementRef::GetNextSiblings() const
{
    return Siblings(true);
}

std::vector<CHtmlElementRef> CHtmlElementRef::GetPreviousSiblings() const
{
    return Siblings(false);
}

CString CHtmlElementRef::GetTagName() const
{
    return IsValid() ? CString(m_node->GetTagName().c_str()) : CString();
}

CString CHtmlElementRef::GetInnerHtmlEscaped() const
{
    return IsValid() ? ToNarrowWithReferences(m_node->GetInnerHtml().c_str()) : CString();
}

bool CHtmlElementRef::SetInnerHtml(const char* pszHtml)
{
    return IsValid() && m_node->SetInnerHtml(CString(pszHtml ? pszHtml : "").ToWide());
}

bool CHtmlElementRef::SetCellHtml(const char* pszHtml)
{
    return SetInnerHtml("<DIV>" + CString(pszHtml ? pszHtml : "") + "</DIV>");
}

bool CHtmlElementRef::RemoveNode()
{
    return IsValid() && m_node->RemoveNode();
}

CString CHtmlElementRef::GetAttribute(const char* pszName) const
{
    if (!IsValid())
        return CString();
    VARIANT value;
    VariantInit(&value);
    m_node->GetAttribute(CString(pszName).ToWide(), &value);
    CString text = VariantToText(value);
    VariantClear(&value);
    return text;
}

bool CHtmlElementRef::RemoveAttribute(const char* pszName)
{
    return IsValid() && m_node->RemoveAttribute(CString(pszName).ToWide());
}

bool CHtmlElementRef::SetAttribute(const char* pszName, const char* pszValue)
{
    return IsValid() && m_node->SetAttribute(CString(pszName).ToWide(), CString(pszValue).ToWide());
}

int CHtmlElementRef::GetChildCount() const
{
    if (!IsValid())
        return 0;
    std::vector<HtmlNodePtr> children = m_node->GetChildNodes();
    return static_cast<int>(
        std::count_if(children.begin(), children.end(), [](const HtmlNodePtr& c) { return c->IsElement(); }));
}
