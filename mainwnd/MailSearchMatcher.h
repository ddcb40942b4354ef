// CMailSearchMatcher: decides whether one stored mail matches a search
// condition. Sender, recipients and subject come from the mail's index
// record; the body is read only when the decision still depends on it, and
// is searched as the reader decodes it (transfer encodings and charsets
// undone), so a word is found however the mail carries it.
#pragma once

#include "mainwnd/MailSearchCondition.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CMailIndexRecord;

class CMailSearchMatcher
{
public:
    // What the matcher reads of a mail beyond its record: the stored entry
    // (name line, header, body as filed) and whether a file matching a
    // pattern lies in its attachment folder.
    struct MailAccess
    {
        std::function<bool(std::string& entry)> readEntry;
        std::function<bool(const char* pszPattern)> hasAttachFile;
    };

    explicit CMailSearchMatcher(const CMailSearchCondition& condition);

    // Whether the condition asks for anything at all.
    bool HasAnyCondition() const;
    bool Matches(CMailIndexRecord& record, const MailAccess& access) const;

    // The text the body condition searches in a stored entry, lower-cased
    // with its line breaks undone: the body as the mail view shows it (the
    // text of the HTML when the mail has no plain text), after the decoded
    // header with bIncludeHeader.
    static void SearchText(const std::string& entry, bool bIncludeHeader, std::string& out);

private:
    // Decision states.
    enum { undecided = -1, notMatched = 0, matched = 1 };
    bool IsOpen(int state) const;
    void ApplyText(int& state, bool bGiven, bool bMatch) const;

    CMailSearchCondition m_condition;
    bool m_bAny;
    std::vector<std::string> m_sender, m_recipients, m_subject, m_body;
    // Whether the body condition fails for every mail that decodes to ASCII
    // only (each keyword of And, or every keyword of Or, is not ASCII).
    bool m_bBodyNeedsWide = false;
    bool m_bDates = false;
    int64_t m_from = 0, m_to = 0;
};
