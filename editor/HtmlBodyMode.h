// CHtmlBodyMode: which body an editor window shows and which text goes out
// as the text part of an HTML mail. An HTML mail is written in the HTML
// view; its text-edit mode shows the text body in that view's place, where
// the user writes the text part readers without HTML see. Until the user
// has done so, the text part is the HTML's own text.
#pragma once

class CHtmlBodyMode
{
public:
    // What switching text-edit on or off asks of the window.
    enum Step
    {
        stepNone,       // not an HTML mail: nothing to switch
        stepAskEnter,   // ask whether the text is made from the HTML, then Enter
        stepShowHtml,   // text-edit is off again: the HTML view comes back
    };

    bool IsHtml() const { return m_bHtml; }
    bool IsTextEditing() const { return m_bTextEdit; }
    // The HTML view is shown in the body's place.
    bool ShowsHtmlView() const { return m_bHtml && !m_bTextEdit; }
    // The text body is shown (a text mail, or an HTML mail being text-edited).
    bool ShowsTextBody() const { return !ShowsHtmlView(); }
    // An HTML mail whose text part is the text body the user wrote.
    bool TextPartIsBody() const { return m_bHtml && m_bOwnTextPart; }

    void EnterHtml() { m_bHtml = true; }
    // Back to a text mail: its text body is the mail again.
    void LeaveHtml() { m_bHtml = m_bTextEdit = m_bOwnTextPart = false; }
    Step ToggleTextEdit();
    // After the question: from now on the text body is the text part.
    void EnterTextEdit();
    // A stored HTML mail opened again whose text part is not the HTML's own
    // text: the user wrote it, and it goes out again as it is.
    void KeepTextPart();

private:
    bool m_bHtml = false;
    bool m_bTextEdit = false;
    bool m_bOwnTextPart = false;
};
