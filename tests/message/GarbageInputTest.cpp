// Random input of the characters that steer the decoders, placed so that it
// ends right before an inaccessible page: any read past the end crashes.
#include "core/DateTimeUtil.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"
#include "message/MimePart.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

class GuardedBuffer
{
public:
    GuardedBuffer()
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_page = si.dwPageSize;
        m_base = static_cast<char*>(VirtualAlloc(nullptr, m_page * 17, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + m_page * 16, m_page, PAGE_NOACCESS, &old);
    }
    ~GuardedBuffer() { VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    // The bytes, ending at the guard page.
    const char* Place(const std::string& bytes)
    {
        char* p = m_base + m_page * 16 - bytes.size();
        memcpy(p, bytes.data(), bytes.size());
        return p;
    }

private:
    size_t m_page = 0;
    char* m_base = nullptr;
};

std::string RandomText(std::mt19937& rng, size_t maxLength)
{
    static const char* const kPieces[] = {
        "=?", "?=", "?B?", "?q?", "=", "\r\n", "\r", "\n", " ", "\t", ":", ";", "\"", "<", ">", "(", ")", ",", "\\",
        "\x1b$B", "\x1b(B", "\x1b(I", "\x1b", "$", "%", "%4", "+", "-", "--", "--b\r\n", "begin ", "end",
        "Content-Type: multipart/mixed; boundary=b\r\n", "Content-Transfer-Encoding: base64\r\n",
        "Content-Disposition: attachment; filename*0*=utf-8''%e3%81;\r\n", "\x81\x40", "\x82", "\xe3\x81",
        "\x8e", "\xa4", "\xf0\x9f", "A", "z", "9", "/"};
    std::uniform_int_distribution<size_t> pick(0, sizeof(kPieces) / sizeof(kPieces[0]) - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s;
    size_t target = std::uniform_int_distribution<size_t>(0, maxLength)(rng);
    while (s.size() < target) {
        if (byte(rng) < 32)
            s += static_cast<char>(byte(rng));
        else
            s += kPieces[pick(rng)];
    }
    return s.substr(0, target);
}

} // namespace

TEST(GarbageInput, DecodersStayWithinTheirInput)
{
    OverrideTimeZoneBias(true, ComputeTimeZoneBias());
    GuardedBuffer buffer;
    std::mt19937 rng(20080401);
    CMimeCodec codec;
    for (int round = 0; round < 3000; ++round) {
        std::string text = RandomText(rng, 300);
        const char* p = buffer.Place(text);
        int n = static_cast<int>(text.size());
        SjisToJis(p, n);
        JisToSjis(p, n);
        EucToSjis(p, n);
        Utf8ToAnsi(p, n);
        Utf7ToAnsi(p, n);
        DecodePercentBytes(p, n);
        std::string out;
        CBase64::DecodeAppend(p, text.size(), out);
        CQuotedPrintable::DecodeAppend(p, text.size(), out, true);
        CUuencode::DecodeLineAppend(p, text.size(), out);
        CBinHex::DecodeToString(p, text.size());
        for (int enc = 0; enc <= kEncodingBinHex; ++enc)
            CMimeCodec::DecodeTransfer(p, text.size(), enc);
        CMimePart part;
        part.Parse(p, text.size());

        // The NUL-terminated functions get the NUL as the last byte.
        const char* z = buffer.Place(text + '\0');
        codec.DecodeHeaderText(z);
        codec.DecodeHeaderText(z, true);
        codec.EncodeHeaderText(z);
        CStringArray entries;
        ParseAddressList(z, &entries, true);
        ExtractMailAddress(z);
        ExtractDisplayName(z);
        NormalizeDateHeader(z);
        ParseDateText(z);
        HalfWidthKanaToFullWidth(z);
        CMailMessage message;
        message.ParseHeaderText(z);
        message.GetHeaderCharset(z);
    }
    OverrideTimeZoneBias(false);
    SUCCEED();
}
