#include "plugin/CommunicationThread.h"

#include "core/AppMessages.h"
#include "core/PostedObjectTable.h"
#include "plugin/MapiRequestFile.h"
#include "plugin/SharedMemory.h"

#include <winsock2.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// One string of the class library's archive format at pos: a length byte,
// or 255 and a 16-bit length, or 255, 65535 and a 32-bit length, then the
// characters. False when the string runs past the request.
bool ReadArchiveString(const std::vector<BYTE>& bytes, size_t& pos, std::string& out)
{
    auto take = [&](size_t n, void* into) {
        if (bytes.size() - pos < n)
            return false;
        std::memcpy(into, bytes.data() + pos, n);
        pos += n;
        return true;
    };
    BYTE b = 0;
    if (pos > bytes.size() || !take(1, &b))
        return false;
    DWORD length = b;
    if (b == 255) {
        WORD w = 0;
        if (!take(2, &w))
            return false;
        length = w;
        if (w == 65535 && !take(4, &length))
            return false;
    }
    if (bytes.size() - pos < length)
        return false;
    out.assign(reinterpret_cast<const char*>(bytes.data() + pos), length);
    pos += length;
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(CCommunicationThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_HANDOVER_REQUEST, OnHandOverRequest)
    ON_THREAD_MESSAGE(WM_QD_RELEASE_TEXT, OnReleaseText)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
END_MESSAGE_MAP()

BOOL CCommunicationThread::InitInstance()
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        AfxMessageBox(104, MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    m_bSockets = true;
    // The block stays while the program runs, so that a request outlives
    // the process that wrote it; whatever was queued before this thread ran
    // is taken now.
    OpenSharedMemoryForReading();
    ::PostThreadMessageA(GetCurrentThreadId(), WM_QD_HANDOVER_REQUEST, 0, 0);
    return TRUE;
}

int CCommunicationThread::ExitInstance()
{
    DropPending();
    CloseSharedMemory();
    if (m_bSockets)
        WSACleanup();
    return CWinThread::ExitInstance();
}

void CCommunicationThread::OnHandOverRequest(WPARAM, LPARAM)
{
    std::vector<std::vector<BYTE>> requests;
    ReadSharedMemory(requests);
    for (const std::vector<BYTE>& request : requests)
        CarryOutRequest(request);
}

bool CCommunicationThread::CarryOutRequest(const std::vector<BYTE>& request)
{
    if (request.size() < 6)
        return false;
    WORD command;
    DWORD length;
    std::memcpy(&command, request.data(), 2);
    std::memcpy(&length, request.data() + 2, 4);
    UINT message;
    switch (command) {
    case 1: message = WM_QD_COMPOSE_TEXT; break;
    case 2: message = WM_QD_ADDRESS_TEXT; break;
    case 3: message = WM_QD_MAIL_TEXT; break;
    case kHandOverMapiCommand: message = WM_QD_MAPI_REQUEST; break;
    case 5: return CarryOutMailRequest(request);
    default: return false;
    }
    // The stated length must lie within the copied bytes.
    if (length > request.size() - 6)
        return false;
    std::string text(reinterpret_cast<const char*>(request.data() + 6), length);
    text.resize(std::strlen(text.c_str()));
    if (command == 3)
        text += "\r\n.\r\n";
    PostText(message, 0, std::move(text));
    return true;
}

bool CCommunicationThread::CarryOutMailRequest(const std::vector<BYTE>& request)
{
    // To, subject, body, a dropped string, the second address text and
    // another dropped string.
    std::string fields[6];
    size_t pos = 6;
    for (std::string& field : fields)
        if (!ReadArchiveString(request, pos, field))
            return false;
    MapiMailRequest mail;
    mail.to = fields[0];
    mail.subject = fields[1];
    mail.body = fields[2];
    mail.cc = fields[4];
    // The editor is the application thread's: the fields go there as the
    // text of a request, which names no files.
    PostText(WM_QD_MAPI_REQUEST, kMapiRequestText, FormatMapiRequest(mail));
    return true;
}

void CCommunicationThread::PostText(UINT message, WPARAM wParam, std::string text)
{
    CPostedObjectTable& table = CPostedObjectTable::Instance();
    LPARAM token = table.Put(message, std::make_shared<std::string>(std::move(text)));
    m_pending.push_back(token);
    if (!::PostThreadMessageA(m_dwAppThreadId, message, wParam, token))
        table.Drop(token);
}

void CCommunicationThread::DropPending()
{
    for (LPARAM token : m_pending)
        CPostedObjectTable::Instance().Drop(token);
    m_pending.clear();
}

void CCommunicationThread::OnReleaseText(WPARAM, LPARAM lParam)
{
    // The application took the text; only a token this thread gave out
    // leaves the list.
    auto it = std::find(m_pending.begin(), m_pending.end(), lParam);
    if (it == m_pending.end())
        return;
    CPostedObjectTable::Instance().Drop(lParam);
    m_pending.erase(it);
}

void CCommunicationThread::OnQuit(WPARAM, LPARAM)
{
    DropPending();
    ::PostQuitMessage(0);
}
