/* A plug-in module written in C, as outside authors write them. It records
   the events it receives and walks the client's API table by index. Built
   three times: accepted, refusing the client's version (REFUSE_VERSION) and
   without a name (NO_NAME). */
#include "plugin/PlugInInterface.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __declspec(dllexport)

static char g_log[4096];
static HMODULE g_self;
static DWORD g_mainThread;

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = hInstance;
        g_mainThread = GetCurrentThreadId();
    }
    return TRUE;
}

/* Also kept in "PlugInEvents.log" beside the module, for a test that sees
   the client only from outside. */
static void NoteInFile(const char* text)
{
    char path[MAX_PATH];
    char* slash;
    FILE* f;
    GetModuleFileNameA(g_self, path, sizeof(path));
    slash = strrchr(path, '\\');
    if (!slash)
        return;
    strcpy(slash + 1, "PlugInEvents.log");
    f = fopen(path, "ab");
    if (f) {
        fprintf(f, "%s\n", text);
        fclose(f);
    }
}

static void Note(const char* text)
{
    size_t used = strlen(g_log);
    NoteInFile(text);
    if (used + strlen(text) + 2 < sizeof(g_log)) {
        strcat(g_log, text);
        strcat(g_log, "\n");
    }
}

#ifndef NO_NAME
EXPORT const char* GetPlugInName(void)
{
    return "Test plug-in";
}
#endif

EXPORT int CheckQuendalVersion(int major, int minor, int third, int fourth)
{
    char line[80];
    sprintf(line, "version %d.%d.%d.%d", major, minor, third, fourth);
    Note(line);
#ifdef REFUSE_VERSION
    return 0;
#else
    return 1;
#endif
}

static void Command(void);
static void RunRequest(void);
static void RunWindowCalls(void);

/* In a running client the plug-in adds its menu commands at start-up. */
EXPORT void OnQuendalInitPlugIn(void)
{
    QdGetApiFunc get = (QdGetApiFunc)(void*)GetProcAddress(GetModuleHandleA(NULL), "GetQuendalAPI");
    void* api = get ? get() : NULL;
    typedef BOOL (*AddMenu)(void*, HMODULE, LPARAM, UINT, const char*, const char*, QdCommandFunc, LPARAM, LPARAM,
                            LPARAM);
    Note("init");
    if (api) {
        ((AddMenu)((*(void***)api)[QD_AddPlugInMenu]))(api, g_self, 0, MF_STRING, "試験コマンド", "試験のプロンプト",
                                                       Command, 0, 0, 0);
        ((AddMenu)((*(void***)api)[QD_AddPlugInMenu]))(api, g_self, 0, MF_STRING, "依頼を実行", "", RunRequest, 0, 0,
                                                       0);
        ((AddMenu)((*(void***)api)[QD_AddPlugInMenu]))(api, g_self, 0, MF_STRING, "画面を操作", "", RunWindowCalls,
                                                       0, 0, 0);
    }
}
EXPORT void OnEndMailDownload(HWND hWnd, int count)
{
    char line[80];
    sprintf(line, "download %d %d", hWnd ? 1 : 0, count);
    Note(line);
}
EXPORT void OnNotifyReceive(HWND hWnd, int count)
{
    char line[80];
    sprintf(line, "notify %d %d", hWnd ? 1 : 0, count);
    Note(line);
}
EXPORT void OnCloseMainWnd(void) { Note("close"); }
EXPORT void OnUnload(void) { Note("unload"); }

EXPORT const char* GetEventLog(void) { return g_log; }
EXPORT void ResetEventLog(void) { g_log[0] = '\0'; }

/* ---- Walking the API table ---- */

static void* g_api;
static char* g_out;
static size_t g_outSize;

#define SLOT(i, type) ((type)((*(void***)g_api)[i]))

static void Put(int slot, const char* fmt, ...)
{
    char line[600];
    va_list args;
    int n = sprintf(line, "%d=", slot);
    va_start(args, fmt);
    vsnprintf(line + n, sizeof(line) - (size_t)n, fmt, args);
    va_end(args);
    if (strlen(g_out) + strlen(line) + 2 < g_outSize) {
        strcat(g_out, line);
        strcat(g_out, "\n");
    }
}

static void Command(void)
{
    char line[64];
    sprintf(line, "command on %s thread", GetCurrentThreadId() == g_mainThread ? "the main" : "another");
    Note(line);
}

/* Reads a line of "PlugInRequest.txt" beside the module, without its line end. */
static void ReadLine(FILE* f, char* out, int size)
{
    out[0] = '\0';
    if (fgets(out, size, f))
        out[strcspn(out, "\r\n")] = '\0';
}

/* The second command: receives the account named in "PlugInRequest.txt",
   waits for the receive to end, then opens the mail of the folder id and
   key given on the next lines. */
static void RunRequest(void)
{
    QdGetApiFunc get = (QdGetApiFunc)(void*)GetProcAddress(GetModuleHandleA(NULL), "GetQuendalAPI");
    void* api = get ? get() : NULL;
    char path[MAX_PATH], account[128], folder[32], key[128], line[200];
    FILE* f;
    HANDLE h;
    GetModuleFileNameA(g_self, path, sizeof(path));
    strcpy(strrchr(path, '\\') + 1, "PlugInRequest.txt");
    f = fopen(path, "rb");
    if (!f || !api) {
        Note("no request");
        if (f)
            fclose(f);
        return;
    }
    ReadLine(f, account, sizeof(account));
    ReadLine(f, folder, sizeof(folder));
    ReadLine(f, key, sizeof(key));
    fclose(f);
    h = ((HANDLE (*)(void*, const char*, BOOL, BOOL))((*(void***)api)[QD_ReceiveAccount]))(api, account, 0, 1);
    sprintf(line, "receive %d", h != NULL);
    Note(line);
    if (h) {
        sprintf(line, "received %d", WaitForSingleObject(h, 60000) == WAIT_OBJECT_0);
        CloseHandle(h);
        Note(line);
    }
    sprintf(line, "open %d",
            ((BOOL (*)(void*, int, const char*, BOOL))((*(void***)api)[QD_OpenMail]))(api, atoi(folder), key, 0) & 0xFF);
    Note(line);
}

static int CALLBACK HeaderField(const char* name, const char* value, LPARAM user)
{
    char* seen = (char*)user;
    strcat(seen, name);
    strcat(seen, ":");
    strcat(seen, value);
    strcat(seen, ";");
    return strcmp(name, "Subject") != 0; /* stops after Subject */
}

static void CALLBACK GroupAddress(const char* name, const char* address, const char* memo, LPARAM value,
                                  LPARAM user)
{
    (void)memo;
    (void)value;
    strcat((char*)user, name);
    strcat((char*)user, "<");
    strcat((char*)user, address);
    strcat((char*)user, ">;");
}

/* Calls slots 0 to 46 in order with the arguments the test expects and
   writes one line per slot into out. The last slot, the destructor, is left
   to the test. */
EXPORT int RunApiTable(HMODULE self, char* out, int size)
{
    QdGetApiFunc get = (QdGetApiFunc)(void*)GetProcAddress(GetModuleHandleA(NULL), "GetQuendalAPI");
    char buf[300];
    char seen[300];
    WORD v[4] = { 9, 9, 9, 9 };
    SYSTEMTIME st;
    QdMailInfo info;
    g_out = out;
    g_outSize = (size_t)size;
    out[0] = '\0';
    if (!get || !(g_api = get()))
        return 0;

    Put(0, "%d", SLOT(0, HWND (*)(void*))(g_api) != NULL);
    Put(1, "%d%d%d%d", SLOT(1, int (*)(void*, BYTE, BYTE))(g_api, 0x81, 0x40),
        SLOT(1, int (*)(void*, BYTE, BYTE))(g_api, 0x81, 0x41), SLOT(1, int (*)(void*, BYTE, BYTE))(g_api, 9, 'x'),
        SLOT(1, int (*)(void*, BYTE, BYTE))(g_api, 32, 0));
    Put(2, "[%s]", SLOT(2, const char* (*)(void*, const char*))(g_api, " \t abc"));
    SLOT(3, void (*)(void*))(g_api);
    Put(3, "returned");
    SLOT(7, void (*)(void*, const char*, const char*, const char*, int))(g_api, "Tester", "", "Count", 42);
    SLOT(8, void (*)(void*, const char*, const char*, const char*, const char*))(g_api, "Tester", "Sub", "Name",
                                                                                   "ABCDEFGH");
    Put(4, "%d %d %d", SLOT(4, int (*)(void*, const char*, const char*, const char*, int))(g_api, "Tester", "", "Count", 5),
        SLOT(4, int (*)(void*, const char*, const char*, const char*, int))(g_api, "Tester", "Sub", "Count", 5),
        SLOT(4, int (*)(void*, const char*, const char*, const char*, int))(g_api, "Other", "", "Count", 5));
    Put(5, "%d", SLOT(5, int (*)(void*, const char*, const char*, const char*))(g_api, "Tester", "Sub", "Name"));
    memset(buf, '#', sizeof(buf));
    SLOT(6, void (*)(void*, const char*, const char*, const char*, const char*, char*, int))(g_api, "Tester", "Sub",
                                                                                            "Name", "", buf, 4);
    buf[5] = '\0';
    Put(6, "%s", buf); /* cut at 4 bytes, no terminator: ABCD# */
    Put(7, "see 4");
    Put(8, "see 5");
    {
        char path[MAX_PATH];
        GetModuleFileNameA(self, path, sizeof(path));
        Put(9, "%d %d", SLOT(9, BOOL (*)(void*, const char*, WORD*, WORD*, WORD*, WORD*))(g_api, path, &v[0], &v[1],
                                                                                          &v[2], &v[3]) & 0xFF,
            v[0]);
    }
    Put(10, "%d", SLOT(10, BOOL (*)(void*, HMODULE, LPARAM, UINT, const char*, const char*, QdCommandFunc, LPARAM,
                                    LPARAM, LPARAM))(g_api, self, 7, MF_STRING, "Run test", "Runs the test", Command, 1,
                                                     2, 3) & 0xFF);
    Put(11, "%d", SLOT(11, BOOL (*)(void*, HMODULE, LPARAM, const char*, QdCommandFunc, LPARAM, LPARAM))(
                      g_api, self, 8, "Hidden test", Command, 3, 4) & 0xFF);
    Put(12, "%d %d", SLOT(12, int (*)(void*, int))(g_api, -1), SLOT(12, int (*)(void*, int))(g_api, 1000));
    Put(13, "%d", SLOT(13, HANDLE (*)(void*, const char*, BOOL, BOOL))(g_api, "NoSuchAccount", 0, 0) != NULL);
    SLOT(14, void (*)(void*))(g_api);
    Put(14, "returned");
    Put(15, "%d", SLOT(15, void* (*)(void*))(g_api) != NULL);
    SLOT(16, void (*)(void*, char*))(g_api, buf);
    Put(16, "%s", buf);
    SLOT(17, void (*)(void*, char*))(g_api, buf);
    Put(17, "%s", buf);
    Put(18, "%d", SLOT(18, BOOL (*)(void*, const char*))(g_api, "") & 0xFF);
    SLOT(19, void (*)(void*, const char*, BOOL))(g_api, "a log line", 0);
    Put(19, "returned");
    {
        /* A hidden folder over a directory beside the module; asked again,
           the same folder. */
        char dir[MAX_PATH];
        int first, again;
        GetModuleFileNameA(self, dir, sizeof(dir));
        strcpy(strrchr(dir, '\\') + 1, "Hidden");
        first = SLOT(20, int (*)(void*, const char*, const char*))(g_api, dir, "Temp");
        again = SLOT(20, int (*)(void*, const char*, const char*))(g_api, dir, "Temp");
        Put(20, "%d %d %d", first > 0, again == first, GetFileAttributesA(dir) != INVALID_FILE_ATTRIBUTES);
    }
    Put(21, "%d", SLOT(21, BOOL (*)(void*, int, const char*, int, int, void*, void*, void*, LPARAM))(
                      g_api, 99999, "x", 99998, 0, NULL, NULL, NULL, 0) & 0xFF);
    Put(22, "%d", SLOT(22, BOOL (*)(void*, int, BOOL))(g_api, 12345, 1) & 0xFF);
    memset(&st, 0, sizeof(st));
    {
        int ok = SLOT(23, BOOL (*)(void*, const char*, SYSTEMTIME*))(g_api, "Tue, 01 Jun 2021 10:20:30 +0000", &st) & 0xFF;
        Put(23, "%d %04d-%02d-%02d %d %d", ok, st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wMilliseconds);
    }
    Put(24, "%d", SLOT(24, int (*)(void*, int, int))(g_api, 99999, 0));
    memset(&info, 0x55, sizeof(info));
    {
        int same = SLOT(25, QdMailInfo* (*)(void*, QdMailInfo*, int, const char*))(g_api, &info, 99999, "k") == &info;
        Put(25, "%d %d %d", same, info.nIndex, info.pszKey == NULL && info.pszDate == NULL);
    }
    Put(26, "%d", SLOT(26, BOOL (*)(void*, int, int, char*, int))(g_api, 99999, 0, buf, 10) & 0xFF);
    SLOT(27, void (*)(void*, int, const char*))(g_api, 99999, "k");
    Put(27, "returned");
    Put(28, "%d", SLOT(28, BOOL (*)(void*, int, const char*, BOOL))(g_api, 99999, "k", 1) & 0xFF);
    Put(29, "%d", SLOT(29, int (*)(void*, const char*, int))(g_api, "Pick", 0));
    strcpy(buf, "junk");
    SLOT(30, void (*)(void*, int, char*, int))(g_api, 99999, buf, 10);
    Put(30, "[%s]", buf);
    {
        int a = SLOT(31, int (*)(void*))(g_api);
        int b = SLOT(31, int (*)(void*))(g_api);
        Put(31, "%d", b - a);
    }
    SLOT(32, void (*)(void*, HWND, HWND, int))(g_api, NULL, NULL, 0);
    Put(32, "returned");
    strcpy(buf, "junk");
    SLOT(33, void (*)(void*, HWND, char*, int, int))(g_api, NULL, buf, 10, 0);
    Put(33, "[%s]", buf);
    SLOT(34, void (*)(void*, const char*, char*, int))(g_api, "Taro <taro@example.jp>", buf, 9);
    Put(34, "[%s]", buf);
    SLOT(35, void (*)(void*, const char*, char*, int))(g_api, "Taro Yamada <taro@example.jp>", buf, 100);
    Put(35, "[%s]", buf);
    {
        int n = SLOT(36, int (*)(void*, char*, int))(g_api, buf, sizeof(buf));
        Put(36, "%d %s", n == (int)strlen(buf), strstr(buf, "\\PlugIn\\") ? "PlugIn\\" : buf);
    }
    SLOT(37, void (*)(void*, HWND))(g_api, NULL);
    Put(37, "returned");
    seen[0] = '\0';
    Put(38, "%d %s", SLOT(38, BOOL (*)(void*, const char*, LPARAM, QdHeaderFieldFunc))(
                         g_api, "From: a@b\r\nSubject: hi\r\nTo: c@d\r\n\r\nbody", (LPARAM)seen, HeaderField) & 0xFF,
        seen);
    memset(buf, '#', sizeof(buf));
    Put(39, "%d", SLOT(39, BOOL (*)(void*, const char*, const char*, char*, int))(
                      g_api, "From: a@b\r\nsubject: hello\r\n\r\n", "SUBJECT", buf, 3) & 0xFF);
    buf[4] = '\0';
    strcat(g_out, "39b=");
    strcat(g_out, buf);
    strcat(g_out, "\n");
    SLOT(40, void (*)(void*, const char*, char*))(g_api, "abc", buf);
    Put(40, "%s", buf);
    Put(41, "%d", SLOT(41, int (*)(void*, const char*, UINT, DWORD_PTR))(g_api, "missing.hlp", 0, 0));
    Put(42, "%d", SLOT(42, BOOL (*)(void*, int, const char*, const char*, const char*, const char*))(
                      g_api, 1, "Hanako", "hanako@example.jp", "memo", NULL) & 0xFF);
    Put(43, "%d %d", SLOT(43, void* (*)(void*, const char*))(g_api, "Friends") != NULL,
        SLOT(43, void* (*)(void*, const char*))(g_api, "Nobody") != NULL);
    Put(44, "%d %d %d", SLOT(44, BOOL (*)(void*, const char*, const char*))(g_api, "%GL$Friends$%", "to: Taro@Example.JP") & 0xFF,
        SLOT(44, BOOL (*)(void*, const char*, const char*))(g_api, "%GL$Friends$%", "other@example.jp") & 0xFF,
        SLOT(44, BOOL (*)(void*, const char*, const char*))(g_api, "Friends", "taro@example.jp") & 0xFF);
    Put(45, "%d [%s]", SLOT(45, int (*)(void*, const char*, char*, int))(g_api, "%GL$Friends$%", buf, sizeof(buf)), buf);
    seen[0] = '\0';
    SLOT(46, void (*)(void*, const char*, QdGroupAddressFunc, LPARAM, LPARAM))(g_api, "Friends", GroupAddress, 0,
                                                                              (LPARAM)seen);
    Put(46, "%s", seen);
    return 1;
}

/* The third command, on the plug-in's own thread: selects the mail of the
   folder id and key in "PlugInSelect.txt", asks for a folder, then ends a
   receive; each step is noted with what it gave. */
static void RunWindowCalls(void)
{
    QdGetApiFunc get = (QdGetApiFunc)(void*)GetProcAddress(GetModuleHandleA(NULL), "GetQuendalAPI");
    void* api = get ? get() : NULL;
    char path[MAX_PATH], folder[32], key[128], line[80];
    FILE* f;
    GetModuleFileNameA(g_self, path, sizeof(path));
    strcpy(strrchr(path, '\\') + 1, "PlugInSelect.txt");
    f = fopen(path, "rb");
    if (!f || !api) {
        Note("no selection");
        if (f)
            fclose(f);
        return;
    }
    ReadLine(f, folder, sizeof(folder));
    ReadLine(f, key, sizeof(key));
    fclose(f);
    ((void (*)(void*, int, const char*))((*(void***)api)[QD_SelectMail]))(api, atoi(folder), key);
    Note("selected");
    sprintf(line, "chosen %d",
            ((int (*)(void*, const char*, int))((*(void***)api)[QD_SelectFolderDialog]))(api, "移動先の選択",
                                                                                         atoi(folder)));
    Note(line);
    ((void (*)(void*))((*(void***)api)[QD_EndReceive]))(api);
    Note("ended");
}
