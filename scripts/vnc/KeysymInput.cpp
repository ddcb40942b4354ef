#include "KeysymInput.h"

namespace KeysymInput {

namespace {

// X's kana keysyms 0x4a1 to 0x4df, as the characters they stand for.
const wchar_t kKana[] = {
    0x3002, 0x300c, 0x300d, 0x3001, 0x30fb, 0x30f2, 0x30a1, 0x30a3, 0x30a5, 0x30a7, 0x30a9, 0x30e3, 0x30e5,
    0x30e7, 0x30c3, 0x30fc, 0x30a2, 0x30a4, 0x30a6, 0x30a8, 0x30aa, 0x30ab, 0x30ad, 0x30af, 0x30b1, 0x30b3,
    0x30b5, 0x30b7, 0x30b9, 0x30bb, 0x30bd, 0x30bf, 0x30c1, 0x30c4, 0x30c6, 0x30c8, 0x30ca, 0x30cb, 0x30cc,
    0x30cd, 0x30ce, 0x30cf, 0x30d2, 0x30d5, 0x30d8, 0x30db, 0x30de, 0x30df, 0x30e0, 0x30e1, 0x30e2, 0x30e4,
    0x30e6, 0x30e8, 0x30e9, 0x30ea, 0x30eb, 0x30ec, 0x30ed, 0x30ef, 0x30f3, 0x309b, 0x309c,
};

struct NamedKey
{
    unsigned long keysym;
    WORD vk;
    bool extended;
};

const NamedKey kKeys[] = {
    {0xff08, VK_BACK, false},     {0xff09, VK_TAB, false},      {0xff0d, VK_RETURN, false},
    {0xff13, VK_PAUSE, false},    {0xff14, VK_SCROLL, false},   {0xff1b, VK_ESCAPE, false},
    {0xff50, VK_HOME, true},      {0xff51, VK_LEFT, true},      {0xff52, VK_UP, true},
    {0xff53, VK_RIGHT, true},     {0xff54, VK_DOWN, true},      {0xff55, VK_PRIOR, true},
    {0xff56, VK_NEXT, true},      {0xff57, VK_END, true},       {0xff61, VK_SNAPSHOT, true},
    {0xff63, VK_INSERT, true},    {0xff67, VK_APPS, true},      {0xff7f, VK_NUMLOCK, true},
    {0xff8d, VK_RETURN, true},    {0xffaa, VK_MULTIPLY, false}, {0xffab, VK_ADD, false},
    {0xffad, VK_SUBTRACT, false}, {0xffae, VK_DECIMAL, false},  {0xffaf, VK_DIVIDE, true},
    {0xffe1, VK_LSHIFT, false},   {0xffe2, VK_RSHIFT, false},   {0xffe3, VK_LCONTROL, false},
    {0xffe4, VK_RCONTROL, true},  {0xffe5, VK_CAPITAL, false},  {0xffe7, VK_LMENU, false},
    {0xffe8, VK_RMENU, true},     {0xffe9, VK_LMENU, false},    {0xffea, VK_RMENU, true},
    {0xffeb, VK_LWIN, true},      {0xffec, VK_RWIN, true},      {0xffff, VK_DELETE, true},
    {0xff2a, VK_KANJI, false},    {0xff21, VK_KANJI, false},    {0xff22, VK_NONCONVERT, false},
    {0xff23, VK_CONVERT, false},
};

INPUT KeyInput(WORD vk, bool extended, bool down)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (down ? 0 : KEYEVENTF_KEYUP);
    return in;
}

INPUT UnitInput(wchar_t unit, bool down)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = unit;
    in.ki.dwFlags = KEYEVENTF_UNICODE | (down ? 0 : KEYEVENTF_KEYUP);
    return in;
}

} // namespace

std::wstring CharacterOf(unsigned long keysym)
{
    unsigned long cp = 0;
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff))
        cp = keysym;
    else if (keysym >= 0x4a1 && keysym <= 0x4df)
        cp = kKana[keysym - 0x4a1];
    else if (keysym >= 0x1000100 && keysym <= 0x110ffff)
        cp = keysym - 0x1000000;
    if (!cp || (cp >= 0xd800 && cp <= 0xdfff))
        return std::wstring();
    if (cp < 0x10000)
        return std::wstring(1, static_cast<wchar_t>(cp));
    cp -= 0x10000;
    return std::wstring{static_cast<wchar_t>(0xd800 + (cp >> 10)), static_cast<wchar_t>(0xdc00 + (cp & 0x3ff))};
}

WORD VirtualKeyOf(unsigned long keysym, bool* pExtended)
{
    *pExtended = false;
    if (keysym >= 0xffbe && keysym <= 0xffc9)
        return static_cast<WORD>(VK_F1 + (keysym - 0xffbe));
    if (keysym >= 0xffb0 && keysym <= 0xffb9)
        return static_cast<WORD>(VK_NUMPAD0 + (keysym - 0xffb0));
    for (const NamedKey& k : kKeys)
        if (k.keysym == keysym) {
            *pExtended = k.extended;
            return k.vk;
        }
    return 0;
}

std::vector<INPUT> CTranslator::Translate(unsigned long keysym, bool bDown)
{
    std::vector<INPUT> out;
    bool extended = false;
    if (WORD vk = VirtualKeyOf(keysym, &extended)) {
        if (vk == VK_LSHIFT || vk == VK_RSHIFT)
            m_bShift = bDown;
        out.push_back(KeyInput(vk, extended, bDown));
        return out;
    }
    const std::wstring text = CharacterOf(keysym);
    if (text.empty())
        return out;
    // A key of the layout that gives this character in the shift state the
    // viewer holds: that key. Anything else: the character itself, once.
    if (text.size() == 1) {
        const SHORT scan = ::VkKeyScanW(text[0]);
        if (scan != -1 && !(HIBYTE(scan) & ~1) && ((HIBYTE(scan) & 1) != 0) == m_bShift) {
            out.push_back(KeyInput(LOBYTE(scan), false, bDown));
            return out;
        }
    }
    if (!bDown)
        return out;
    for (wchar_t unit : text) {
        out.push_back(UnitInput(unit, true));
        out.push_back(UnitInput(unit, false));
    }
    return out;
}

} // namespace KeysymInput
