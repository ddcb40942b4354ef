// CHtmlNodeRef: a counted reference to one node of the edited document;
// copies share the node, the last one lets it go.
#pragma once

#include "html/HtmlEngine.h"

class CHtmlNodeRef
{
public:
    CHtmlNodeRef() = default;
    explicit CHtmlNodeRef(HtmlNodePtr node) : m_node(std::move(node)) {}
    virtual ~CHtmlNodeRef() = default;

    virtual bool IsValid() const { return m_node != nullptr; }
    const HtmlNodePtr& GetNode() const { return m_node; }

protected:
    HtmlNodePtr m_node;
};
