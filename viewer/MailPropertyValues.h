// CMailPropertyValues: what the mail properties dialog shows and saves of a
// mail's index record: subject, sent and received date and time (as stored:
// the wall-clock time of the stored text and its zone), and four status
// flags. Window-less: the dialog reads its controls into one of these.
#pragma once

#include <string>

class CMailIndexRecord;
class CMailListData;

struct MailDateFields
{
    int nYear = 0, nMonth = 0, nDay = 0, nHour = 0, nMinute = 0, nSecond = 0;
    std::string zone;  // the rest of the stored text after the time
    bool valid = false;

    // "%Y/%m/%d %H:%M:%S" and the zone after it.
    static MailDateFields Parse(const std::string& text);
    std::string Format() const;
    bool SameTime(const MailDateFields& o) const;
};

class CMailPropertyValues
{
public:
    enum : int { flagWaiting = 0x01, flagReplied = 0x02, flagForwarded = 0x08, flagProtected = 0x40 };

    std::string subject;
    bool bSubjectEditable = true;
    MailDateFields sent;
    MailDateFields received;
    bool bWaiting = false;
    bool bReplied = false;
    bool bForwarded = false;
    bool bProtected = false;

    static CMailPropertyValues FromRecord(const CMailIndexRecord& record);
    // Only mails in ISO-2022-JP, US-ASCII or without a charset have a
    // subject the edit control can hold unchanged.
    static bool IsSubjectEditable(const std::string& charset);
    // The flag word with the four bits of these values.
    int ApplyFlags(int nFlags) const;
    // Whether the values differ from what the record holds.
    bool DiffersFrom(const CMailIndexRecord& record) const;
    // Writes the changed values to the record and the index file.
    bool SaveTo(CMailIndexRecord* pRecord, CMailListData* pList) const;
};
