// CSoundPlayer: plays one sound file (wave, MIDI or AVI) through MCI command
// strings on a worker thread of its own. Every player uses the device alias
// "sound", so one sound plays at a time; a second open fails silently.
#pragma once

#include "classlib/ClassLib.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <vector>

class CSoundPlayer
{
public:
    // bReportFailure: a file that opens but never starts playing is reported
    // to the user.
    CSoundPlayer(const char* pszFilePath, int bReportFailure);
    CSoundPlayer(const CSoundPlayer&) = delete;
    CSoundPlayer& operator=(const CSoundPlayer&) = delete;
    // Stops a sound still playing and waits for its worker.
    ~CSoundPlayer();

    // Starts the worker and returns once it has taken the file path; with
    // bWait, once the sound has ended. False when there is no file path or
    // the worker could not start.
    BOOL Play(BOOL bWait);
    // A byte of the caller's: playing stops at the next poll after it becomes 1.
    void SetStopFlag(volatile BYTE* pStopFlag) { m_pStopFlag = pStopFlag; }

    // The MCI entry point, replaceable by tests (there is no audio device in CI).
    typedef MCIERROR(WINAPI* MciSendStringFn)(LPCSTR pszCommand, LPSTR pszReturn, UINT cchReturn, HWND hCallback);
    static MciSendStringFn SetMciSendString(MciSendStringFn fn);

private:
    static unsigned __stdcall WorkerEntry(void* pParam);
    void Work();

    volatile BYTE* m_pStopFlag = nullptr;
    CString m_strFilePath;
    int m_bReportFailure;
    HANDLE m_hStarted;             // manual reset
    std::atomic<bool> m_bClosing{ false };
    std::vector<HANDLE> m_workers;  // owned thread handles
};
