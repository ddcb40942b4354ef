// CHtmlElementRef: a reference to one element of the edited document with
// the element operations the HTML editing view and its table commands use.
// Texts cross in the program's narrow strings; what the code page cannot
// hold comes out as character references.
#pragma once

#include "classlib/ClassLib.h"
#include "html/HtmlNodeRef.h"

#include <vector>

class CHtmlElementRef : public CHtmlNodeRef
{
public:
    CHtmlElementRef() = default;
    // Holds the node only when it is an element.
    explicit CHtmlElementRef(const HtmlNodePtr& node);

    bool IsValid() const override { return m_node && m_node->IsElement(); }

    CHtmlElementRef GetParent() const;
    // The element itself or its nearest ancestor whose tag name is the
    // upper-case name exactly.
    CHtmlElementRef FindAncestor(const char* pszTag) const;
    // The same for any tag that, written as "<%s>", occurs in the list.
    CHtmlElementRef FindAncestorInList(const char* pszList) const;
    // The element siblings after the element in order, and before it
    // nearest first; text between them is skipped.
    std::vector<CHtmlElementRef> GetNextSiblings() const;
    std::vector<CHtmlElementRef> GetPreviousSiblings() const;
    CString GetTagName() const;
    CString GetInnerHtmlEscaped() const;
    bool SetInnerHtml(const char* pszHtml);
    // The text as the element's content, in one DIV.
    bool SetCellHtml(const char* pszHtml);
    bool RemoveNode();
    CString GetAttribute(const char* pszName) const;
    bool RemoveAttribute(const char* pszName);
    bool SetAttribute(const char* pszName, const char* pszValue);
    int GetChildCount() const;

private:
    std::vector<CHtmlElementRef> Siblings(bool bAfter) const;
};
