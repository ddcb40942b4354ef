// The texts and order of the task list window, apart from the window: the
// deadline line with the time left or overdue, the first line's column
// texts, and the comparison behind each sort column.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>

class CTaskListRecord;

// "date 《time left or overdue》 mark" for a task with a deadline.
CString FormatDeadlineText(const CTaskListRecord& task, int64_t now);
// The text of column 1-5 of a task's first line (folder name given).
CString GetTaskColumnText(const CTaskListRecord& task, int nColumn, const CString& folderName);
// Negative, zero or positive as a sorts before, with or after b by the
// column, ascending.
int CompareTasks(const CTaskListRecord& a, const CTaskListRecord& b, int nColumn, const CString& folderA,
                 const CString& folderB);
