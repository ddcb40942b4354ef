// CHtmlTableCellRef: an element reference that holds a cell; invalid when the
// element it was made from is not one.
#pragma once

#include "html/HtmlElementRef.h"

class CHtmlTableCellRef : public CHtmlElementRef
{
public:
    CHtmlTableCellRef() = default;
    explicit CHtmlTableCellRef(const CHtmlElementRef& element)
        : CHtmlElementRef(element.GetNode() && element.GetNode()->IsCell() ? element.GetNode() : nullptr)
    {
    }

    bool IsValid() const override { return m_node && m_node->IsCell(); }
};
