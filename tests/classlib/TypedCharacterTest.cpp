// Typed Japanese through the class layer's message loop: every kind of text
// field the program makes through the ANSI side takes the characters whole.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>

namespace {

// Half-width katakana, characters only code page 932 has, a JIS level-2
// kanji whose trail byte is a backslash, and ASCII.
const wchar_t kTyped[] = L"了解ｱｲ①㈱髙ソ表a";

// A window of its own class that keeps the WM_CHAR values it is given.
class CCharLog : public CWnd
{
public:
    std::string m_bytes;

protected:
    LRESULT OnChar(WPARAM wParam, LPARAM)
    {
        m_bytes += static_cast<char>(wParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCharLog, CWnd)
    ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

void PumpQueue()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        ASSERT_TRUE(AfxPumpMessage());
}

// What a keyboard or an input method leaves in the queue for each character.
void Type(HWND hWnd, UINT message, const wchar_t* text)
{
    for (const wchar_t* p = text; *p; ++p)
        ::PostMessageW(hWnd, message, *p, 1);
    PumpQueue();
}

std::wstring TextOf(HWND hWnd)
{
    wchar_t buf[128] = {};
    ::GetWindowTextW(hWnd, buf, 128);
    return buf;
}

} // namespace

TEST(TypedCharacters, EveryAnsiTextFieldTakesJapaneseWhole)
{
    static HMODULE richEdit = ::LoadLibraryA("RICHED20.DLL");
    ASSERT_NE(richEdit, nullptr);
    HWND top = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(top, nullptr);
    struct Case
    {
        const char* cls;
        DWORD style;
        bool bSubclassed;
    } const cases[] = {
        {"EDIT", ES_AUTOHSCROLL, false},
        {"EDIT", ES_AUTOHSCROLL, true},
        {"EDIT", ES_MULTILINE, true},
        {"RichEdit20A", ES_MULTILINE, false},
        {"RichEdit20A", ES_MULTILINE, true},
        {"RichEdit20W", ES_MULTILINE, true},
    };
    for (const Case& c : cases) {
        for (UINT message : {static_cast<UINT>(WM_CHAR), static_cast<UINT>(WM_IME_CHAR)}) {
            SCOPED_TRACE(std::string(c.cls) + (c.bSubclassed ? " subclassed" : "") +
                         (message == WM_CHAR ? " WM_CHAR" : " WM_IME_CHAR"));
            HWND field = ::CreateWindowExA(0, c.cls, "", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 300, 40, top,
                                           reinterpret_cast<HMENU>(100), nullptr, nullptr);
            ASSERT_NE(field, nullptr);
            CWnd wrapper;
            if (c.bSubclassed) {
                ASSERT_TRUE(wrapper.SubclassWindow(field));
            }
            Type(field, message, kTyped);
            EXPECT_EQ(TextOf(field), std::wstring(kTyped));
            if (c.bSubclassed)
                wrapper.UnsubclassWindow();
            ::DestroyWindow(field);
        }
    }
    ::DestroyWindow(top);
}

TEST(TypedCharacters, AWindowWithoutUnicodeInputGetsLeadAndTrailBytes)
{
    CCharLog log;
    const char* cls = AfxRegisterWndClass("CVMTestCharLog", 0);
    ASSERT_TRUE(log.CreateEx(0, cls, "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    Type(log.m_hWnd, WM_CHAR, L"了a");
    EXPECT_EQ(log.m_bytes, std::string("\x97\xb9" "a"));
    log.DestroyWindow();
}
