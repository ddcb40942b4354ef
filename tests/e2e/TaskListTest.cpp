// The task list window as a user meets it: opened at start-up, tasks sorted,
// added, edited, completed and removed, a due task announced by a notice mail
// in the shown folder, and the program ending with the window still open.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "resources/tasklist/TasklistResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;

const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n"
                          "TaskListOpenStart=dword:1\r\n\r\n";

// A task made from a mail of the inbox, a free task whose deadline has
// passed (its notice goes into the shown folder) and one in 2040.
const char kTasks[] =
    "1\tQM1715560200123\t見積書の件\t山田 太郎 <yamada@sakura-shoji.co.jp>\tme@corvane.example\t\t"
    "1715560200\t1715560260\t0\t0\t返事を書く\t0\t0\t0\t0\t\t\t\t\r\n"
    "0\t\t\t\t\t\t0\t0\t1\t1715560200\t会議の準備\t1\t15\t0\t0\t定例会議\t\t\t\r\n"
    "0\t\t\t\t\t\t0\t0\t1\t2213593200\t遠い約束\t0\t0\t0\t0\t年賀状\t\t\t\r\n";

HWND WaitForMainWindow(CProgramUnderTest& program)
{
    return program.WaitForMainWindow(kTimeout);
}

using Rows = std::vector<std::string>;

// Reads and selects rows of a list of the program through memory of its own.
class CRemoteList
{
public:
    explicit CRemoteList(HWND list) : m_list(list)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process)
            m_mem = static_cast<char*>(VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    }
    ~CRemoteList()
    {
        if (m_mem)
            VirtualFreeEx(m_process, m_mem, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> out;
        int n = static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n && m_mem; ++i) {
            LVITEMA item = {};
            item.iSubItem = 0;
            item.cchTextMax = 1024;
            item.pszText = m_mem + 1024;
            WriteProcessMemory(m_process, m_mem, &item, sizeof(item), nullptr);
            SendMessageA(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(m_mem));
            char buf[1025] = {};
            ReadProcessMemory(m_process, m_mem + 1024, buf, 1024, nullptr);
            out.push_back(buf);
        }
        return out;
    }
    // A mouse click on the header at x pixels from its left edge.
    void ClickHeader(HWND window, int x)
    {
        // The first click on a window that is not active only activates it:
        // a click on the caption comes first.
        RECT rc = {};
        GetWindowRect(window, &rc);
        SetForegroundWindow(window);
        ClickAt(rc.left + 60, rc.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2);
        HWND header = FindWindowExA(m_list, nullptr, "SysHeader32", nullptr);
        GetWindowRect(header, &rc);
        ClickAt(rc.left + x, rc.top + (rc.bottom - rc.top) / 2);
    }
    static void ClickAt(int x, int y)
    {
        SetCursorPos(x, y);
        Sleep(100);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
        Sleep(200);
    }
    // Selects only the row that shows the text.
    void Select(const std::string& text)
    {
        Rows rows = Texts();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == text)
                Select(static_cast<int>(i));
    }
    // A double-click of the mouse on the row.
    void DoubleClick(const std::string& text)
    {
        Rows rows = Texts();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] != text)
                continue;
            RECT rc = { LVIR_BOUNDS, 0, 0, 0 };
            WriteProcessMemory(m_process, m_mem, &rc, sizeof(rc), nullptr);
            SendMessageA(m_list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(m_mem));
            ReadProcessMemory(m_process, m_mem, &rc, sizeof(rc), nullptr);
            LPARAM at = MAKELPARAM(rc.left + 40, (rc.top + rc.bottom) / 2);
            PostMessageA(m_list, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageA(m_list, WM_LBUTTONUP, 0, at);
            PostMessageA(m_list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageA(m_list, WM_LBUTTONUP, 0, at);
        }
    }
    // Selects only the row.
    void Select(int row)
    {
        SetState(-1, 0);
        SetState(row, LVIS_SELECTED | LVIS_FOCUSED);
    }

private:
    void SetState(int row, UINT state)
    {
        LVITEMA item = {};
        item.state = state;
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        WriteProcessMemory(m_process, m_mem, &item, sizeof(item), nullptr);
        SendMessageA(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(m_mem));
    }

    HWND m_list;
    HANDLE m_process = nullptr;
    char* m_mem = nullptr;
};

::testing::AssertionResult WaitForRows(CRemoteList& list, const Rows& rows)
{
    Rows seen;
    for (int i = 0; i < 100; ++i) {
        seen = list.Texts();
        if (seen == rows)
            return ::testing::AssertionSuccess();
        Sleep(100);
    }
    std::string text;
    for (const std::string& row : seen)
        text += "[" + row + "]";
    return ::testing::AssertionFailure() << "rows " << text;
}

int CountLines(const std::string& text)
{
    int n = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++n;
    return n;
}

// How often the text occurs in the files of the folder tree.
int CountInFiles(const CString& folder, const std::string& needle)
{
    int count = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(folder + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        CString path = folder + "\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            count += CountInFiles(path, needle);
        } else if (name != "TaskList.dat") {
            std::string bytes = TestSupport::ReadFileBytes(path);
            for (size_t at = bytes.find(needle); at != std::string::npos; at = bytes.find(needle, at + 1))
                ++count;
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return count;
}

// The program's top-level windows, for a failure message.
struct WindowList
{
    DWORD pid;
    std::string text;
};
BOOL CALLBACK AddWindow(HWND h, LPARAM p)
{
    auto* list = reinterpret_cast<WindowList*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == list->pid && IsWindowVisible(h)) {
        char cls[64] = {}, text[256] = {};
        GetClassNameA(h, cls, sizeof(cls));
        GetWindowTextA(h, text, sizeof(text));
        list->text += std::string(cls) + " [" + text + "]";
        if (HWND s = FindWindowExA(h, nullptr, "Static", nullptr)) {
            GetWindowTextA(s, text, sizeof(text));
            list->text += std::string(" ") + text;
        }
        list->text += "\n";
    }
    return TRUE;
}
std::string ListWindows(DWORD pid)
{
    WindowList list = { pid, "" };
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&list));
    return list.text;
}

// The program's log files under the folder, for a failure message.
std::string ReadLogs(const CString& folder)
{
    std::string out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(folder + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    do {
        CString name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        CString path = folder + "\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            out += ReadLogs(path);
        else if (name.Right(4).CompareNoCase(".log") == 0)
            out += std::string(path.GetString()) + ":\n" + TestSupport::ReadFileBytes(path) + "\n";
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

// Opens the task input dialog with the button, fills it through fill and
// presses OK.
template <typename Fill>
void RunTaskDialog(CProgramUnderTest& program, HWND window, int button, Fill fill)
{
    E2e::PressButton(window, button);
    HWND dlg = program.WaitForDialogWithControl(IDC_TASK_MEMO, kTimeout);
    ASSERT_NE(dlg, nullptr);
    fill(dlg);
    E2e::PressButton(dlg, IDOK);
    for (int i = 0; i < 100 && IsWindow(dlg); ++i)
        Sleep(100);
    ASSERT_FALSE(IsWindow(dlg));
}

} // namespace

TEST(TaskListWindow, TasksAreShownSortedEditedAddedRemovedAndAnnounced)
{
    TestSupport::TempDir dir;
    CString mailBox = dir.Path() + "\\MailBox";
    CString arguments = "/INI \"/M:" + mailBox + "\"";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    {
        // The first start makes the mailbox.
        CProgramUnderTest program(dir.Path());
        ASSERT_TRUE(program.Start(arguments));
        HWND main = WaitForMainWindow(program);
        ASSERT_NE(main, nullptr);
        if (HWND tasks = program.WaitForWindow("#32770", "タスクリスト", kTimeout))
            PostMessageA(tasks, WM_CLOSE, 0, 0);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(program.WaitForExit(kTimeout), 0);
    }
    const CString taskFile = mailBox + "\\TaskList.dat";
    // The task's mail is a stored mail of the inbox, known by its key.
    std::string tasks = kTasks;
    {
        CFolderRecord inbox = E2e::MailBoxFolderOfKind(mailBox, CFolderRecord::kindInbox);
        CMailFolderStore store;
        store.SetFolderRecord(inbox);
        CString mail = dir.File("mail.eml");
        TestSupport::WriteFileBytes(mail, "From: yamada@sakura-shoji.co.jp\r\nSubject: 見積書の件\r\n\r\n本文\r\n");
        ASSERT_EQ(store.AddNewMailData(mail, "2024/05/13 09:31:00 +0900", FALSE), 1);
        CString key = store.GetMailList()->GetMailRecord(0)->GetText(CMailIndexRecord::colAttachDir);
        store.Close();
        tasks.replace(0, std::string("1\tQM1715560200123").size(),
                      FormatString("%d\t%s", inbox.m_nId, key.GetString()).GetString());
    }
    TestSupport::WriteFileBytes(taskFile, tasks);

    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start(arguments));
    const DWORD started = GetTickCount();
    HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    HWND window = program.WaitForWindow("#32770", "タスクリスト", kTimeout);
    ASSERT_NE(window, nullptr) << "the task list opens at start-up";
    HWND listWnd = GetDlgItem(window, IDC_TASK_LIST);
    CRemoteList list(listWnd);

    // By deadline: the passed one, the one in 2040, then the task without one.
    EXPECT_TRUE(WaitForRows(list, { "定例会議", "年賀状", "見積書の件" }));

    // A click on the subject header sorts by subject, a second click turns it.
    list.ClickHeader(window, 100);
    Sleep(300);
    EXPECT_TRUE(WaitForRows(list, { "見積書の件", "定例会議", "年賀状" }));
    list.ClickHeader(window, 100);
    Sleep(300);
    EXPECT_TRUE(WaitForRows(list, { "年賀状", "定例会議", "見積書の件" }));

    // A note added with the add button.
    RunTaskDialog(program, window, IDC_TASK_ADD, [](HWND dlg) {
        E2e::SetControlText(dlg, IDC_TASK_NOTICE_SUBJECT, "歯医者");
        E2e::SetControlText(dlg, IDC_TASK_MEMO, "予約の電話");
        SendDlgItemMessageA(dlg, IDC_TASK_NOTIFY, BM_SETCHECK, BST_UNCHECKED, 0);
    });
    EXPECT_TRUE(WaitForRows(list, { "年賀状", "定例会議", "歯医者", "見積書の件" }));
    std::string file = TestSupport::ReadFileBytes(taskFile);
    EXPECT_EQ(CountLines(file), 4);
    EXPECT_NE(file.find("\t予約の電話\t0\t0\t0\t0\t歯医者\t"), std::string::npos) << file;

    // The mail's task edited: a new memo, and done (notified).
    list.Select("見積書の件");
    RunTaskDialog(program, window, IDC_TASK_EDIT, [](HWND dlg) {
        EXPECT_EQ(E2e::GetControlText(dlg, IDC_TASK_MAIL_SUBJECT), CString("見積書の件"));
        E2e::SetControlText(dlg, IDC_TASK_MEMO, "返事済み");
        SendDlgItemMessageA(dlg, IDC_TASK_NOTIFIED, BM_SETCHECK, BST_CHECKED, 0);
    });
    for (int i = 0; i < 50 && TestSupport::ReadFileBytes(taskFile).find("返事済み") == std::string::npos; ++i)
        Sleep(100);
    file = TestSupport::ReadFileBytes(taskFile);
    EXPECT_NE(file.find("\t見積書の件\t"), std::string::npos);
    EXPECT_NE(file.find("\t返事済み\t0\t0\t1\t"), std::string::npos) << file;

    // A double-click on the mail's task shows the mail in a viewer window.
    list.DoubleClick("見積書の件");
    HWND viewer = program.WaitForWindow("CVMViewWndClass", nullptr, 20000);
    EXPECT_NE(viewer, nullptr);
    if (viewer)
        PostMessageA(viewer, WM_CLOSE, 0, 0);

    // The far task removed.
    list.Select("年賀状");
    E2e::PressButton(window, IDC_TASK_DELETE);
    EXPECT_TRUE(WaitForRows(list, { "定例会議", "歯医者", "見積書の件" }));
    file = TestSupport::ReadFileBytes(taskFile);
    EXPECT_EQ(CountLines(file), 3);
    EXPECT_EQ(file.find("年賀状"), std::string::npos);

    // The passed deadline is announced at the first minute of the reminder
    // thread, once, by a notice mail in the shown folder.
    const std::string notice = "From: Corvane Mail\r\n";
    for (int i = 0; i < 1200 && TestSupport::ReadFileBytes(taskFile).find("\t1\t15\t1\t0\t") == std::string::npos; ++i)
        Sleep(100);
    EXPECT_NE(TestSupport::ReadFileBytes(taskFile).find("\t会議の準備\t1\t15\t1\t0\t定例会議"), std::string::npos)
        << ReadLogs(mailBox) << ListWindows(program.ProcessId());
    EXPECT_EQ(CountInFiles(mailBox, notice), 1);
    // A later minute announces nothing more.
    while (GetTickCount() - started < 130000)
        Sleep(500);
    EXPECT_EQ(CountInFiles(mailBox, notice), 1);

    // The program ends with the window open, and keeps its place.
    ASSERT_TRUE(IsWindow(window));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeout), 0);
    EXPECT_EQ(CountLines(TestSupport::ReadFileBytes(taskFile)), 3);
    std::string ini = TestSupport::ReadFileBytes(dir.File("CVM.ini"));
    EXPECT_NE(ini.find("TaskListDlgWidth"), std::string::npos);
    EXPECT_NE(ini.find("TaskListWidthSubject"), std::string::npos);
}
