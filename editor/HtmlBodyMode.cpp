#include "editor/HtmlBodyMode.h"

CHtmlBodyMode::Step CHtmlBodyMode::ToggleTextEdit()
{
    if (!m_bHtml)
        return stepNone;
    if (!m_bTextEdit)
        return stepAskEnter;
    m_bTextEdit = false;
    return stepShowHtml;
}

void CHtmlBodyMode::EnterTextEdit()
{
    if (!m_bHtml)
        return;
    m_bTextEdit = true;
    m_bOwnTextPart = true;
}

void CHtmlBodyMode::KeepTextPart()
{
    if (m_bHtml)
        m_bOwnTextPart = true;
}
