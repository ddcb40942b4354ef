// CHtmlTableRowRef: an element reference that holds a row; invalid when the
// element it was made from is not one.
#pragma once

#include "html/HtmlElementRef.h"

class CHtmlTableRowRef : public CHtmlElementRef
{
public:
    CHtmlTableRowRef() = default;
    explicit CHtmlTableRowRef(const CHtmlElementRef& element)
        : CHtmlElementRef(element.GetNode() && element.GetNode()->IsRow() ? element.GetNode() : nullptr)
    {
    }

    bool IsValid() const override { return m_node && m_node->IsRow(); }
};
