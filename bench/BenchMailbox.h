// The generated mailbox of the benchmarks: the i-th mail of the store
// benchmark, and a folder of many mails written straight into its two files.
// The mixed mailbox adds Japanese mails in ISO-2022-JP, Shift_JIS and UTF-8,
// with base64 and quoted-printable bodies, and plants one word (会議) in a
// known share of them, each time in another encoding.
#pragma once

#include "core/FileUtil.h"
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

// A folder's two files written straight, an entry and its record at a time;
// the data file goes out in pieces (a folder of whole mails is hundreds of
// megabytes).
class FolderFiles
{
public:
    explicit FolderFiles(const CString& dir)
        : m_data(dir + "\\MailData.Qmd", CFile::modeCreate | CFile::modeWrite),
          m_index(dir + "\\Index.lst", CFile::modeCreate | CFile::modeWrite)
    {
    }

    // Appends the entry and the record, given its place.
    void Add(const std::string& entry, CMailIndexRecord& r)
    {
        r.m_nDataOffset = static_cast<int>(m_offset);
        r.m_nDataLength = static_cast<int>(entry.size());
        r.m_nRecordPos = static_cast<int>(m_indexBuf.size());
        m_indexBuf += r.BuildLine().Str();
        m_dataBuf += entry;
        m_offset += static_cast<long long>(entry.size());
        if (m_dataBuf.size() > (64u << 20)) {
            m_data.Write(m_dataBuf.data(), static_cast<UINT>(m_dataBuf.size()));
            m_dataBuf.clear();
        }
    }

    void Finish()
    {
        m_data.Write(m_dataBuf.data(), static_cast<UINT>(m_dataBuf.size()));
        m_index.Write(m_indexBuf.data(), static_cast<UINT>(m_indexBuf.size()));
        m_dataBuf.clear();
        m_indexBuf.clear();
    }

private:
    CFile m_data;
    CFile m_index;
    std::string m_dataBuf, m_indexBuf;
    long long m_offset = 0;
};

// Writes a folder of n mails straight into its two files. Without
// bFullText an entry holds the mail's header and a one-word body (enough
// for the list); with it, the whole mail as filed. Returns the number of
// mails the word was planted in.
inline int MakeLargeFolder(const CString& dir, int n, bool bMixed = false, bool bFullText = false)
{
    CreateDirectoryA(dir, nullptr);
    FolderFiles files(dir);
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
        r.m_nTotalSize = static_cast<int>(entry.size());
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
        files.Add(entry, r);
    }
    files.Finish();
    return planted;
}

// A folder like a user's inbox after some years: n mails of the sizes and
// shapes of real mail, stored whole as filing stores them (about 8 KB a mail
// on the average): Japanese and English text, a tenth with an HTML
// alternative and a quarter with an attachment of 3 to 20 KB. Each mail with
// an attachment or an HTML part has its attachment folder under "Attach"
// holding the decoded file, as filing leaves it (about a third of the mails).
// Written straight into the folder's files. Returns the number of attachment
// folders made.
inline int MakeUserFolder(const CString& dir, int n)
{
    static const char* const subjects[] = {"会議のお知らせ", "請求書の送付について", "見積もりのご依頼", "週報",
                                           "打ち合わせ日程の件", "Project status", "出張報告", "新製品のご案内"};
    static const char* const names[] = {"山田 太郎", "佐藤 花子", "鈴木 一郎", "高橋 美咲", "田中 健", "Alice Smith",
                                        "伊藤 直樹", "渡辺 由美"};
    CreateDirectoryA(dir, nullptr);
    CString attachRoot = dir + "\\Attach";
    CreateDirectoryA(attachRoot, nullptr);
    FolderFiles files(dir);
    int folders = 0;
    unsigned seed = 12345;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    const std::string sentence = std::string("いつもお世話になっております。") + "先日の件について、資料を確認のうえご連絡いたします。";
    for (int i = 0; i < n; i++) {
        const int shape = i % 20;  // 0-4 attachment, 5-6 HTML alternative, others text
        const int sender = static_cast<int>(next(200));
        const long long when = 1500000000LL + static_cast<long long>(i) * 900 + next(600);
        char name[40];
        snprintf(name, sizeof(name), "QM%lld%03u%03d", when, next(1000), i % 1000);
        std::string subject = std::string(i % 3 ? "Re: " : "") + subjects[i % 8] + " " + std::to_string(i % 3000);
        std::string from = std::string(names[sender % 8]) + " <user" + std::to_string(sender) + "@example.jp>";
        static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        SYSTEMTIME sent, got;
        CTime(static_cast<int64_t>(when - 30)).GetAsSystemTime(sent);
        CTime(static_cast<int64_t>(when)).GetAsSystemTime(got);
        char dateText[64];
        snprintf(dateText, sizeof(dateText), "%s, %02d %s %04d %02d:%02d:%02d +0900", days[sent.wDayOfWeek % 7], sent.wDay,
                 months[(sent.wMonth + 11) % 12], sent.wYear, sent.wHour, sent.wMinute, sent.wSecond);
        std::string date = dateText;
        snprintf(dateText, sizeof(dateText), "%04d/%02d/%02d %02d:%02d:%02d +0900", got.wYear, got.wMonth, got.wDay, got.wHour,
                 got.wMinute, got.wSecond);
        std::string received = dateText;
        std::string messageId = "<" + std::to_string(when) + "." + std::to_string(i) + "@mail.example.jp>";

        std::string head = "Return-Path: <user" + std::to_string(sender) + "@example.jp>\r\n";
        for (int hop = 0; hop < 3; hop++)
            head += "Received: from relay" + std::to_string(hop) + ".example.net (relay" + std::to_string(hop) +
                    ".example.net [192.0.2." + std::to_string(hop + 10) + "])\r\n\tby mx.example.jp (Postfix) with ESMTPS id " +
                    std::to_string(when * 7 + hop) + "\r\n\tfor <me@example.jp>; " + date + "\r\n";
        head += "Date: " + date + "\r\nFrom: " + from + "\r\nTo: me@example.jp\r\nSubject: " + SjisToJis(subject.c_str()).Str() +
                "\r\nMessage-ID: " + messageId + "\r\nMIME-Version: 1.0\r\nX-Mailer: Mailer 4.2\r\n";
        if (i % 3)
            head += "In-Reply-To: <" + std::to_string(when - 3600) + "." + std::to_string(i / 2) + "@mail.example.jp>\r\n";
        head += "X-ReceiveAcount: 仕事\r\n";

        std::string text;
        int lines = 8 + static_cast<int>(next(42));
        for (int k = 0; k < lines; k++)
            text += k % 4 == 3 ? "> quoted line of the earlier mail, kept as it was written\r\n" : sentence + "\r\n";
        std::string jis = SjisToJis(text.c_str()).Str();
        std::string body;
        std::string attachFile, attachBytes;
        if (shape < 5) {
            attachBytes.assign(3000 + next(17000), '\0');
            for (size_t k = 0; k < attachBytes.size(); k++)
                attachBytes[k] = static_cast<char>(next(256));
            attachFile = "資料" + std::to_string(i) + ".pdf";
            head += "Content-Type: multipart/mixed; boundary=\"mix\"\r\n";
            body = "--mix\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + jis +
                   "\r\n--mix\r\nContent-Type: application/pdf; name=\"f.pdf\"\r\nContent-Disposition: attachment; "
                   "filename=\"f.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                   CBase64::EncodeToString(attachBytes.data(), attachBytes.size(), 76) + "\r\n--mix--\r\n";
        } else if (shape < 7) {
            attachFile = "html\\" + std::string(name) + "001000.html";
            attachBytes = "<html><body><p>" + text + "</p></body></html>";
            head += "Content-Type: multipart/alternative; boundary=\"alt\"\r\n";
            body = "--alt\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + jis +
                   "\r\n--alt\r\nContent-Type: text/html; charset=Shift_JIS\r\n\r\n" + attachBytes + "\r\n--alt--\r\n";
        } else {
            head += "Content-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n";
            body = jis;
        }
        std::string entry = std::string(name) + "\r\n" + head + "\r\n" + body;
        if (entry.compare(entry.size() - 2, 2, "\r\n") != 0)
            entry += "\r\n";
        entry += ".\r\n";

        if (!attachFile.empty()) {
            CString folder = attachRoot + "\\" + name;
            CreateNewDirectory(folder);
            if (attachFile.compare(0, 5, "html\\") == 0)
                CreateNewDirectory(folder + "\\html");
            CFile part(folder + "\\" + attachFile.c_str(), CFile::modeCreate | CFile::modeWrite);
            part.Write(attachBytes.data(), static_cast<UINT>(attachBytes.size()));
            folders++;
        }

        CMailIndexRecord r;
        r.m_bAttach = attachFile.empty() ? 0 : 1;
        r.m_nTotalSize = static_cast<int>(entry.size() + attachBytes.size());
        r.m_bRead = static_cast<BYTE>(i < n - n / 50);
        r.SetText(CMailIndexRecord::colSubject, subject.c_str());
        r.SetText(CMailIndexRecord::colFrom, from.c_str());
        r.SetText(CMailIndexRecord::colTo, "me@example.jp");
        if (i % 5 == 0)
            r.SetText(CMailIndexRecord::colCc, "team@example.jp, 佐藤 花子 <hanako@example.jp>");
        r.SetText(CMailIndexRecord::colDate, date.c_str());
        r.SetText(CMailIndexRecord::colReceived, received.c_str());
        r.SetText(CMailIndexRecord::colAttachDir, name);
        r.SetText(CMailIndexRecord::colMessageId, messageId.c_str());
        if (i % 3)
            r.SetText(CMailIndexRecord::colReference,
                      ("<" + std::to_string(when - 3600) + "." + std::to_string(i / 2) + "@mail.example.jp>").c_str());
        r.SetText(CMailIndexRecord::colAccount, "仕事");
        r.SetText(CMailIndexRecord::colFileName, name);
        files.Add(entry, r);
    }
    files.Finish();
    return folders;
}

} // namespace BenchMailbox
