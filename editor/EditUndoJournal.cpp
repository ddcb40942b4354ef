#include "editor/EditUndoJournal.h"

#include <algorithm>

namespace {

bool IsLineEnd(wchar_t c)
{
    return c == L'\r' || c == L'\n';
}

int LineStart(const std::wstring& text, int nPos)
{
    nPos = std::min(std::max(nPos, 0), static_cast<int>(text.size()));
    while (nPos > 0 && !IsLineEnd(text[static_cast<size_t>(nPos) - 1]))
        --nPos;
    return nPos;
}

// The start of the line above the line of nPos (that line's own start on
// the first line).
int PreviousLineStart(const std::wstring& text, int nPos)
{
    int start = LineStart(text, nPos);
    if (start == 0)
        return 0;
    int above = start - 1;
    if (above > 0 && text[static_cast<size_t>(above)] == L'\n' && text[static_cast<size_t>(above) - 1] == L'\r')
        --above;
    return LineStart(text, above);
}

// The start of the line after the line of nPos, or the text's length.
int NextLineStart(const std::wstring& text, int nPos)
{
    size_t i = static_cast<size_t>(std::min(std::max(nPos, 0), static_cast<int>(text.size())));
    while (i < text.size() && !IsLineEnd(text[i]))
        ++i;
    if (i >= text.size())
        return static_cast<int>(text.size());
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
        ++i;
    return static_cast<int>(i + 1);
}

std::wstring Cut(const std::wstring& text, int nStart, int nLength)
{
    if (nStart < 0 || nLength <= 0 || static_cast<size_t>(nStart) >= text.size())
        return std::wstring();
    return text.substr(static_cast<size_t>(nStart), static_cast<size_t>(nLength));
}

} // namespace

void CEditUndoJournal::Clear()
{
    m_steps.clear();
    m_nCurrent = -1;
}

void CEditUndoJournal::Record(const std::wstring& text, int nSelStart, int nSelEnd, int nFirstVisible)
{
    int length = static_cast<int>(text.size());
    nSelStart = std::min(std::max(nSelStart, 0), length);
    nSelEnd = std::min(std::max(nSelEnd, nSelStart), length);
    Step step;
    if (m_nCurrent >= 0) {
        Step& p = m_steps[static_cast<size_t>(m_nCurrent)];
        step.nStart = PreviousLineStart(text, nSelStart);
        step.nEnd = NextLineStart(text, nSelEnd);
        if (step.nStart == step.nEnd)
            step.nStart = PreviousLineStart(text, step.nStart);
        // The same lines before the change, out of the previous snapshot.
        p.after = Cut(text, step.nStart, step.nEnd - step.nStart);
        p.before = Cut(p.snapshot, step.nStart, step.nEnd - step.nStart - (length - p.nLength));
        p.snapshot.clear();
        p.snapshot.shrink_to_fit();
        step.nUndoCaret = length <= p.nLength ? nSelStart : p.nLength - length + nSelEnd;
    } else {
        step.nStart = nSelStart;
        step.nEnd = nSelEnd;
        step.nUndoCaret = nSelStart;
    }
    step.nRedoCaret = nSelEnd;
    step.nLength = length;
    step.nFirstVisible = nFirstVisible;
    step.snapshot = text;
    m_steps.resize(static_cast<size_t>(m_nCurrent + 1));
    m_steps.push_back(std::move(step));
    m_nCurrent = static_cast<int>(m_steps.size()) - 1;
}

bool CEditUndoJournal::Undo(const std::wstring& text, Change& change)
{
    if (m_nCurrent < 1)
        return false;
    Step& c = m_steps[static_cast<size_t>(m_nCurrent)];
    Step& p = m_steps[static_cast<size_t>(m_nCurrent) - 1];
    change.nStart = c.nStart;
    change.nEnd = std::min(c.nEnd, static_cast<int>(text.size()));
    change.text = p.before;
    change.nCaret = c.nUndoCaret;
    change.nFirstVisible = p.nFirstVisible;
    // The snapshot always holds the text as it stands at the current step.
    p.snapshot = text.substr(0, static_cast<size_t>(change.nStart)) + change.text +
                 text.substr(static_cast<size_t>(std::max(change.nEnd, change.nStart)));
    c.snapshot.clear();
    --m_nCurrent;
    return true;
}

bool CEditUndoJournal::Redo(const std::wstring& text, Change& change)
{
    if (!CanRedo())
        return false;
    Step& c = m_steps[static_cast<size_t>(m_nCurrent)];
    Step& n = m_steps[static_cast<size_t>(m_nCurrent) + 1];
    change.nStart = n.nStart;
    change.nEnd = std::min(n.nStart + static_cast<int>(c.before.size()), static_cast<int>(text.size()));
    change.text = c.after;
    change.nCaret = n.nRedoCaret;
    change.nFirstVisible = n.nFirstVisible;
    n.snapshot = text.substr(0, static_cast<size_t>(change.nStart)) + change.text +
                 text.substr(static_cast<size_t>(std::max(change.nEnd, change.nStart)));
    c.snapshot.clear();
    ++m_nCurrent;
    return true;
}
