#include "message/MimeCodec.h"

#include "classlib/ByteSearch.h"
#include "classlib/Mbcs.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

size_t TextLength(const char* p, int nLength)
{
    if (!p)
        return 0;
    return nLength < 0 ? strlen(p) : static_cast<size_t>(nLength);
}

// Calls fn(start, length) for each line of text[0, n), without its CR LF (a
// lone LF also ends a line).
template <class Fn>
void ForEachLine(const char* p, size_t n, Fn fn)
{
    size_t i = 0;
    while (i < n) {
        const char* hit = ByteSearch::Find(p + i, n - i, '\n');
        size_t end = hit ? static_cast<size_t>(hit - p) : n;
        size_t lineEnd = (end > i && p[end - 1] == '\r') ? end - 1 : end;
        if (!fn(p + i, lineEnd - i))
            return;
        i = hit ? end + 1 : n;
    }
}

bool OpenForWrite(CFile& file, const char* pszPath)
{
    return pszPath && file.Open(pszPath, CFile::modeCreate | CFile::modeWrite);
}

void WriteString(CFile& file, const std::string& s)
{
    if (!s.empty())
        file.Write(s.data(), static_cast<UINT>(s.size()));
}

CString EncodeRun(const std::string& run, int nMode)
{
    CString jis = SjisToJis(run.data(), static_cast<int>(run.size()));
    if (nMode == 0) {
        std::string b64 = CBase64::EncodeToString(jis.GetString(), static_cast<size_t>(jis.GetLength()));
        return FormatString("=?%s?B?%s?=", "ISO-2022-JP", b64.c_str());
    }
    std::string qp = CQuotedPrintable::EncodeToString(jis.GetString(), static_cast<size_t>(jis.GetLength()));
    // Inside a Q word "?" would end the word early and "_" and blanks mean a
    // blank to every reader; they are written as escapes.
    std::string word;
    for (char c : qp) {
        if (c == '?' || c == '_' || c == ' ' || c == '\t')
            word += FormatString("=%02x", static_cast<unsigned char>(c)).GetString();
        else
            word += c;
    }
    return FormatString("=?%s?Q?%s?=", "ISO-2022-JP", word.c_str());
}

enum class WordCharset { kKeep, kUtf7, kUtf8, kEucJp, kCodePage };

// What an encoded word decodes to is one line of header text: a line break
// or any other control character in it (sent in a word to get past the
// header's own syntax) becomes a blank, so that no header line the program
// writes from it is split. Bytes still in JIS keep their escapes.
void BlankControls(std::string& text, size_t from, bool bKeepEscape)
{
    for (size_t i = from; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && !(bKeepEscape && c == 0x1B)) || c == 0x7F)
            text[i] = ' ';
    }
}

} // namespace

CString CMimeCodec::EncodeHeaderText(const char* pszText, int nMode)
{
    if (!pszText)
        return CString();
    size_t n = strlen(pszText);
    std::string out, run;
    for (size_t i = 0; i < n;) {
        size_t len = Mbcs::CharLength(pszText + i, n - i);
        if (len == 2) {
            run.append(pszText + i, 2);
        } else {
            if (!run.empty()) {
                out += EncodeRun(run, nMode).Str();
                run.clear();
            }
            out += pszText[i];
        }
        i += len;
    }
    if (!run.empty())
        out += EncodeRun(run, nMode).Str();
    return CString(out);
}

std::vector<CString> CMimeCodec::EncodeWords(const char* pszText, size_t nLength, int nFirstRoom, int nMaxWord)
{
    const char* s = pszText ? pszText : "";
    const bool bUtf8 = HasCharsBeyondJis(s, static_cast<int>(nLength));
    const std::string charset = bUtf8 ? "UTF-8" : "ISO-2022-JP";
    auto bytesOf = [&](size_t from, size_t to) {
        int n = static_cast<int>(to - from);
        return (bUtf8 ? AnsiToUtf8(s + from, n) : SjisToJis(s + from, n)).Str();
    };
    auto bWord = [&](const std::string& bytes) {
        return "=?" + charset + "?B?" + CBase64::EncodeToString(bytes.data(), bytes.size()) + "?=";
    };
    // The Q form has no padding: it stands in where no cut of a B word
    // comes out without it. Only letters and digits go plain, as a word in
    // a phrase requires.
    auto qWord = [&](const std::string& bytes) {
        std::string word = "=?" + charset + "?Q?";
        for (unsigned char c : bytes) {
            if (isalnum(c))
                word += static_cast<char>(c);
            else
                word += FormatString("=%02X", c).Str();
        }
        return word + "?=";
    };

    std::vector<CString> words;
    size_t room = static_cast<size_t>(std::max(1, std::min(nFirstRoom, nMaxWord)));
    size_t start = 0;
    while (start < nLength || words.empty()) {
        // The ends of the pieces from start that fit, longest last; one
        // character at least.
        std::vector<size_t> ends;
        std::string bytes, plainBytes;
        size_t plainEnd = start;
        for (size_t at = start; at < nLength;) {
            size_t next = at + Mbcs::CharLength(s + at, nLength - at);
            std::string piece = bytesOf(start, next);
            if (!ends.empty() && bWord(piece).size() > room)
                break;
            ends.push_back(next);
            at = next;
            bytes.swap(piece);
            if (bytes.size() % 3 == 0) {
                plainEnd = next;
                plainBytes = bytes;
            }
        }
        size_t end = ends.empty() ? start : ends.back();
        if (end == nLength) {
            words.push_back(CString(bWord(bytes)));
        } else if (plainEnd > start) {
            words.push_back(CString(bWord(plainBytes)));
            end = plainEnd;
        } else {
            while (ends.size() > 1 && qWord(bytesOf(start, ends.back())).size() > room)
                ends.pop_back();
            end = ends.back();
            words.push_back(CString(qWord(bytesOf(start, end))));
        }
        start = end;
        room = static_cast<size_t>(nMaxWord);
    }
    return words;
}

CString CMimeCodec::DecodeHeaderText(const char* pszText, bool bCharsetOnly)
{
    if (!pszText)
        return CString();
    size_t n = strlen(pszText);
    // Most header values hold no encoded word: they only go through the
    // conversion every plain run gets below.
    if (!ByteSearch::FindInString(pszText, "=?"))
        return bCharsetOnly ? CString() : JisToSjis(pszText, static_cast<int>(n));
    std::string out;
    out.reserve(n);
    // Plain text and the bytes of words whose charset is kept (ISO-2022-JP
    // among them) gather here and go through JisToSjis together, so an escape
    // sequence that one word opens and the next closes still converts.
    std::string pendingJis;
    auto flushJis = [&]() {
        if (!pendingJis.empty()) {
            out += JisToSjis(pendingJis.data(), static_cast<int>(pendingJis.size())).Str();
            pendingJis.clear();
        }
    };
    const char* noQuestionFrom = pszText + n + 1;
    const char* noCloseFrom = pszText + n + 1;
    size_t i = 0;
    while (i < n) {
        if (pszText[i] == '=' && i + 1 < n && pszText[i + 1] == '?') {
            // "=?charset?X?text?="
            const char* cs = pszText + i + 2;
            // Once a search has found nothing, later ones from further on
            // cannot either: that keeps a long run of unclosed words linear.
            const char* q1 = cs < noQuestionFrom ? strchr(cs, '?') : nullptr;
            if (!q1)
                noQuestionFrom = cs;
            const char* end = nullptr;
            char letter = 0;
            if (q1 && q1[1] && q1[2] == '?') {
                letter = q1[1];
                end = q1 + 3 < noCloseFrom ? strstr(q1 + 3, "?=") : nullptr;
                if (!end && q1 + 3 < noCloseFrom)
                    noCloseFrom = q1 + 3;
            }
            bool known = letter == 'B' || letter == 'b' || letter == 'Q' || letter == 'q';
            if (end && known) {
                CString charset(cs, static_cast<int>(q1 - cs));
                if (bCharsetOnly)
                    return charset;
                // RFC 2231 allows a language after "*".
                int star = charset.Find('*');
                if (star >= 0)
                    charset = charset.Left(star);
                const char* enc = q1 + 3;
                size_t encLen = static_cast<size_t>(end - enc);
                std::string bytes;
                if (letter == 'B' || letter == 'b')
                    CBase64::DecodeAppend(enc, encLen, bytes);
                else
                    CQuotedPrintable::DecodeAppend(enc, encLen, bytes, true);
                auto appendWord = [&](const CString& text) {
                    flushJis();
                    size_t wordStart = out.size();
                    out += text.Str();
                    BlankControls(out, wordStart, false);
                };
                const int nBytes = static_cast<int>(bytes.size());
                if (charset.CompareNoCase("UTF-7") == 0) {
                    appendWord(DecodeUtf7(bytes.data(), nBytes));
                } else if (charset.CompareNoCase("UTF-8") == 0) {
                    appendWord(DecodeUtf8(bytes.data(), nBytes));
                } else if (charset.CompareNoCase("EUC-JP") == 0) {
                    appendWord(EucToSjis(bytes.data(), nBytes));
                } else if (UINT cp = GetCodePageOfCharset(charset)) {
                    appendWord(ConvertCodePageToAnsi(bytes.data(), nBytes, cp));
                } else {
                    BlankControls(bytes, 0, true);
                    pendingJis += bytes;
                }
                i = static_cast<size_t>(end - pszText) + 2;
                // Blanks between two words belong to neither.
                size_t k = i;
                while (k < n && (pszText[k] == ' ' || pszText[k] == '\t'))
                    ++k;
                if (k > i && k + 1 < n && pszText[k] == '=' && pszText[k + 1] == '?')
                    i = k;
                continue;
            }
        }
        // Plain text goes the same way as the kept words, so raw JIS outside
        // any word is converted too; Shift_JIS passes unchanged.
        size_t len = Mbcs::CharLength(pszText + i, n - i);
        pendingJis.append(pszText + i, len);
        i += len;
    }
    if (bCharsetOnly)
        return CString();
    flushJis();
    return CString(out);
}

CString CMimeCodec::DecodeUtf8(const char* pszText, int nLength) { return Utf8ToAnsi(pszText, nLength); }

CString CMimeCodec::DecodeUtf7(const char* pszText, int nLength) { return Utf7ToAnsi(pszText, nLength); }

CString CMimeCodec::DecodeBase64Text(const char* pszText, int nLength)
{
    return CString(CBase64::DecodeToString(pszText, nLength));
}

CString CMimeCodec::DecodeQuotedPrintableText(const char* pszText, int nLength)
{
    return CString(CQuotedPrintable::DecodeToString(pszText, TextLength(pszText, nLength)));
}

CString CMimeCodec::DecodeUuencodeLine(const char* pszLine)
{
    std::string out;
    if (pszLine)
        CUuencode::DecodeLineAppend(pszLine, strlen(pszLine), out);
    return CString(out);
}

CString CMimeCodec::DecodeBinHexText(const char* pszText)
{
    return CString(CBinHex::DecodeToString(pszText, TextLength(pszText, -1)));
}

int CMimeCodec::DecodeBase64Lines(const char* pszText, char* pBuffer, int nSize)
{
    if (!pszText || !pBuffer || nSize <= 0)
        return 0;
    size_t total = 0;
    std::string line;
    ForEachLine(pszText, strlen(pszText), [&](const char* p, size_t len) {
        if (len == 1 && p[0] == '.')
            return false;
        line.clear();
        CBase64::DecodeAppend(p, len, line);
        if (total + line.size() >= static_cast<size_t>(nSize))
            return false;
        memcpy(pBuffer + total, line.data(), line.size());
        total += line.size();
        return true;
    });
    pBuffer[total] = '\0';
    return static_cast<int>(total);
}

std::string CMimeCodec::DecodeTransfer(const char* p, size_t n, int nEncoding)
{
    std::string out;
    DecodeTransfer(p, n, nEncoding, out);
    return out;
}

void CMimeCodec::DecodeTransfer(const char* p, size_t n, int nEncoding, std::string& out)
{
    out.clear();
    switch (nEncoding) {
    case kEncodingBase64:
        // A line's decoding is sized for a whole group more than it gives.
        out.reserve(n / 4 * 3 + 6);
        ForEachLine(p, n, [&](const char* line, size_t len) {
            CBase64::DecodeAppend(line, len, out);
            return true;
        });
        break;
    case kEncodingQuotedPrintable:
        out.reserve(n);
        CQuotedPrintable::DecodeAppend(p, n, out);
        break;
    case kEncodingUuencode: {
        bool inData = false;
        ForEachLine(p, n, [&](const char* line, size_t len) {
            if (!inData) {
                inData = len >= 6 && strncmp(line, "begin ", 6) == 0;
                return true;
            }
            if (len >= 3 && strncmp(line, "end", 3) == 0)
                return false;
            CUuencode::DecodeLineAppend(line, len, out);
            return true;
        });
        break;
    }
    case kEncodingBinHex:
        out = CBinHex::DecodeToString(p, n);
        break;
    default:
        out.assign(p, n);
        break;
    }
}

bool CMimeCodec::DecodeBase64TextToFile(const char* pszText, const char* pszPath)
{
    CFile file;
    if (!OpenForWrite(file, pszPath))
        return false;
    if (pszText) {
        std::string bytes;
        ForEachLine(pszText, strlen(pszText), [&](const char* p, size_t len) {
            bytes.clear();
            CBase64::DecodeAppend(p, len, bytes);
            WriteString(file, bytes);
            return true;
        });
    }
    file.Close();
    return true;
}

bool CMimeCodec::DecodeQuotedPrintableToFile(const char* pszText, const char* pszPath)
{
    CFile file;
    if (!OpenForWrite(file, pszPath))
        return false;
    if (pszText)
        WriteString(file, CQuotedPrintable::DecodeToString(pszText, strlen(pszText)));
    file.Close();
    return true;
}

bool CMimeCodec::UudecodeToFile(const char* pszText, const char* pszPath)
{
    CFile file;
    if (!OpenForWrite(file, pszPath))
        return false;
    if (pszText) {
        int lineNo = 0;
        std::string bytes;
        ForEachLine(pszText, strlen(pszText), [&](const char* p, size_t len) {
            ++lineNo;
            if (lineNo == 1)
                return true;
            if (lineNo == 2 && len >= 6 && strncmp(p, "begin ", 6) == 0)
                return true;
            if (len >= 3 && strncmp(p, "end", 3) == 0)
                return false;
            bytes.clear();
            CUuencode::DecodeLineAppend(p, len, bytes);
            WriteString(file, bytes);
            return true;
        });
    }
    file.Close();
    return true;
}

bool CMimeCodec::DecodeBinHexToFile(const char* pszText, const char* pszPath)
{
    return CBinHex::DecodeToFile(pszText, pszPath);
}

bool CMimeCodec::DecodeHeaderTextToFile(const char* pszText, const char* pszPath)
{
    CFile file;
    if (!OpenForWrite(file, pszPath))
        return false;
    WriteString(file, DecodeHeaderText(pszText).Str());
    file.Close();
    return true;
}

CString CMimeCodec::GetMailAddressOnly(const char* pszAddress) { return ExtractMailAddress(pszAddress); }
