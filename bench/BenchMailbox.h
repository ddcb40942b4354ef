// The generated mailbox of the benchmarks: the i-th mail of the store
// benchmark, and a folder of many mails written straight into its two files.
// The mixed mailbox adds Japanese mails in ISO-2022-JP, Shift_JIS and UTF-8,
// with base64 and quoted-printable bodies, and plants one word (会議) in a
// known share of them, each time in another encoding.
#pragma once

#include "core/QuendalApp.h"
#include "message/Base64.h"
#include "message/JapaneseCode.h"
#include "store/MailFolderStore.h"

#include <cstdio>
#include <string>

namespace BenchMailbox {

// The planted word, in the program's Shift_JIS.
inline const char* PlantedWord() { return "会議"; }

// Whether the mixed mailbox plants the word in mail i.
inline bool IsPlanted(int i) { return i % 50 == 7; }

inline std::string Head(int i)
{
    std::string head = "From: User" + std::to_string(i % 97) + " <user" + std::to_string(i % 97) +
                       "@example.com>\r\nTo: me@example.jp\r\nSubject: " + (i % 3 ? "Re: " : "") + "topic " +
                       std::to_string(i % 500) + "\r\nDate: Wed, 01 May 2024 " + std::to_string(10 + i % 10) + ":" +
                       std::to_string(10 + i % 50) + ":00 +0900\r\nMessage-ID: <m" + std::to_string(i) +
                       "@example.com>\r\n";
    if (i > 0 && i % 2)
        head += "In-Reply-To: <m" + std::to_string(i / 2) + "@example.com>\r\n";
    return head;
}

// A Japanese mail of the mixed mailbox: the word planted or not, in one of
// six ways (the same Japanese text around it, with near misses: 会社, 議論).
inline std::string JapaneseMail(int i, bool planted)
{
    std::string sentence = std::string("本日の") + (planted ? "会議" : "打合せ") + "は三時から会社の第二室で行います。議論の資料を添付します。";
    std::string text;
    for (int k = 0; k < 6 + i % 5; ++k)
        text += sentence + "\r\n";
    const std::string kaigiUtf8 = "\xE4\xBC\x9A\xE8\xAD\xB0";
    std::string head = Head(i) + "MIME-Version: 1.0\r\n";
    switch ((i / 50) % 6) {
    case 0:
        return head + "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + SjisToJis(text.c_str()).Str();
    case 1:
        return head + "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" + text;
    case 2: {
        std::string utf8 = "UTF-8 text: " + std::string(planted ? kaigiUtf8 : "meeting") + " and more text here\r\n";
        for (int k = 0; k < 20; ++k)
            utf8 += "line " + std::to_string(k) + " of the body in UTF-8 \xE6\x97\xA5\xE6\x9C\xAC\r\n";
        return head + "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
               CBase64::EncodeToString(utf8.data(), utf8.size(), 76);
    }
    case 3:
        // A soft line break between the two characters of the word.
        return head + "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
               std::string(planted ? "=E4=BC=9A=\r\n=E8=AD=B0" : "=E6=97=A5=E6=9C=AC") + " notes\r\n" +
               std::string(70, 'q') + "\r\n";
    case 4: {
        // The word split over two lines of the text.
        std::string folded = std::string("本日の") + (planted ? "会\r\n議" : "打\r\n合せ") + "は中止です。\r\n" + text;
        return head + "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + SjisToJis(folded.c_str()).Str();
    }
    default:
        return head + "Content-Type: multipart/mixed; boundary=j\r\n\r\n--j\r\n"
                      "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + SjisToJis(text.c_str()).Str() +
               "\r\n--j\r\nContent-Type: application/octet-stream; name=\"f.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
               CBase64::EncodeToString(std::string(3000, '\x5a').data(), 3000, 76) + "\r\n--j--\r\n";
    }
}

// The store benchmark's mail i; the mixed mailbox makes every fifth mail
// (and every planted one) Japanese.
inline std::string MakeMail(int i, bool bMixed = false)
{
    if (bMixed && (IsPlanted(i) || i % 5 == 2))
        return JapaneseMail(i, IsPlanted(i));
    std::string head = Head(i);
    std::string text(800 + (i % 7) * 300, 'x');
    for (size_t k = 70; k < text.size(); k += 72)
        text.replace(k, 2, "\r\n");
    switch (i % 3) {
    case 0:
        return head + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + text + "\r\n";
    case 1: {
        std::string bin(4000 + i % 1000, '\x5a');
        return head + "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                      "Content-Type: text/plain\r\n\r\n" + text + "\r\n--b\r\nContent-Type: application/octet-stream; "
                      "name=\"f" + std::to_string(i) + ".bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
               CBase64::EncodeToString(bin.data(), bin.size(), 76) + "\r\n--b--\r\n";
    }
    default:
        return head + "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=a\r\n\r\n--a\r\n"
                      "Content-Type: text/plain\r\n\r\n" + text + "\r\n--a\r\nContent-Type: text/html\r\n\r\n<html><body>" +
               text + "</body></html>\r\n--a--\r\n";
    }
}

// Writes a folder of n mails straight into its two files. Without
// bFullText an entry holds the mail's header and a one-word body (enough
// for the list); with it, the whole mail as filed. Returns the number of
// mails the word was planted in.
inline int MakeLargeFolder(const CString& dir, int n, bool bMixed = false, bool bFullText = false)
{
    CreateDirectoryA(dir, nullptr);
    CFile data(dir + "\\MailData.Qmd", CFile::modeCreate | CFile::modeWrite);
    CFile index(dir + "\\Index.lst", CFile::modeCreate | CFile::modeWrite);
    std::string dataBuf, indexBuf;
    long long offset = 0;
    int planted = 0;
    for (int i = 0; i < n; i++) {
        std::string mail = MakeMail(i, bMixed);
        if (bMixed && IsPlanted(i))
            planted++;
        std::string name = "QM" + std::to_string(1700000000 + i) + ".eml";
        size_t blank = mail.find("\r\n\r\n");
        std::string entry = name + "\r\n" + (bFullText ? mail : mail.substr(0, blank) + "\r\n\r\nbody\r\n");
        if (entry.compare(entry.size() - 2, 2, "\r\n") != 0)
            entry += "\r\n";
        entry += ".\r\n";
        CMailIndexRecord r;
        r.m_nDataOffset = static_cast<int>(offset);
        r.m_nDataLength = static_cast<int>(entry.size());
        r.m_nTotalSize = r.m_nDataLength;
        r.m_nRecordPos = static_cast<int>(indexBuf.size());
        r.SetText(CMailIndexRecord::colSubject, ((i % 3 ? "Re: topic " : "topic ") + std::to_string(i % 500)).c_str());
        r.SetText(CMailIndexRecord::colFrom, ("User <user" + std::to_string(i % 97) + "@example.com>").c_str());
        char date[64];
        snprintf(date, sizeof(date), "2024/%02d/%02d %02d:%02d:%02d +0900", 1 + i % 12, 1 + i % 28, i % 24, i % 60,
                 (i / 7) % 60);
        r.SetText(CMailIndexRecord::colDate, date);
        r.SetText(CMailIndexRecord::colReceived, date);
        r.SetText(CMailIndexRecord::colMessageId, ("<m" + std::to_string(i) + "@example.com>").c_str());
        if (i % 2)
            r.SetText(CMailIndexRecord::colReference, ("<m" + std::to_string(i / 2) + "@example.com>").c_str());
        r.SetText(CMailIndexRecord::colAttachDir, name.c_str());
        r.SetText(CMailIndexRecord::colFileName, name.c_str());
        indexBuf += r.BuildLine().Str();
        dataBuf += entry;
        offset += static_cast<long long>(entry.size());
        // Written in pieces: the full-text folder is hundreds of megabytes.
        if (dataBuf.size() > (64u << 20)) {
            data.Write(dataBuf.data(), static_cast<UINT>(dataBuf.size()));
            dataBuf.clear();
        }
    }
    data.Write(dataBuf.data(), static_cast<UINT>(dataBuf.size()));
    index.Write(indexBuf.data(), static_cast<UINT>(indexBuf.size()));
    return planted;
}

} // namespace BenchMailbox
