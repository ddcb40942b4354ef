#include "mainwnd/MailSearchMatcher.h"

#include "core/DateTimeUtil.h"
#include "mainwnd/MailSearchText.h"
#include "message/DotStuffer.h"
#include "message/MimeCodec.h"
#include "store/MailIndexRecord.h"
#include "viewer/ShownMailText.h"

using MailSearchText::AppendLower;
using MailSearchText::MatchKeywords;

CMailSearchMatcher::CMailSearchMatcher(const CMailSearchCondition& condition)
    : m_condition(condition), m_bAny(condition.nMethod == CMailSearchCondition::methodAny)
{
    m_sender = MailSearchText::SplitKeywords(condition.strSender);
    m_recipients = MailSearchText::SplitKeywords(condition.strRecipients);
    m_subject = MailSearchText::SplitKeywords(condition.strSubject);
    m_body = MailSearchText::SplitKeywords(condition.strBody);
    size_t wide = 0;
    for (const std::string& k : m_body)
        wide += MailSearchText::IsNonAscii(k) ? 1 : 0;
    m_bBodyNeedsWide = condition.bBodyAll ? wide > 0 : (wide > 0 && wide == m_body.size());
    m_bDates = condition.HasDateRange();
    if (m_bDates)
        condition.GetDateRange(m_from, m_to);
}

bool CMailSearchMatcher::HasAnyCondition() const
{
    return !m_sender.empty() || !m_recipients.empty() || !m_subject.empty() || !m_body.empty() || m_bDates ||
           m_condition.bBookmark || m_condition.bColorLabel || m_condition.HasAttachPattern();
}

bool CMailSearchMatcher::IsOpen(int state) const
{
    return state == undecided || (!m_bAny && state == matched) || (m_bAny && state != matched);
}

void CMailSearchMatcher::ApplyText(int& state, bool bGiven, bool bMatch) const
{
    if (!bGiven)
        return;
    if (bMatch)
        state = matched;
    else if (!m_bAny)
        state = notMatched;
}

bool CMailSearchMatcher::Matches(CMailIndexRecord& record, const MailAccess& access) const
{
    int state = undecided;
    std::string text;
    auto field = [&](const CString& value) -> const std::string& {
        text.clear();
        AppendLower(text, value.GetString(), static_cast<size_t>(value.GetLength()));
        return text;
    };
    if (!m_sender.empty() && IsOpen(state))
        ApplyText(state, true,
                  MatchKeywords(field(record.GetText(CMailIndexRecord::colFrom)), m_sender, m_condition.bSenderAll != 0));
    if (!m_recipients.empty() && IsOpen(state)) {
        CString to = record.GetText(CMailIndexRecord::colTo);
        if (m_condition.bIncludeCc)
            to += " " + record.GetText(CMailIndexRecord::colCc);
        ApplyText(state, true, MatchKeywords(field(to), m_recipients, m_condition.bRecipientsAll != 0));
    }
    if (!m_subject.empty() && IsOpen(state))
        ApplyText(state, true,
                  MatchKeywords(field(record.GetText(CMailIndexRecord::colSubject)), m_subject,
                                m_condition.bSubjectAll != 0));
    if (!m_body.empty() && IsOpen(state)) {
        std::string entry;
        bool found = false;
        if (access.readEntry && access.readEntry(entry) &&
            (!m_bBodyNeedsWide || MailSearchText::MayHoldNonAscii(entry.data(), entry.size()))) {
            SearchText(entry, m_condition.bIncludeHeader != 0, text);
            found = MatchKeywords(text, m_body, m_condition.bBodyAll != 0);
        }
        ApplyText(state, true, found);
    }
    if (m_bDates && IsOpen(state)) {
        int64_t date = m_condition.nDateKind == CMailSearchCondition::dateReceived
                           ? record.GetReceiveTime() - GetTimeZoneBias()
                           : record.GetSendLocalTime();
        bool inside = m_from <= date && date < m_to;
        if (m_bAny)
            state = inside ? matched : notMatched;
        else if (!inside)
            return false;
        else
            state = matched;
    }
    if (m_condition.bBookmark && IsOpen(state))
        state = record.m_nBookmark > 0 ? matched : notMatched;
    if (m_condition.bColorLabel && IsOpen(state)) {
        // Black is a colour value of 0, as is the colour of a mail without a
        // label: only labelled mails can be black.
        bool hit = m_condition.bLabelAuto ? record.m_nLabel == 0
                                          : record.m_nLabel != 0 && record.GetLabelColor() == m_condition.crLabel;
        state = hit ? matched : notMatched;
    }
    if (m_condition.HasAttachPattern()) {
        if (state != undecided) {
            if (m_bAny && state == matched)
                return true;
            if (!m_bAny && state == notMatched)
                return false;
        }
        if (!record.m_bAttach)
            return false;
        if (m_condition.AnyAttachment())
            return true;
        return access.hasAttachFile && access.hasAttachFile(m_condition.strAttachPattern);
    }
    return state == matched;
}

void CMailSearchMatcher::SearchText(const std::string& entry, bool bIncludeHeader, std::string& out)
{
    out.clear();
    // The stored body: transfer encodings and charsets undone; an HTML-only
    // mail has the text of its HTML only when the option made it its body.
    CShownMailText shown;
    shown.Load(entry.data(), entry.size(), CShownMailText::htmlNever);
    if (bIncludeHeader) {
        CMimeCodec codec;
        CString decoded = codec.DecodeHeaderText(shown.HeaderText().c_str());
        MailSearchText::AppendJoinedLines(out, decoded.GetString(), static_cast<size_t>(decoded.GetLength()));
        out += ' ';
    }
    // The stored body keeps its leading dots doubled.
    std::string plain = CDotStuffer::Undo(shown.Body());
    MailSearchText::AppendJoinedLines(out, plain.data(), plain.size());
}
