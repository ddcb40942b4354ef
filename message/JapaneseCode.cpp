#include "message/JapaneseCode.h"

#include "classlib/Mbcs.h"
#include "message/Base64.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kEsc = 0x1B;

size_t TextLength(const char* p, int nLength)
{
    if (!p)
        return 0;
    return nLength < 0 ? strlen(p) : static_cast<size_t>(nLength);
}

// Lead and trail bytes of the JIS X 0208 part of Shift_JIS; the user-defined
// area 0xF0-0xFC has no JIS code and is passed through as single bytes.
inline bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF); }
inline bool IsSjisTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

inline char* JisPairToSjis(unsigned char c1, unsigned char c2, char* out)
{
    unsigned char lead = static_cast<unsigned char>((c1 + 1) / 2 + (c1 < 0x5F ? 0x70 : 0xB0));
    unsigned char trail;
    if (c1 & 1)
        trail = static_cast<unsigned char>(c2 + 0x1F + (c2 >= 0x60 ? 1 : 0));
    else
        trail = static_cast<unsigned char>(c2 + 0x7E);
    *out++ = static_cast<char>(lead);
    *out++ = static_cast<char>(trail);
    return out;
}


inline bool IsJisByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

// Bytes single-byte mode copies as they are: all but the escape and the
// control characters other than the blanks and line breaks.
struct PlainByteTable
{
    bool kept[256];
    constexpr PlainByteTable() : kept()
    {
        for (int c = 0; c < 256; c++)
            kept[c] = (c >= 0x20 && c != 0x7F) || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
};
constexpr PlainByteTable kPlainByte;

// Up to this length a text is converted in one pass into a buffer twice its
// length; longer ones are measured first so as not to hold twice their size.
const size_t kOnePassWideLength = 1 << 16;

CString WideToAnsi(const std::wstring& w)
{
    if (w.empty())
        return CString();
    CString out;
    // A character takes at most two bytes in a double-byte code page: a text
    // of ordinary size converts in one pass into a buffer of that bound (a
    // code page with longer characters fails it and is measured below).
    if (w.size() <= kOnePassWideLength) {
        char* buf = out.GetBufferSetLength(static_cast<int>(w.size() * 2));
        int got = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), buf,
                                      static_cast<int>(w.size() * 2), nullptr, nullptr);
        if (got > 0) {
            out.ReleaseBuffer(got);
            return out;
        }
    }
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return CString();
    char* buf = out.GetBufferSetLength(n);
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), buf, n, nullptr, nullptr);
    return out;
}

// Full-width forms of 0xA0-0xDF, in JIS X 0201 order.
const char kFullWidthKana[] =
    "　。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソ"
    "タチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof(kFullWidthKana) == 64 * 2 + 1, "one double-byte character per half-width byte");
const char kVoicedKa[] = "ガギグゲゴザジズゼゾダヂヅデド";  // 0xB6-0xC4
const char kVoicedHa[] = "バビブベボ";                       // 0xCA-0xCE
const char kSemiVoicedHa[] = "パピプペポ";                   // 0xCA-0xCE
const char kVoicedU[] = "ヴ";                                // 0xB3

// Place of a double-byte code in the order of its lead byte's 188 trail
// bytes (0x40-0x7E, 0x80-0xFC), counted from the lead byte given.
inline unsigned SjisOrdinal(unsigned char lead, unsigned char trail, unsigned char fromLead)
{
    return (lead - fromLead) * 188u + (trail < 0x80 ? trail - 0x40u : trail - 0x41u);
}

// The Shift_JIS code of the NEC rows (row 13, JIS X 0208 or the
// NEC-selected IBM extensions 0xED40-0xEEFC) that stands for the same
// character as an IBM extension 0xFA40-0xFC4B; 0 outside that range.
unsigned NecCodeOfIbmExtension(unsigned char lead, unsigned char trail)
{
    // 0xFA40-0xFA5B: small and capital roman numerals and signs, which the
    // NEC rows hold in different places.
    static const unsigned short kSigns[28] = {
        0xEEEF, 0xEEF0, 0xEEF1, 0xEEF2, 0xEEF3, 0xEEF4, 0xEEF5, 0xEEF6, 0xEEF7, 0xEEF8,
        0x8754, 0x8755, 0x8756, 0x8757, 0x8758, 0x8759, 0x875A, 0x875B, 0x875C, 0x875D,
        0x81CA, 0xEEFA, 0xEEFB, 0xEEFC, 0x878A, 0x8782, 0x8784, 0x81E6};
    unsigned ordinal = SjisOrdinal(lead, trail, 0xFA);
    if (ordinal < 28)
        return kSigns[ordinal];
    // The 360 kanji from 0xFA5C on stand in the same order from 0xED40.
    unsigned k = ordinal - 28;
    if (k >= 360)
        return 0;
    unsigned nec = k % 188 < 63 ? 0x40 + k % 188 : 0x41 + k % 188;
    return (0xEDu + k / 188) << 8 | nec;
}

} // namespace

CString SjisToJis(const char* pszText, int nLength)
{
    size_t n = TextLength(pszText, nLength);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    std::string out;
    out.reserve(n + n / 2 + 8);
    bool inRun = false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = p[i];
        unsigned char t = i + 1 < n ? p[i + 1] : 0;
        // The IBM extensions have no JIS code of their own: they go out as
        // the same characters of the NEC rows, as Windows writes them.
        if (c >= 0xFA && c <= 0xFC && IsSjisTrail(t)) {
            unsigned code = NecCodeOfIbmExtension(c, t);
            if (code) {
                c = static_cast<unsigned char>(code >> 8);
                t = static_cast<unsigned char>(code & 0xFF);
            }
        }
        if (IsSjisLead(c)) {
            if (!inRun) {
                out.append("\x1B$B", 3);
                inRun = true;
            }
            if (i + 1 < n && IsSjisTrail(t)) {
                int first = c * 2 - 0x60;
                if (t < 0x9F)
                    first -= 1;
                if (c < 0xA0)
                    first -= 0x80;
                int second;
                if (t > 0x9E)
                    second = t - 0x7E;
                else if (t >= 0x80)
                    second = t - 0x20;
                else
                    second = t - 0x1F;
                out += static_cast<char>(first & 0xFF);
                out += static_cast<char>(second & 0xFF);
                ++i;
            } else {
                out += static_cast<char>(c);
            }
            continue;
        }
        if (inRun) {
            out.append("\x1B(B", 3);
            inRun = false;
        }
        out += static_cast<char>(c);
    }
    if (inRun)
        out.append("\x1B(B", 3);
    return CString(out);
}

CString JisToSjis(const char* pszText, int nLength)
{
    CString out;
    JisToSjis(pszText, nLength, out);
    return out;
}

void JisToSjis(const char* pszText, int nLength, CString& out)
{
    size_t n = TextLength(pszText, nLength);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    // Nothing grows in the conversion: a pair stays two bytes, the rest
    // one byte or none. The text is written straight into a buffer of the
    // input's size.
    char* const start = out.GetBufferSetLength(static_cast<int>(n));
    char* w = start;
    enum { kSingle, kDouble, kKana } mode = kSingle;
    size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c == kEsc && i + 2 < n) {
            int newMode = -1;
            if (p[i + 1] == '$' && (p[i + 2] == 'B' || p[i + 2] == '@'))
                newMode = kDouble;
            else if (p[i + 1] == '(' && (p[i + 2] == 'B' || p[i + 2] == 'J'))
                newMode = kSingle;
            else if (p[i + 1] == '(' && p[i + 2] == 'I')
                newMode = kKana;
            if (newMode >= 0) {
                i += 3;
                // A sequence directly followed by another one is dropped
                // without effect.
                if (!(i < n && p[i] == kEsc))
                    mode = static_cast<decltype(mode)>(newMode);
                continue;
            }
        }
        if (mode == kDouble) {
            if (IsJisByte(c) && i + 1 < n && IsJisByte(p[i + 1])) {
                do {
                    w = JisPairToSjis(p[i], p[i + 1], w);
                    i += 2;
                } while (i + 1 < n && IsJisByte(p[i]) && IsJisByte(p[i + 1]));
            } else {
                *w++ = '?';
                ++i;
            }
            continue;
        }
        if (mode == kKana && c >= 0x21 && c <= 0x5F) {
            *w++ = static_cast<char>(c + 0x80);
            ++i;
            continue;
        }
        if (mode == kSingle && kPlainByte.kept[c]) {
            // A run of text that passes unchanged, up to an escape or a
            // control character.
            size_t runStart = i;
            while (i < n && kPlainByte.kept[p[i]])
                ++i;
            memcpy(w, p + runStart, i - runStart);
            w += i - runStart;
            continue;
        }
        // Single-byte mode (and line breaks or blanks inside a katakana run,
        // which would otherwise turn into lead bytes and swallow the text
        // after them).
        bool control = (c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r') || c == 0x7F;
        if (!control)
            *w++ = static_cast<char>(c);
        ++i;
    }
    out.ReleaseBuffer(static_cast<int>(w - start));
}

CString EucToSjis(const char* pszText, int nLength)
{
    CString out;
    EucToSjis(pszText, nLength, out);
    return out;
}

void EucToSjis(const char* pszText, int nLength, CString& out)
{
    size_t n = TextLength(pszText, nLength);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    // A pair stays two bytes, the rest one: the input's size bounds the text.
    char* const start = out.GetBufferSetLength(static_cast<int>(n));
    char* w = start;
    size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            *w++ = static_cast<char>(c);
            ++i;
        } else if (c == 0x8E) {
            // SS2: the next byte is a half-width katakana.
            if (i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF)
                *w++ = static_cast<char>(p[i + 1]), i += 2;
            else
                *w++ = '?', ++i;
        } else if (i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xFE && c >= 0xA1 && c <= 0xFE) {
            w = JisPairToSjis(static_cast<unsigned char>(c - 0x80), static_cast<unsigned char>(p[i + 1] - 0x80), w);
            i += 2;
        } else {
            // A pair cut short or a code outside JIS X 0208.
            *w++ = '?';
            ++i;
        }
    }
    out.ReleaseBuffer(static_cast<int>(w - start));
}

CString HalfWidthKanaToFullWidth(const char* pszText)
{
    if (!pszText)
        return CString();
    size_t n = strlen(pszText);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    std::string out;
    out.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = p[i];
        if (Mbcs::IsLeadByte(c) && i + 1 < n) {
            out += static_cast<char>(c);
            out += static_cast<char>(p[++i]);
            continue;
        }
        if (c < 0xA0 || c > 0xDF) {
            out += static_cast<char>(c);
            continue;
        }
        unsigned char next = i + 1 < n ? p[i + 1] : 0;
        const char* merged = nullptr;
        if (next == 0xDE) {
            if (c == 0xB3)
                merged = kVoicedU;
            else if (c >= 0xB6 && c <= 0xC4)
                merged = kVoicedKa + (c - 0xB6) * 2;
            else if (c >= 0xCA && c <= 0xCE)
                merged = kVoicedHa + (c - 0xCA) * 2;
        } else if (next == 0xDF && c >= 0xCA && c <= 0xCE) {
            merged = kSemiVoicedHa + (c - 0xCA) * 2;
        }
        if (merged) {
            out.append(merged, 2);
            ++i;
        } else {
            out.append(kFullWidthKana + (c - 0xA0) * 2, 2);
        }
    }
    return CString(out);
}

bool HasHalfWidthKana(const char* pszText)
{
    if (!pszText)
        return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    for (size_t i = 0; p[i]; ++i) {
        if (Mbcs::IsLeadByte(p[i]) && p[i + 1]) {
            ++i;
            continue;
        }
        if (p[i] >= 0xA0 && p[i] <= 0xDF)
            return true;
    }
    return false;
}

CString GetCharsetNameByCode(int nCode)
{
    static const char* const kNames[] = {
        "ISO-2022-JP", "Shift_JIS", "US-ASCII", "UTF-7", "UTF-8", "EUC-JP", "", "", "", "",
        "ISO-8859-1", "ISO-8859-2", "ISO-8859-15", "ISO-2022-KR", "EUC-KR", "BIG5", "GB2312",
        "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1256"};
    if (nCode < 0 || nCode >= static_cast<int>(sizeof(kNames) / sizeof(kNames[0])))
        return CString();
    return CString(kNames[nCode]);
}

UINT GetCodePageOfCharset(const char* pszCharset)
{
    static const struct { const char* name; UINT cp; } kPages[] = {
        // Korean mail is read through 949, a superset of EUC-KR that every
        // Windows (and Wine, which lacks 51949) has.
        {"ISO-8859-1", 28591}, {"ISO-8859-2", 28592}, {"ISO-8859-15", 28605}, {"ISO-2022-KR", 50225},
        {"EUC-KR", 949}, {"KS_C_5601-1987", 949}, {"BIG5", 950}, {"GB2312", 936}, {"GBK", 936},
        {"WINDOWS-1250", 1250}, {"WINDOWS-1251", 1251}, {"WINDOWS-1252", 1252}, {"WINDOWS-1256", 1256},
        {"KOI8-R", 20866}};
    if (!pszCharset)
        return 0;
    for (const auto& e : kPages) {
        if (_stricmp(pszCharset, e.name) == 0)
            return IsValidCodePage(e.cp) ? e.cp : 0;
    }
    return 0;
}

CString ConvertCodePageToAnsi(const char* pszText, int nLength, UINT nCodePage)
{
    size_t n = TextLength(pszText, nLength);
    if (n == 0)
        return CString();
    int w = MultiByteToWideChar(nCodePage, 0, pszText, static_cast<int>(n), nullptr, 0);
    if (w <= 0)
        return CString(pszText, static_cast<int>(n));
    std::wstring ws(static_cast<size_t>(w), L'\0');
    MultiByteToWideChar(nCodePage, 0, pszText, static_cast<int>(n), &ws[0], w);
    return WideToAnsi(ws);
}

CString Utf8ToAnsi(const char* pszText, int nLength)
{
    CString out;
    Utf8ToAnsi(pszText, nLength, out);
    return out;
}

void Utf8ToAnsi(const char* pszText, int nLength, CString& out)
{
    size_t n = TextLength(pszText, nLength);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    // No character takes more bytes in the ANSI code page than in UTF-8 (an
    // unknown one becomes one "?"), so the input's size bounds the text. The
    // UTF-16 form goes through a piece of the stack at a time; a surrogate
    // pair is never split between two pieces.
    char* const start = out.GetBufferSetLength(static_cast<int>(n));
    size_t written = 0;
    wchar_t wide[2048];
    size_t units = 0;
    auto flush = [&]() {
        if (!units)
            return;
        int got = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(units), start + written,
                                      static_cast<int>(n - written), nullptr, nullptr);
        written += got > 0 ? static_cast<size_t>(got) : 0;
        units = 0;
    };
    size_t i = 0;
    while (i < n) {
        if (units + 2 > sizeof(wide) / sizeof(wide[0]))
            flush();
        unsigned char c = p[i];
        if (c < 0x80) {
            wide[units++] = static_cast<wchar_t>(c);
            ++i;
            continue;
        }
        size_t extra;
        unsigned long cp;
        if (c >= 0xC2 && c <= 0xDF)
            extra = 1, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3, cp = c & 0x07;
        else {
            wide[units++] = L'?';
            ++i;
            continue;
        }
        size_t j = 1;
        for (; j <= extra; ++j) {
            if (i + j >= n || (p[i + j] & 0xC0) != 0x80)
                break;
            cp = (cp << 6) | (p[i + j] & 0x3F);
        }
        if (j <= extra) {
            // Cut short: the bytes read so far stand for one unknown character.
            wide[units++] = L'?';
            i += j;
            continue;
        }
        i += j;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            wide[units++] = static_cast<wchar_t>(0xD800 + (cp >> 10));
            wide[units++] = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else if (cp < 0x10000 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
            wide[units++] = static_cast<wchar_t>(cp);
        } else {
            wide[units++] = L'?';
        }
    }
    flush();
    out.ReleaseBuffer(static_cast<int>(written));
}

bool IsMultiByteUtf8(const char* pszText, int nLength)
{
    size_t n = TextLength(pszText, nLength);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    bool multi = false;
    size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                lo = 0xA0;  // overlong
            else if (c == 0xED)
                hi = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;  // cut short
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (size_t k = 2; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        multi = true;
        i += extra + 1;
    }
    return multi;
}

CString RawHeaderTextToSjis(const char* pszText, int nLength)
{
    size_t n = TextLength(pszText, nLength);
    if (IsMultiByteUtf8(pszText, static_cast<int>(n))) {
        CString text = Utf8ToAnsi(pszText, static_cast<int>(n));
        // The same treatment of control characters as every other value.
        return JisToSjis(text, text.GetLength());
    }
    return JisToSjis(pszText, static_cast<int>(n));
}

CString Utf7ToAnsi(const char* pszText, int nLength)
{
    size_t n = TextLength(pszText, nLength);
    std::wstring w;
    w.reserve(n);
    std::string run;
    auto isBase64 = [](char ch) {
        return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '+' || ch == '/';
    };
    auto flushRun = [&]() {
        std::string bytes = CBase64::DecodeToString(run.data(), static_cast<int>(run.size()));
        // The run holds UTF-16 in big-endian order.
        for (size_t k = 0; k + 1 < bytes.size(); k += 2) {
            unsigned char hi = static_cast<unsigned char>(bytes[k]);
            unsigned char lo = static_cast<unsigned char>(bytes[k + 1]);
            w += static_cast<wchar_t>((hi << 8) | lo);
        }
        run.clear();
    };
    size_t i = 0;
    bool inRun = false;
    while (i < n) {
        char c = pszText[i];
        if (!inRun) {
            if (c == '+' && i + 1 < n && pszText[i + 1] == '-') {
                w += L'+';
                i += 2;
            } else if (c == '+') {
                inRun = true;
                run.clear();
                ++i;
            } else {
                // Outside runs the text is ASCII; 8-bit bytes are kept as the
                // ANSI characters they are.
                unsigned char uc = static_cast<unsigned char>(c);
                if (uc < 0x80) {
                    w += static_cast<wchar_t>(uc);
                } else {
                    size_t len = Mbcs::CharLength(pszText + i, n - i);
                    wchar_t wc[2];
                    int k = MultiByteToWideChar(CP_ACP, 0, pszText + i, static_cast<int>(len), wc, 2);
                    w.append(wc, k > 0 ? static_cast<size_t>(k) : 0);
                    i += len;
                    continue;
                }
                ++i;
            }
            continue;
        }
        if (isBase64(c)) {
            run += c;
            ++i;
            continue;
        }
        flushRun();
        inRun = false;
        if (c == '-')
            ++i;
    }
    if (inRun)
        flushRun();
    return WideToAnsi(w);
}

CString AnsiToUtf8(const char* pszText, int nLength)
{
    size_t n = TextLength(pszText, nLength);
    if (n == 0)
        return CString();
    std::wstring wide = CString(pszText, static_cast<int>(n)).ToWide();
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return CString();
    CString out;
    char* buf = out.GetBufferSetLength(size);
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), buf, size, nullptr, nullptr);
    return out;
}

bool HasCharsBeyondJis(const char* pszText, int nLength)
{
    size_t n = TextLength(pszText, nLength);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = p[i];
        if (c < 0x80)
            continue;
        // JIS X 0208 (rows 1-8, 15-84) and the NEC row 13.
        bool jis = (c >= 0x81 && c <= 0x84) || (c >= 0x87 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEA);
        if (!jis || i + 1 >= n || !IsSjisTrail(p[i + 1]))
            return true;
        ++i;
    }
    return false;
}
