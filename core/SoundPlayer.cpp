#include "core/SoundPlayer.h"

#include <cstdlib>
#include <process.h>

namespace {

std::atomic<CSoundPlayer::MciSendStringFn> g_mciSendString{ &mciSendStringA };

MCIERROR SendMci(const char* pszCommand, char* pszReturn = nullptr, UINT cchReturn = 0)
{
    return g_mciSendString.load()(pszCommand, pszReturn, cchReturn, nullptr);
}

const DWORD kPollMilliseconds = 100;
// Polls after which a sound still at position 0 counts as not playing.
const int kStartPolls = 5;

} // namespace

CSoundPlayer::MciSendStringFn CSoundPlayer::SetMciSendString(MciSendStringFn fn)
{
    return g_mciSendString.exchange(fn ? fn : &mciSendStringA);
}

CSoundPlayer::CSoundPlayer(const char* pszFilePath, int bReportFailure)
    : m_strFilePath(pszFilePath), m_bReportFailure(bReportFailure),
      m_hStarted(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CSoundPlayer::~CSoundPlayer()
{
    // The workers read this object's members while they poll; they must be
    // gone before the object is.
    m_bClosing = true;
    for (HANDLE hWorker : m_workers) {
        WaitForSingleObject(hWorker, INFINITE);
        CloseHandle(hWorker);
    }
    if (m_hStarted)
        CloseHandle(m_hStarted);
}

BOOL CSoundPlayer::Play(BOOL bWait)
{
    if (m_strFilePath.IsEmpty() || !m_hStarted)
        return FALSE;
    // Handles of workers that have ended are not needed any more.
    for (size_t i = 0; i < m_workers.size();) {
        if (WaitForSingleObject(m_workers[i], 0) == WAIT_OBJECT_0) {
            CloseHandle(m_workers[i]);
            m_workers.erase(m_workers.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    ResetEvent(m_hStarted);
    unsigned id = 0;
    HANDLE hWorker = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WorkerEntry, this, CREATE_SUSPENDED, &id));
    if (!hWorker)
        return FALSE;
    m_workers.push_back(hWorker);
    ResumeThread(hWorker);
    HANDLE waits[2] = { m_hStarted, hWorker };
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        return FALSE;
    if (bWait)
        WaitForSingleObject(hWorker, INFINITE);
    return TRUE;
}

unsigned __stdcall CSoundPlayer::WorkerEntry(void* pParam)
{
    static_cast<CSoundPlayer*>(pParam)->Work();
    return 0;
}

void CSoundPlayer::Work()
{
    char shortPath[MAX_PATH + 1] = "";
    DWORD n = GetShortPathNameA(m_strFilePath, shortPath, MAX_PATH);
    CString path = n > 0 && n < MAX_PATH ? CString(shortPath) : m_strFilePath;
    SetEvent(m_hStarted);

    // MCI splits its command at blanks; a path without a short form keeps its
    // blanks and needs quotes.
    if (path.Find(' ') >= 0)
        path = "\"" + path + "\"";
    CString command;
    command.Format("open %s alias sound", path.GetString());
    if (SendMci(command) != 0)
        return;

    char answer[129] = "";
    SendMci("status sound length", answer, 128);
    long length = atol(answer);
    SendMci("play sound");
    for (int polls = 1;; ++polls) {
        Sleep(kPollMilliseconds);
        answer[0] = '\0';
        SendMci("status sound position", answer, 128);
        long position = atol(answer);
        if ((m_pStopFlag && *m_pStopFlag == 1) || m_bClosing)
            break;
        if (position >= length)
            break;
        if (polls > kStartPolls && position == 0) {
            if (m_bReportFailure)
                AfxMessageBox("指定されたファイルが再生できませんでした。");
            break;
        }
    }
    SendMci("stop sound");
    SendMci("close sound");
}
