// CHtmlTableRef: an element reference that holds a table; invalid when the
// element it was made from is not one.
#pragma once

#include "html/HtmlElementRef.h"

class CHtmlTableRef : public CHtmlElementRef
{
public:
    CHtmlTableRef() = default;
    explicit CHtmlTableRef(const CHtmlElementRef& element)
        : CHtmlElementRef(element.GetNode() && element.GetNode()->IsTable() ? element.GetNode() : nullptr)
    {
    }

    bool IsValid() const override { return m_node && m_node->IsTable(); }
};
