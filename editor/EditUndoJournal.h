// CEditUndoJournal: the body control's own undo and redo. After every change
// the control records the whole text and its selection; the journal keeps,
// per step, the lines around the change as they were before and after it,
// and a snapshot of the whole text in the newest step only. Positions are
// the control's character positions (UTF-16 units, a line ending in a
// single CR as the control keeps it).
#pragma once

#include <string>
#include <vector>

class CEditUndoJournal
{
public:
    struct Step
    {
        int nStart = 0, nEnd = 0;
        int nFirstVisible = 0;
        int nUndoCaret = 0, nRedoCaret = 0;
        int nLength = 0;
        std::wstring before, after;
        std::wstring snapshot;
    };
    // What the control does to undo or redo: replace [nStart, nEnd) by
    // text, put the caret at nCaret and scroll to nFirstVisible.
    struct Change
    {
        int nStart = 0, nEnd = 0;
        std::wstring text;
        int nCaret = 0;
        int nFirstVisible = 0;
    };

    void Record(const std::wstring& text, int nSelStart, int nSelEnd, int nFirstVisible);
    bool Undo(const std::wstring& text, Change& change);
    bool Redo(const std::wstring& text, Change& change);
    void Clear();

    bool CanUndo() const { return m_nCurrent >= 1; }
    bool CanRedo() const { return m_nCurrent >= 0 && m_nCurrent + 1 < static_cast<int>(m_steps.size()); }
    int GetStepCount() const { return static_cast<int>(m_steps.size()); }
    // The whole text as the current step saw it (null when empty).
    const std::wstring* GetCurrentText() const
    {
        return m_nCurrent >= 0 ? &m_steps[static_cast<size_t>(m_nCurrent)].snapshot : nullptr;
    }

private:
    std::vector<Step> m_steps;
    int m_nCurrent = -1;
};
