#include "core/PasswordScrambler.h"

#include "message/Base64.h"

#include <random>
#include <string>
#include <vector>

// Three forms, told apart by their length:
//   short  (1-16 characters):  36 letters; count at 0, slot letters 'S'+s at 1.., slots at 18+s
//   middle (17-30 characters): 63 letters; slot letters 'F'+s, slots at 32+s
//   long   (31 or more):       count and slot letters 'F'+s, slots at L+2+s, all Base64-encoded
// Every byte of a form is taken modulo 256, so long passwords (whose count
// or slot letters pass 255) and bytes 0x80-0xFF round-trip. Passwords with
// bytes that would turn into control characters in the unencoded forms use
// the Base64 long form, whatever their length.
namespace {

std::mt19937& Generator()
{
    static thread_local std::mt19937 gen(static_cast<unsigned>(GetTickCount64() ^ (GetCurrentThreadId() << 16) ^
                                                               reinterpret_cast<uintptr_t>(&gen)));
    return gen;
}

int RandomBelow(int n)
{
    return static_cast<int>(Generator()() % static_cast<unsigned>(n));
}

void FillWithLetters(std::string& buf)
{
    for (size_t i = 0; i < buf.size(); ++i)
        buf[i] = static_cast<char>(((i & 1) ? 'A' : 'a') + RandomBelow(26));
}

// Distinct random slots, one per character.
std::vector<int> DrawSlots(int count, int slots)
{
    std::vector<char> used(static_cast<size_t>(slots), 0);
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
        int s;
        do {
            s = RandomBelow(slots);
        } while (used[static_cast<size_t>(s)]);
        used[static_cast<size_t>(s)] = 1;
        out.push_back(s);
    }
    return out;
}

char Byte(int v)
{
    return static_cast<char>(v & 0xFF);
}

int Unsigned(char c)
{
    return static_cast<unsigned char>(c);
}

bool NeedsEncodedForm(const std::string& plain)
{
    for (char c : plain) {
        int v = Unsigned(c);
        if (v < 0x20 || v >= 0xFE)
            return true;
    }
    return false;
}

std::string ScrambleLong(const std::string& plain)
{
    int len = static_cast<int>(plain.size());
    int n = 2 * len + 1;
    if (n < 68)
        n = 68;
    int slots = n / 2;
    // Room for every slot: the slots run from L + 2 to L + 1 + N / 2.
    int size = n - 1;
    if (len + 2 + slots > size)
        size = len + 2 + slots;
    std::string buf(static_cast<size_t>(size), ' ');
    FillWithLetters(buf);
    buf[0] = Byte('A' + len);
    std::vector<int> s = DrawSlots(len, slots);
    for (int i = 0; i < len; ++i) {
        buf[static_cast<size_t>(len + 2 + s[static_cast<size_t>(i)])] = Byte(Unsigned(plain[static_cast<size_t>(i)]) + 2);
        buf[static_cast<size_t>(i + 1)] = Byte('F' + s[static_cast<size_t>(i)]);
    }
    return CBase64::EncodeToString(buf.data(), buf.size());
}

} // namespace

CString CPasswordScrambler::Scramble(const CString& plainText)
{
    const std::string& plain = plainText.Str();
    int len = static_cast<int>(plain.size());
    if (len == 0)
        return CString();
    if (len > 30 || NeedsEncodedForm(plain))
        return CString(ScrambleLong(plain));

    bool shortForm = len <= 16;
    int size = shortForm ? 36 : 63;
    int slots = shortForm ? 16 : 30;
    int slotBase = shortForm ? 18 : 32;
    char letterBase = shortForm ? 'S' : 'F';
    std::string buf(static_cast<size_t>(size), ' ');
    FillWithLetters(buf);
    buf[0] = Byte('A' + len);
    std::vector<int> s = DrawSlots(len, slots);
    for (int i = 0; i < len; ++i) {
        buf[static_cast<size_t>(slotBase + s[static_cast<size_t>(i)])] = Byte(Unsigned(plain[static_cast<size_t>(i)]) + 2);
        buf[static_cast<size_t>(i + 1)] = Byte(letterBase + s[static_cast<size_t>(i)]);
    }
    return CString(buf);
}

CString CPasswordScrambler::Unscramble(const CString& scrambledText)
{
    std::string text = scrambledText.Str();
    if (text.empty())
        return CString();

    // Slot letter i names the position of character i: base + (letter - origin).
    int origin, base;
    int len;
    if (text.size() < 37) {
        origin = 'S';
        base = 18;
        len = Unsigned(text[0]) - 'A';
    } else if (text.size() < 65) {
        origin = 'F';
        base = 32;
        len = Unsigned(text[0]) - 'A';
    } else {
        std::string decoded = CBase64::DecodeToString(text.c_str(), static_cast<int>(text.size()));
        if (decoded.empty())
            return CString();
        text.swap(decoded);
        origin = 'F';
        len = (Unsigned(text[0]) - 'A') & 0xFF;
        base = len + 2;
    }
    if (len <= 0 || static_cast<size_t>(len) + 1 > text.size())
        return CString();

    std::string plain;
    plain.reserve(static_cast<size_t>(len));
    for (int i = 0; i < len; ++i) {
        int slot = (Unsigned(text[static_cast<size_t>(i + 1)]) - origin) & 0xFF;
        size_t pos = static_cast<size_t>(base + slot);
        if (pos >= text.size())
            return CString();  // corrupted: never read past the text
        plain += Byte(Unsigned(text[pos]) - 2);
    }
    return CString(plain);
}
