#include "viewer/MailPropertyValues.h"

#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <cstdio>
#include <cstring>

MailDateFields MailDateFields::Parse(const std::string& text)
{
    MailDateFields f;
    if (sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &f.nYear, &f.nMonth, &f.nDay, &f.nHour, &f.nMinute, &f.nSecond) ==
            6 &&
        text.size() >= 19) {
        f.valid = true;
        f.zone = text.substr(19);
    }
    return f;
}

std::string MailDateFields::Format() const
{
    char text[64];
    snprintf(text, sizeof(text), "%04d/%02d/%02d %02d:%02d:%02d", nYear, nMonth, nDay, nHour, nMinute, nSecond);
    return text + zone;
}

bool MailDateFields::SameTime(const MailDateFields& o) const
{
    return nYear == o.nYear && nMonth == o.nMonth && nDay == o.nDay && nHour == o.nHour && nMinute == o.nMinute &&
           nSecond == o.nSecond;
}

bool CMailPropertyValues::IsSubjectEditable(const std::string& charset)
{
    return charset.empty() || _stricmp(charset.c_str(), "ISO-2022-JP") == 0 ||
           _stricmp(charset.c_str(), "csISO2022JP") == 0 || _stricmp(charset.c_str(), "US-ASCII") == 0;
}

CMailPropertyValues CMailPropertyValues::FromRecord(const CMailIndexRecord& record)
{
    CMailPropertyValues v;
    v.subject = record.GetText(CMailIndexRecord::colSubject).Str();
    v.bSubjectEditable = IsSubjectEditable(record.GetText(CMailIndexRecord::colCharset).Str());
    v.sent = MailDateFields::Parse(record.GetText(CMailIndexRecord::colDate).Str());
    v.received = MailDateFields::Parse(record.GetText(CMailIndexRecord::colReceived).Str());
    v.bWaiting = (record.m_nFlags & flagWaiting) != 0;
    v.bReplied = (record.m_nFlags & flagReplied) != 0;
    v.bForwarded = (record.m_nFlags & flagForwarded) != 0;
    v.bProtected = (record.m_nFlags & flagProtected) != 0;
    return v;
}

int CMailPropertyValues::ApplyFlags(int nFlags) const
{
    nFlags &= ~(flagWaiting | flagReplied | flagForwarded | flagProtected);
    if (bWaiting)
        nFlags |= flagWaiting;
    if (bReplied)
        nFlags |= flagReplied;
    if (bForwarded)
        nFlags |= flagForwarded;
    if (bProtected)
        nFlags |= flagProtected;
    return nFlags;
}

bool CMailPropertyValues::DiffersFrom(const CMailIndexRecord& record) const
{
    CMailPropertyValues now = FromRecord(record);
    if (sent.valid && !sent.SameTime(now.sent))
        return true;
    if (received.valid && !received.SameTime(now.received))
        return true;
    if (bSubjectEditable && subject != now.subject)
        return true;
    return ApplyFlags(record.m_nFlags) != record.m_nFlags;
}

bool CMailPropertyValues::SaveTo(CMailIndexRecord* pRecord, CMailListData* pList) const
{
    if (!pRecord || !pList)
        return false;
    if (sent.valid)
        pList->SetSendDateText(pRecord, sent.Format().c_str());
    if (received.valid)
        pList->SetReceiveDateText(pRecord, received.Format().c_str());
    pRecord->ResetDateCache();
    if (bSubjectEditable)
        pRecord->SetText(CMailIndexRecord::colSubject, subject.c_str());
    pList->SetMailFlags(pRecord, ApplyFlags(pRecord->m_nFlags), TRUE);
    return pList->SaveIndex() != FALSE;
}
