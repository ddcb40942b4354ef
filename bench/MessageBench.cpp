// Throughput of the message parser and of the Japanese code conversion.
// The mails are those of an mbox file named on the command line, or a
// generated corpus of varied mails when none is named, timed both as made
// and as built line by line (the heap of a program that has run a while).
// Prints one "name: value unit" per line.
//   MessageBench [mbox-file]
#include "message/AddressList.h"
#include "bench/BenchSupport.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "message/MimePart.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kSjisSentence[] = "本日の会議資料を添付いたします。ご確認のほどよろしくお願いいたします。\r\n";

std::string Repeat(const std::string& s, size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string Base64Lines(const std::string& data)
{
    std::string out;
    for (size_t i = 0; i < data.size(); i += 57)
        out += CBase64::EncodeToString(data.data() + i, data.size() - i < 57 ? data.size() - i : 57) + "\r\n";
    return out;
}

std::string Header(int n, const char* contentType)
{
    CMimeCodec codec;
    std::string subject = codec.EncodeHeaderText(FormatString("会議の件 その%d", n)).Str();
    return "Received: from mx" + std::to_string(n) + ".example.jp (mx.example.jp [192.0.2.1])\r\n"
           "\tby mail.example.co.jp with ESMTP id " + std::to_string(n * 7919) + "\r\n"
           "Date: Tue, 1 Apr 2008 10:00:00 +0900\r\n"
           "From: " + codec.EncodeHeaderText("山田 太郎").Str() + " <taro@example.jp>\r\n"
           "To: hanako@example.co.jp, \"Sato, Jiro\" <jiro@example.jp>\r\n"
           "Subject: " + subject + "\r\n"
           "Message-ID: <" + std::to_string(n) + "@example.jp>\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: " + contentType + "\r\n";
}

// One mail of one of four shapes.
std::string MakeMail(int n)
{
    std::string jisText = SjisToJis(Repeat(kSjisSentence, 20 + n % 30).c_str()).Str();
    switch (n % 4) {
    case 0:
        return Header(n, "text/plain; charset=ISO-2022-JP") + "Content-Transfer-Encoding: 7bit\r\n\r\n" + jisText;
    case 1: {
        std::string attachment(4096 + (n % 8) * 1024, '\0');
        for (size_t i = 0; i < attachment.size(); ++i)
            attachment[i] = static_cast<char>((i * 31 + n) & 0xFF);
        return Header(n, "multipart/mixed; boundary=\"MIX\"") + "\r\n--MIX\r\n"
               "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + jisText +
               "--MIX\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
               "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"data.bin\"\r\n\r\n" +
               Base64Lines(attachment) + "--MIX--\r\n";
    }
    case 2:
        return Header(n, "multipart/mixed; boundary=\"OUT\"") + "\r\n--OUT\r\n"
               "Content-Type: multipart/alternative; boundary=\"ALT\"\r\n\r\n--ALT\r\n"
               "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + jisText +
               "--ALT\r\nContent-Type: text/html; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
               "<html><body>" + std::string(CQuotedPrintable::EncodeToString(jisText.data(), jisText.size())) +
               "</body></html>\r\n--ALT--\r\n--OUT\r\nContent-Type: message/rfc822\r\n\r\n" +
               Header(n + 1, "text/plain; charset=ISO-2022-JP") + "\r\n" + jisText + "--OUT--\r\n";
    default: {
        std::string utf8 = "\xe6\x9c\xac\xe6\x97\xa5\xe3\x81\xae\xe4\xbc\x9a\xe8\xad\xb0\r\n";
        return Header(n, "text/plain; charset=UTF-8") + "Content-Transfer-Encoding: base64\r\n\r\n" +
               Base64Lines(Repeat(utf8, 200 + n % 100));
    }
    }
}

void Report(const char* name, size_t bytes, double seconds)
{
    printf("%s: %.1f MB/s\n", name, seconds > 0 ? bytes / 1048576.0 / seconds : 0.0);
}

// What decoding a mail writes into: kept from one mail to the next and
// sized at the start of each for the most the mail can give.
struct DecodeBuffers
{
    CString text;
    std::string bytes;

    void SizeFor(size_t mailLength)
    {
        bytes.reserve(mailLength);
        text.GetBuffer(static_cast<int>(mailLength));
        text.ReleaseBuffer(0);
    }
};

void DecodeLeaves(const CMimePart& part, DecodeBuffers& buffers, size_t& sink)
{
    if (!part.GetChildCount()) {
        if (part.m_header.m_nMainType == kContentText) {
            part.DecodeText(buffers.text, buffers.bytes);
            sink += static_cast<size_t>(buffers.text.GetLength());
        } else {
            part.DecodeContent(buffers.bytes);
            sink += buffers.bytes.size();
        }
        return;
    }
    for (int i = 0; i < part.GetChildCount(); ++i)
        DecodeLeaves(*part.GetChild(i), buffers, sink);
}

// Mails built line by line, each line copied through a buffer of its own,
// as a program reads them from a file or the network: the heap is left
// with the freed pieces of every mail's growth, as it is in a program that
// has been running for a while.
struct LineBuiltMails
{
    std::vector<std::string> mails;
    size_t total = 0;
    std::string mail;
    std::string line;

    void AddLine(const char* p, size_t n)
    {
        line.assign(p, n);
        mail += line;
    }
    void Finish()
    {
        if (!mail.empty()) {
            total += mail.size();
            mails.push_back(std::move(mail));
        }
        mail = std::string();
    }
};

// The mails of an mbox file: split at "From " lines, each line ended with
// CR LF as the parser meets mails in the store. False when it cannot be read.
bool ReadMbox(const char* path, LineBuiltMails& out)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return false;
    std::vector<char> line(1 << 16);
    std::string text;
    bool lineStart = true;
    while (fgets(line.data(), static_cast<int>(line.size()), f)) {
        size_t n = strlen(line.data());
        bool whole = n > 0 && line[n - 1] == '\n';
        text.assign(line.data(), n);
        if (lineStart && text.compare(0, 5, "From ") == 0) {
            out.Finish();
        } else {
            if (whole) {
                text.pop_back();
                if (!text.empty() && text.back() == '\r')
                    text.pop_back();
                text += "\r\n";
            }
            out.AddLine(text.data(), text.size());
        }
        lineStart = whole;
    }
    out.Finish();
    fclose(f);
    return true;
}

// The same mails again, built line by line.
void RebuildByLines(const std::vector<std::string>& mails, LineBuiltMails& out)
{
    for (const std::string& mail : mails) {
        size_t pos = 0;
        while (pos < mail.size()) {
            size_t lf = mail.find('\n', pos);
            size_t end = lf == std::string::npos ? mail.size() : lf + 1;
            out.AddLine(mail.data() + pos, end - pos);
            pos = end;
        }
        out.Finish();
    }
}

// Parses every mail, then parses and decodes every mail; prints both rates
// under the prefix and gives the rate of parse and decode.
double TimeParsing(const std::vector<std::string>& mails, size_t total, const char* prefix, size_t& parts,
                   size_t& decoded)
{
    auto start = std::chrono::steady_clock::now();
    for (const std::string& mail : mails) {
        CMimePart root;
        root.Parse(mail.data(), mail.size());
        parts += static_cast<size_t>(root.GetChildCount());
    }
    Report((std::string(prefix) + "parse").c_str(), total, Seconds(start));

    DecodeBuffers buffers;
    start = std::chrono::steady_clock::now();
    for (const std::string& mail : mails) {
        CMimePart root;
        root.Parse(mail.data(), mail.size());
        buffers.SizeFor(mail.size());
        DecodeLeaves(root, buffers, decoded);
    }
    double seconds = Seconds(start);
    Report((std::string(prefix) + "parse_and_decode").c_str(), total, seconds);
    return seconds > 0 ? total / 1048576.0 / seconds : 0.0;
}

} // namespace

int main(int argc, char** argv)
{
    // With an mbox file its mails, which reading builds line by line; else a
    // generated corpus, timed first as made in one piece on a fresh heap
    // and then built again line by line.
    LineBuiltMails lineBuilt;
    size_t parts = 0, decoded = 0;
    if (argc > 1) {
        if (!ReadMbox(argv[1], lineBuilt) || lineBuilt.mails.empty()) {
            fprintf(stderr, "cannot read mails from %s\n", argv[1]);
            return 1;
        }
        printf("corpus: %.1f MB\n", lineBuilt.total / 1048576.0);
        printf("mails: %zu count\n", lineBuilt.mails.size());
        TimeParsing(lineBuilt.mails, lineBuilt.total, "", parts, decoded);
    } else {
        std::vector<std::string> mails;
        size_t total = 0;
        for (int n = 0; total < 20u * 1048576u; ++n) {
            mails.push_back(MakeMail(n));
            total += mails.back().size();
        }
        printf("corpus: %.1f MB\n", total / 1048576.0);
        printf("mails: %zu count\n", mails.size());
        double fresh = TimeParsing(mails, total, "", parts, decoded);
        size_t usedParts = 0, usedDecoded = 0;
        RebuildByLines(mails, lineBuilt);
        double used = TimeParsing(lineBuilt.mails, lineBuilt.total, "line_built_", usedParts, usedDecoded);
        printf("line_built_parse_and_decode_share_of_fresh: %.0f %%\n", fresh > 0 ? used * 100.0 / fresh : 0.0);
        if (usedParts != parts || usedDecoded != decoded) {
            fprintf(stderr, "line-built mails decoded differently\n");
            return 1;
        }
        if (parts == 0) {
            fprintf(stderr, "no parts found\n");
            return 1;
        }
    }

    std::string sjis = Repeat(kSjisSentence, 20u * 1048576u / (sizeof(kSjisSentence) - 1));
    auto start = std::chrono::steady_clock::now();
    CString jis = SjisToJis(sjis.data(), static_cast<int>(sjis.size()));
    Report("sjis_to_jis", sjis.size(), Seconds(start));

    start = std::chrono::steady_clock::now();
    CString back = JisToSjis(jis, jis.GetLength());
    Report("jis_to_sjis", static_cast<size_t>(jis.GetLength()), Seconds(start));

    // Hostile header values that once took quadratic time: a reference list
    // of double-byte lead bytes before "<", and a long list of addresses
    // made unique.
    std::string refs;
    while (refs.size() < 240 * 1024)
        refs += "\x81<";
    std::string refHeader = "In-Reply-To: " + refs + "<last@x>\r\nReferences: " + refs + "\r\n";
    start = std::chrono::steady_clock::now();
    CMailMessage refMessage;
    refMessage.Parse(refHeader.c_str(), static_cast<int>(refHeader.size()));
    printf("references_240kb: %.1f ms\n", Seconds(start) * 1000.0);

    std::string list;
    for (int i = 0; i < 8000; ++i)
        list += "User " + std::to_string(i) + " <user" + std::to_string(i) + "@example.jp>, ";
    CStringArray unique;
    start = std::chrono::steady_clock::now();
    ParseAddressList(list.c_str(), &unique, true);
    printf("unique_addresses_8000: %.1f ms\n", Seconds(start) * 1000.0);

    if (back.Str() != sjis || decoded == 0 || unique.GetSize() != 8000) {
        fprintf(stderr, "conversion check failed\n");
        return 1;
    }
    return 0;
}
