// Japanese typed through the headless display that run.sh offers: a VNC
// viewer's clicks and key events (X keysyms, a character without a key of
// its own as the Unicode keysym 0x01000000 + code point, as a browser's
// viewer sends what an input method committed) reach the program's fields
// as the very text typed. Runs on the display and VNC server that
// vnc_typing_test.sh starts the way run.sh does (CVM_VNC_PORT).
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "resources/editor/EditorWindowResource.h"
#include "scripts/vnc/KeysymInput.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <cstdlib>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

// A viewer of the RFB protocol, version 3.8 without authentication: enough
// to click and type.
class CRfbViewer
{
public:
    CRfbViewer()
    {
        WSADATA wsa;
        m_bStarted = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    }
    CRfbViewer(const CRfbViewer&) = delete;
    CRfbViewer& operator=(const CRfbViewer&) = delete;
    ~CRfbViewer()
    {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        if (m_bStarted)
            WSACleanup();
    }

    bool Connect(int port)
    {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_socket == INVALID_SOCKET || connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)))
            return false;
        std::string version = Receive(12);
        if (version.compare(0, 4, "RFB ") != 0 || !Send("RFB 003.008\n"))
            return false;
        std::string count = Receive(1);
        if (count.empty() || count[0] == 0)
            return false;
        std::string types = Receive(static_cast<unsigned char>(count[0]));
        if (types.find('\x01') == std::string::npos || !Send(std::string(1, '\x01')))
            return false;
        if (Receive(4) != std::string(4, '\0') || !Send(std::string(1, '\x01')))  // shared
            return false;
        std::string init = Receive(24);
        if (init.size() != 24)
            return false;
        const size_t nameLength = (static_cast<unsigned char>(init[20]) << 24) |
                                  (static_cast<unsigned char>(init[21]) << 16) |
                                  (static_cast<unsigned char>(init[22]) << 8) | static_cast<unsigned char>(init[23]);
        return Receive(nameLength).size() == nameLength;
    }
    bool Click(int x, int y)
    {
        return Pointer(x, y, 0) && Pointer(x, y, 1) && Pointer(x, y, 0);
    }
    bool Key(unsigned long keysym, bool down)
    {
        std::string m = {'\x04', static_cast<char>(down ? 1 : 0), '\0', '\0'};
        for (int shift = 24; shift >= 0; shift -= 8)
            m += static_cast<char>((keysym >> shift) & 0xff);
        return Send(m);
    }
    // Every character of the text pressed and released, as a viewer sends it.
    bool Type(const std::wstring& text)
    {
        for (wchar_t c : text) {
            const unsigned long keysym = (c >= 0x20 && c <= 0x7e) ? c : 0x1000000ul + c;
            if (!Key(keysym, true) || !Key(keysym, false))
                return false;
        }
        return true;
    }

private:
    bool Pointer(int x, int y, int buttons)
    {
        std::string m = {'\x05', static_cast<char>(buttons), static_cast<char>(x >> 8), static_cast<char>(x & 0xff),
                         static_cast<char>(y >> 8), static_cast<char>(y & 0xff)};
        return Send(m);
    }
    bool Send(const std::string& data)
    {
        return m_socket != INVALID_SOCKET &&
               send(m_socket, data.data(), static_cast<int>(data.size()), 0) == static_cast<int>(data.size());
    }
    std::string Receive(size_t count)
    {
        std::string data(count, '\0');
        size_t got = 0;
        while (got < count) {
            int n = recv(m_socket, &data[got], static_cast<int>(count - got), 0);
            if (n <= 0)
                return data.substr(0, got);
            got += static_cast<size_t>(n);
        }
        return data;
    }

    bool m_bStarted = false;
    SOCKET m_socket = INVALID_SOCKET;
};

std::string Utf8(const std::wstring& text)
{
    std::string out(text.size() * 4 + 1, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0],
                                static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Clicks the middle of a field through the viewer until it has the focus.
bool ClickInto(CRfbViewer& viewer, HWND editor, HWND field)
{
    RECT rc = {};
    GetWindowRect(field, &rc);
    return viewer.Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2) &&
           E2e::WaitFor(10000, [&] { return FocusOf(editor) == field; });
}

} // namespace

// What the keyboard bridge makes of a viewer's keysyms: characters, whether
// sent as X's own keysyms or as Unicode ones, and the keys that are no
// characters.
TEST(KeysymInputTable, KeysymsBecomeTheirCharactersOrKeys)
{
    const struct
    {
        unsigned long keysym;
        const wchar_t* text;
    } characters[] = {
        {0x61, L"a"},           {0xa5, L"\u00a5"},      {0x4a4, L"\u3001"},     {0x4b6, L"\u30ab"},
        {0x4de, L"\u309b"},     {0xaae, L"\u2026"},     {0x7c1, L"\u0391"},     {0x1003042, L"\u3042"},
        {0x100ff76, L"\uff76"}, {0x1020b9f, L"\xd842\xdf9f"}, {0xff0d, L""}, {0x4a0, L""},
        {0x100d800, L""},       {0x1110000, L""},
    };
    for (const auto& c : characters)
        EXPECT_EQ(KeysymInput::CharacterOf(c.keysym), std::wstring(c.text)) << std::hex << c.keysym;
    const struct
    {
        unsigned long keysym;
        WORD vk;
        bool extended;
    } keys[] = {
        {0xff0d, VK_RETURN, false}, {0xff51, VK_LEFT, true},  {0xffbe, VK_F1, false},  {0xffc9, VK_F12, false},
        {0xffe3, VK_LCONTROL, false}, {0xffff, VK_DELETE, true}, {0xffb5, VK_NUMPAD5, false}, {0x61, 0, false},
    };
    for (const auto& k : keys) {
        bool extended = !k.extended;
        EXPECT_EQ(KeysymInput::VirtualKeyOf(k.keysym, &extended), k.vk) << std::hex << k.keysym;
        EXPECT_EQ(extended, k.extended) << std::hex << k.keysym;
    }
    // A character no key gives is sent once, on the press.
    KeysymInput::CTranslator translator;
    std::vector<INPUT> press = translator.Translate(0x1004e86, true);
    ASSERT_EQ(press.size(), 2u);
    EXPECT_EQ(press[0].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_UNICODE));
    EXPECT_EQ(press[0].ki.wScan, 0x4e86);
    EXPECT_EQ(press[1].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    EXPECT_TRUE(translator.Translate(0x1004e86, false).empty());
}

TEST(VncTypingTest, JapaneseTypedThroughTheViewerArrivesAsTypedInSubjectAndBody)
{
    const char* port = getenv("CVM_VNC_PORT");
    ASSERT_TRUE(port && *port) << "run by vnc_typing_test.sh, which starts the VNC server";
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(127));
    HWND main = nullptr;
    HWND editor = session.StartWithNewEditor(main);
    ASSERT_NE(editor, nullptr) << session.Windows();
    HWND view = CEditorSession::ViewOf(editor);
    HWND subject = GetDlgItem(view, IDC_ME_SUBJECT);
    HWND body = GetDlgItem(view, IDC_ME_BODY);
    ASSERT_TRUE(subject && body);

    CRfbViewer viewer;
    ASSERT_TRUE(viewer.Connect(atoi(port)));
    // Kanji, hiragana, katakana full and half width, characters only code
    // page 932 has, kanji whose second byte there is a backslash, and plain
    // letters between them; more different characters than X has spare keys.
    const std::wstring typedSubject = L"Re: 了解しました（来週の会議）ｶﾀｶﾅ①㈱髙ソ表";
    const std::wstring typedBody =
        L"本日は晴天なり。東京都千代田区丸の内一丁目、電話番号は０３－１２３４－５６７８です。"
        L"よろしくお願いいたします。山田太郎";
    ASSERT_TRUE(ClickInto(viewer, editor, subject));
    ASSERT_TRUE(viewer.Type(typedSubject));
    EXPECT_TRUE(E2e::WaitFor(20000, [&] { return E2e::FieldText(subject) == typedSubject; })) << Utf8(E2e::FieldText(subject));

    ASSERT_TRUE(ClickInto(viewer, editor, body));
    ASSERT_TRUE(viewer.Type(typedBody));
    EXPECT_TRUE(E2e::WaitFor(20000, [&] { return E2e::FieldText(body) == typedBody; })) << Utf8(E2e::FieldText(body));
    // The same text again: characters typed before come out the same.
    ASSERT_TRUE(ClickInto(viewer, editor, subject));
    viewer.Key(0xff57, true);  // End
    viewer.Key(0xff57, false);
    ASSERT_TRUE(viewer.Type(L"了解"));
    EXPECT_TRUE(E2e::WaitFor(20000, [&] { return E2e::FieldText(subject) == typedSubject + L"了解"; }))
        << Utf8(E2e::FieldText(subject));

    ASSERT_TRUE(session.DiscardEditor(editor)) << session.Windows();
    session.Close(main);
}
