// CHtmlStyleRef: an element's inline style together with its current
// (computed) style; valid when the element has either.
#pragma once

#include "html/HtmlElementRef.h"

class CHtmlStyleRef
{
public:
    CHtmlStyleRef() = default;
    explicit CHtmlStyleRef(const CHtmlElementRef& element)
        : m_element(element.IsValid() && element.GetNode()->HasStyle() ? element : CHtmlElementRef())
    {
    }

    bool IsValid() const { return m_element.IsValid(); }

private:
    CHtmlElementRef m_element;
};
