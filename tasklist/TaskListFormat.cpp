#include "tasklist/TaskListFormat.h"

#include "message/AddressList.h"
#include "tasklist/TaskListRecord.h"

namespace {

const char kListTimeFormat[] = "%Y/%m/%d %H:%M";

int Compare64(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

const CString& ShownSubject(const CTaskListRecord& t) { return t.HasMail() ? t.m_strSubject : t.m_strNoticeSubject; }
const CString& ShownSender(const CTaskListRecord& t) { return t.HasMail() ? t.m_strFrom : t.m_strNoticeTo; }

} // namespace

CString FormatDeadlineText(const CTaskListRecord& task, int64_t now)
{
    int64_t s = task.m_tDeadline - now;
    int64_t h = s / 3600;
    int64_t m = (s / 60) % 60;
    int64_t r = h % 24;
    const char* mark = "";
    if (task.m_bNotify)
        mark = task.m_nNotified == 1 ? "【通知済】" : "【未通知】";
    CString d = CTime(task.m_tDeadline).Format(kListTimeFormat);
    CString text;
    if (h < -24) {
        text.Format("%s 《%d日%d時間 経過》 %s", d.GetString(), static_cast<int>(h / -24), static_cast<int>(-r), mark);
    } else if (s <= -60) {
        // Every deadline passed by a minute or more reads as overdue, also
        // when the minute part is 0 (exactly two hours past).
        text.Format("%s 《%d時間%d分 経過》 %s", d.GetString(), static_cast<int>(-h), static_cast<int>(-m), mark);
    } else if (h < 25) {
        text.Format("%s 《%d時間%d分 残り》 %s", d.GetString(), static_cast<int>(h), static_cast<int>(m < 0 ? 0 : m),
                    mark);
    } else {
        text.Format("%s 《%d日%d時間 残り》 %s", d.GetString(), static_cast<int>(h / 24), static_cast<int>(r), mark);
    }
    return text;
}

CString GetTaskColumnText(const CTaskListRecord& task, int nColumn, const CString& folderName)
{
    if (task.HasMail()) {
        switch (nColumn) {
        case 1: return task.m_strSubject;
        case 2: return task.m_strFrom;
        case 3: return CTime(task.m_tSend).Format(kListTimeFormat);
        case 4: return CTime(task.m_tReceive).Format(kListTimeFormat);
        case 5: return folderName;
        default: return CString();
        }
    }
    switch (nColumn) {
    case 1: return task.m_strNoticeSubject;
    case 2: return "⇒ " + task.m_strNoticeTo;
    case 3:
        if (!task.m_bHasDeadline)
            return CString();
        return CTime(task.m_tDeadline - static_cast<int64_t>(task.m_nLeadMinutes) * 60).Format(kListTimeFormat);
    default: return CString();
    }
}

int CompareTasks(const CTaskListRecord& a, const CTaskListRecord& b, int nColumn, const CString& folderA,
                 const CString& folderB)
{
    switch (nColumn) {
    case 0:
        if (a.m_bHasDeadline != b.m_bHasDeadline)
            return a.m_bHasDeadline ? -1 : 1;
        return a.m_bHasDeadline ? Compare64(a.m_tDeadline, b.m_tDeadline) : 0;
    // A free task shows its notice's subject and recipient in these columns.
    case 1: return ShownSubject(a).Compare(ShownSubject(b));
    case 2: return ExtractMailAddress(ShownSender(a)).CompareNoCase(ExtractMailAddress(ShownSender(b)));
    case 3: return Compare64(a.m_tSend, b.m_tSend);
    case 4: return Compare64(a.m_tReceive, b.m_tReceive);
    case 5: return folderA.Compare(folderB);
    default: return 0;
    }
}
