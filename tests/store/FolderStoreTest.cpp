#include "core/FileSteps.h"
#include "core/FileUtil.h"
#include "message/Base64.h"
#include "message/DotStuffer.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "store/MailFileReader.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>

using StoreTest::FileMail;
using StoreTest::OpenStore;
using StoreTest::SimpleMail;
using StoreTest::TestApp;
using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

std::string B64(const std::string& data)
{
    return CBase64::EncodeToString(data.data(), data.size(), 76);
}

std::string JisWord(const char* sjis)
{
    CString jis = SjisToJis(sjis);
    return "=?ISO-2022-JP?B?" + CBase64::EncodeToString(jis.GetString(), jis.GetLength()) + "?=";
}

std::string Uuencode(const std::string& data, const char* name)
{
    std::string out = std::string("begin 644 ") + name + "\r\n";
    for (size_t i = 0; i < data.size(); i += 45) {
        size_t n = std::min<size_t>(45, data.size() - i);
        out += static_cast<char>(32 + n);
        for (size_t j = 0; j < n; j += 3) {
            unsigned char b[3] = {0, 0, 0};
            for (size_t k = 0; k < 3 && i + j + k < data.size() && j + k < n; k++)
                b[k] = static_cast<unsigned char>(data[i + j + k]);
            int c[4] = {b[0] >> 2, ((b[0] & 3) << 4) | (b[1] >> 4), ((b[1] & 15) << 2) | (b[2] >> 6), b[2] & 63};
            for (int v : c)
                out += static_cast<char>(v ? v + 32 : '`');
        }
        out += "\r\n";
    }
    out += "`\r\nend\r\n";
    return out;
}

// BinHex 4.0 of a data fork (no resource fork), as a Macintosh mailer sends it.
std::string BinHex(const std::string& name, const std::string& data)
{
    auto be32 = [](std::string& s, uint32_t v) {
        for (int i = 3; i >= 0; i--)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    std::string raw;
    raw += static_cast<char>(name.size());
    raw += name;
    raw += '\0';
    raw += "TEXTttxt";
    raw += std::string(2, '\0');
    be32(raw, static_cast<uint32_t>(data.size()));
    be32(raw, 0);
    raw += std::string(2, '\0');  // header check, not verified by readers here
    raw += data;
    raw += std::string(4, '\0');  // the two fork checks
    std::string escaped;
    for (char c : raw) {
        escaped += c;
        if (static_cast<unsigned char>(c) == 0x90)
            escaped += '\0';
    }
    static const char alphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
    std::string out = "(This file must be converted with BinHex 4.0)\r\n:";
    size_t col = 1;
    for (size_t i = 0; i < escaped.size(); i += 3) {
        uint32_t v = 0;
        for (size_t k = 0; k < 3; k++)
            v = (v << 8) | (i + k < escaped.size() ? static_cast<unsigned char>(escaped[i + k]) : 0);
        size_t chars = std::min<size_t>(4, (escaped.size() - i) * 4 / 3 + 1);
        for (size_t k = 0; k < chars; k++) {
            out += alphabet[(v >> (18 - 6 * k)) & 63];
            if (++col == 64) {
                out += "\r\n";
                col = 0;
            }
        }
    }
    return out + ":\r\n";
}

// Files below a folder, as paths relative to it, sorted.
void ListRelative(const CString& root, const CString& sub, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA fd;
    CString dir = sub.IsEmpty() ? root : root + "\\" + sub;
    HANDLE h = FindFirstFileA(dir + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        CString name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        CString rel = sub.IsEmpty() ? name : sub + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListRelative(root, rel, out);
        else
            out.push_back(rel.Str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(out.begin(), out.end());
}

std::vector<std::string> AttachFiles(CMailFolderStore& store, const char* mailName)
{
    std::vector<std::string> out;
    ListRelative(store.GetFolderPath() + "\\Attach\\" + mailName, "", out);
    return out;
}

struct Fixture
{
    const char* name;
    std::string text;
    std::vector<std::string> files;  // the mail's attachment folder afterwards
    const char* subject;
    int attach;
};

std::vector<Fixture> Fixtures()
{
    const std::string pdf("%PDF-1.4\x00\x01\x02 binary\r\n\xff", 21);
    const std::string png("\x89PNG\r\n\x1a\n\x00\x00", 10);
    std::vector<Fixture> f;
    CString body = SjisToJis("こんにちは、世界。\r\n表示のテスト\r\n");
    f.push_back({"QM1000000001.eml",
                 "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>\r\nTo: you@example.com\r\n"
                 "Subject: " + JisWord("日本語の件名") + "\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\n"
                 "Message-ID: <jp@example.jp>\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" +
                     body.Str(),
                 {}, "日本語の件名", 0});
    f.push_back({"QM1000000002.eml",
                 "From: a@example.com\r\nSubject: mixed\r\nMessage-ID: <mixed@x>\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/mixed; boundary=\"BND\"\r\n\r\n"
                 "preamble\r\n--BND\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nsee attached\r\n"
                 "--BND\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
                 "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"report.pdf\"\r\n\r\n" +
                     B64(pdf) + "\r\n--BND\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
                                "Content-Transfer-Encoding: base64\r\n\r\n" +
                     B64(pdf) + "\r\n--BND\r\nContent-Type: application/msword\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                     B64("doc") + "\r\n--BND--\r\n",
                 {"$attach0\\report.pdf", "Headers\\Headers.dat", "msword000.doc", "report.pdf"}, "mixed", 1});
    f.push_back({"QM1000000003.eml",
                 "From: a@example.com\r\nSubject: alt\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/alternative; boundary=b1\r\n\r\n"
                 "--b1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain text\r\n"
                 "--b1\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n<html><body>html text</body></html>\r\n--b1--\r\n",
                 {"Headers\\Headers.dat", "html\\QM"}, "alt", 1});
    f.push_back({"QM1000000004.eml",
                 "From: a@example.com\r\nSubject: related\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/related; boundary=r1\r\n\r\n"
                 "--r1\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n"
                 "<html><head><base href=\"http://x/\"></head><body><img src=\"cid:img1@x\"></body></html>\r\n"
                 "--r1\r\nContent-Type: image/png; name=\"pic.png\"\r\nContent-ID: <img1@x>\r\n"
                 "Content-Transfer-Encoding: base64\r\n\r\n" +
                     B64(png) + "\r\n--r1--\r\n",
                 {"Headers\\Headers.dat", "html\\QM", "html\\pic.png"}, "related", 1});
    f.push_back({"QM1000000005.eml",
                 "From: a@example.com\r\nSubject: forward\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/mixed; boundary=m\r\n\r\n"
                 "--m\r\nContent-Type: text/plain\r\n\r\nforwarded below\r\n"
                 "--m\r\nContent-Type: message/rfc822\r\nContent-Description: inner\r\n\r\n"
                 "From: b@example.com\r\nSubject: inner\r\n\r\ninner body\r\n--m--\r\n",
                 {"Headers\\Headers.dat", "inner.eml"}, "forward", 1});
    f.push_back({"QM1000000006.eml",
                 "From: a@example.com\r\nSubject: uu\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/mixed; boundary=u\r\n\r\n"
                 "--u\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
                 "Content-Transfer-Encoding: x-uuencode\r\n\r\n" +
                     Uuencode(pdf, "data.bin") + "--u--\r\n",
                 {"Headers\\Headers.dat", "data.bin"}, "uu", 1});
    f.push_back({"QM1000000010.eml",
                 "From: a@example.com\r\nSubject: mac\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/mixed; boundary=h\r\n\r\n"
                 "--h\r\nContent-Type: application/mac-binhex40; name=\"notes.txt\"\r\n\r\n" +
                     BinHex("..\\CON", std::string("mac data \x90 fork\r", 16)) + "--h--\r\n",
                 {"Headers\\Headers.dat", "notes.txt"}, "mac", 1});
    f.push_back({"QM1000000007.eml",
                 "From: a@example.com\r\nSubject: part 2\r\nMessage-ID: <p2@x>\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: message/partial; id=\"split@x\"; number=2; total=3\r\n\r\n"
                 "=?partial body kept as it is?=\r\n",
                 {}, "part 2", 0});
    f.push_back({"QM1000000008.eml", "From: a@example.com\r\nSubject: headers only\r\nX-Note: no body\r\n", {},
                 "headers only", 0});
    // Names from the mail that try to leave the folder or take a device or
    // store name.
    f.push_back({"QM1000000009.eml",
                 "From: a@example.com\r\nSubject: names\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/mixed; boundary=n\r\n\r\n"
                 "--n\r\nContent-Type: application/octet-stream; name=\"..\\\\..\\\\..\\\\evil.txt\"\r\n\r\nA\r\n"
                 "--n\r\nContent-Type: application/octet-stream; name=\"CON\"\r\n\r\nB\r\n"
                 "--n\r\nContent-Type: application/octet-stream; name=\"Headers\"\r\n\r\nC\r\n"
                 "--n\r\nContent-Type: application/octet-stream; name=\"C:\\\\Windows\\\\x.dll\"\r\n\r\nD\r\n"
                 "--n\r\nContent-Type: application/octet-stream; name=\"..\"\r\n\r\nE\r\n--n--\r\n",
                 {}, "names", 1});
    return f;
}

} // namespace

TEST(FolderStore, FilingStoresEntriesPartsAndRecords)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    std::vector<Fixture> fixtures = Fixtures();
    for (const Fixture& fx : fixtures)
        ASSERT_EQ(FileMail(store, dir.Path(), fx.name, fx.text), 1) << fx.name;

    CMailListData* list = store.GetMailList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetMailCount(), static_cast<int>(fixtures.size()));
    std::string data = ReadFileBytes(store.GetDataPath());
    int expectedOffset = 0;
    for (size_t i = 0; i < fixtures.size(); i++) {
        const Fixture& fx = fixtures[i];
        CMailIndexRecord* r = list->GetMailRecord(static_cast<int>(i));
        SCOPED_TRACE(fx.name);
        // The data file entry: name line, the mail as filed, terminator.
        EXPECT_EQ(r->m_nDataOffset, expectedOffset);
        expectedOffset += r->m_nDataLength;
        std::string entry = data.substr(static_cast<size_t>(r->m_nDataOffset), static_cast<size_t>(r->m_nDataLength));
        std::string nameLine = std::string(fx.name) + "\r\n";
        ASSERT_EQ(entry.compare(0, nameLine.size(), nameLine), 0);
        ASSERT_GE(entry.size(), nameLine.size() + 5);
        EXPECT_EQ(entry.substr(entry.size() - 5), "\r\n.\r\n");
        std::string readBack = entry.substr(nameLine.size(), entry.size() - nameLine.size() - 5);
        std::string expected = fx.text;
        if (expected.find("\r\n\r\n") == std::string::npos)
            expected += "\r\n";  // the blank line that ends a header block
        EXPECT_EQ(readBack, expected);
        CString text;
        ASSERT_TRUE(store.ReadMailText(r, text));
        EXPECT_EQ(text.Str(), entry);
        CString header = store.ReadMailHeader(r->m_nDataOffset, r->m_nDataLength);
        EXPECT_EQ(header.Str(), entry.substr(0, entry.find("\r\n\r\n") + 4));

        EXPECT_EQ(r->GetText(CMailIndexRecord::colSubject), fx.subject);
        EXPECT_EQ(r->GetText(CMailIndexRecord::colFileName), fx.name);
        EXPECT_EQ(r->GetText(CMailIndexRecord::colAttachDir), fx.name);
        EXPECT_EQ(r->m_bAttach, fx.attach);
        std::vector<std::string> files = AttachFiles(store, fx.name);
        if (std::string(fx.name) != "QM1000000009.eml") {
            ASSERT_EQ(files.size(), fx.files.size());
            for (size_t k = 0; k < files.size(); k++)
                EXPECT_EQ(files[k].compare(0, fx.files[k].size(), fx.files[k]), 0) << files[k];
        }
        int attachBytes = static_cast<int>(GetFolderFilesSize(store.GetFolderPath() + "\\Attach\\" + fx.name));
        EXPECT_EQ(r->m_nTotalSize, r->m_nDataLength + attachBytes);
    }

    CMailIndexRecord* jp = list->GetMailRecord(0);
    EXPECT_EQ(jp->GetText(CMailIndexRecord::colDate).Left(19), "2024/05/01 09:00:00");
    EXPECT_EQ(jp->GetText(CMailIndexRecord::colMessageId), "<jp@example.jp>");
    EXPECT_EQ(jp->GetText(CMailIndexRecord::colFrom).Find("yamada@example.jp") >= 0, true);
    // The parsed view of the stored mail matches the source.
    CMailFileReader reader;
    CString tempMail = dir.File("QM1000000001.eml");
    WriteFileBytes(tempMail, fixtures[0].text);
    reader.ParseMailFile(tempMail, "", FALSE);
    EXPECT_EQ(reader.GetBody(), "こんにちは、世界。\r\n表示のテスト\r\n");

    // A mail without a Date takes the received time.
    EXPECT_EQ(list->GetMailRecord(1)->GetText(CMailIndexRecord::colDate), "2024/05/01 10:00:00 +0900");
    // One part of a split message: its id, number and total.
    CMailIndexRecord* partial = list->GetMailRecord(7);
    EXPECT_EQ(partial->GetText(CMailIndexRecord::colReference).Find("split@x") >= 0, true);
    EXPECT_EQ(partial->m_nPartNumber, 2);
    EXPECT_EQ(partial->m_nFlags >> 16, 3);
    // The related HTML names its image by file name, and its base tag is
    // commented out.
    std::vector<std::string> related = AttachFiles(store, "QM1000000004.eml");
    std::string html;
    for (const std::string& f : related)
        if (f.compare(0, 7, "html\\QM") == 0)
            html = ReadFileBytes(store.GetFolderPath() + "\\Attach\\QM1000000004.eml\\" + f.c_str());
    EXPECT_NE(html.find("src=\"pic.png\""), std::string::npos) << html;
    EXPECT_NE(html.find("<!--<base href=\"http://x/\">-->"), std::string::npos) << html;
    EXPECT_EQ(ReadFileBytes(store.GetFolderPath() + "\\Attach\\QM1000000010.eml\\notes.txt"),
              std::string("mac data \x90 fork\r", 16));
    EXPECT_EQ(ReadFileBytes(store.GetFolderPath() + "\\Attach\\QM1000000002.eml\\report.pdf"),
              std::string("%PDF-1.4\x00\x01\x02 binary\r\n\xff", 21));

    // Untrusted names all stay inside the mail's own folder.
    std::vector<std::string> names = AttachFiles(store, "QM1000000009.eml");
    EXPECT_GE(names.size(), 5u);
    for (const std::string& n : names) {
        EXPECT_EQ(n.find("..\\"), std::string::npos) << n;
        EXPECT_NE(n, "..");
        EXPECT_NE(n, "CON");
        EXPECT_NE(n, "Headers");
    }
    EXPECT_FALSE(TestSupport::FileExists(dir.File("evil.txt")));
    EXPECT_FALSE(TestSupport::FileExists(dir.Path() + "\\In.Box\\evil.txt"));
    EXPECT_FALSE(TestSupport::FileExists(dir.Path() + "\\In.Box\\Attach\\evil.txt"));
}

TEST(FolderStore, HtmlOnlyMailHasTheTextOfItsHtmlAsBodyWhenTheOptionIsOn)
{
    TempDir dir;
    TestApp app(dir.Path());
    // こんにちは in UTF-8; the page holds a line of a lone ".".
    const std::string utf8Page = "<html><head><title>t</title></head><body><p>\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB"
                                 "\xE3\x81\xA1\xE3\x81\xAF</p><p>.</p><p>a &lt; b</p></body></html>\r\n";
    const std::string jisPage = "<p>" + std::string(SjisToJis("日本語").GetString()) + "<br>x</p>";
    struct Case
    {
        const char* name;
        std::string mail;
        std::string bodyOn;  // the body as shown, dots undone
    } cases[] = {
        {"UTF-8 page", "Subject: a\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n" + utf8Page,
         "こんにちは\r\n.\r\na < b"},
        {"ISO-2022-JP page in base64",
         "Subject: a\r\nContent-Type: text/html; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
             B64(jisPage) + "\r\n",
         "日本語\r\nx"},
        {"text before its HTML",
         "Subject: a\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
         "plain text\r\n--b\r\nContent-Type: text/html\r\n\r\n<p>html text</p>\r\n--b--\r\n",
         "plain text"},
    };
    for (const Case& c : cases) {
        for (int option = 0; option < 2; option++) {
            app.m_bCreateMailBodyFromHtml = option;
            CMailFileReader reader;
            reader.ParseMailText(c.mail, FALSE);
            std::string body = reader.GetBody().Str();
            // No line of the stored body may end the entry early.
            EXPECT_EQ(("\r\n" + body).find("\r\n.\r\n"), std::string::npos) << c.name;
            bool fromText = c.bodyOn.compare(0, 5, "plain") == 0;
            EXPECT_EQ(CDotStuffer::Undo(body), option || fromText ? c.bodyOn : std::string()) << c.name << option;
        }
    }
}

TEST(FolderStore, DeleteRestoreCopyDuplicatesAndFlags)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore inbox, trash;
    OpenStore(inbox, dir.File("In.Box"), 1, 1);
    OpenStore(trash, dir.File("Trash.Box"), 2, 4);
    ASSERT_TRUE(inbox.LoadIndex());
    ASSERT_EQ(FileMail(inbox, dir.Path(), "QM2000000001.eml", SimpleMail("one", "<1@x>")), 1);
    ASSERT_EQ(FileMail(inbox, dir.Path(), "QM2000000002.eml", SimpleMail("two", "<2@x>")), 1);
    ASSERT_EQ(FileMail(inbox, dir.Path(), "QM2000000003.eml", SimpleMail("one again", "<1@x>")), 1);
    CMailListData* list = inbox.GetMailList();
    EXPECT_EQ(list->GetUnreadCount(), 3);

    EXPECT_EQ(inbox.DeleteDuplicateMails(), 1);
    EXPECT_TRUE(list->GetMailRecord(2)->m_bDeleted);
    EXPECT_EQ(list->GetMailCount(), 2);
    EXPECT_EQ(list->GetUnreadCount(), 2);
    EXPECT_TRUE(inbox.RestoreMail(list->GetMailRecord(2)));
    EXPECT_EQ(list->GetMailCount(), 3);

    EXPECT_TRUE(inbox.SetMailFlag2("QM2000000002.eml", TRUE));
    EXPECT_EQ(list->GetMailRecord(1)->m_nFlags & 0x2, 0x2);
    EXPECT_TRUE(inbox.SetMailFlag8("QM2000000002.eml", TRUE));
    EXPECT_TRUE(inbox.SetMailFlag2("QM2000000002.eml", FALSE));
    EXPECT_EQ(list->GetMailRecord(1)->m_nFlags & 0xA, 0x8);
    list->SetColorLabel(list->GetMailRecord(1), 5, 0);

    // Filter conditions: size keys on the record, other keys on the header.
    CMailMessage header;
    header.ParseHeaderText("Subject: Two things\r\nX-SendAcount: work\r\n\r\n");
    CMailIndexRecord* two = list->GetMailRecord(1);
    CString size = FormatString("%d", two->m_nTotalSize);
    EXPECT_TRUE(inbox.MatchCondition("Size <=", &header, two, size, FALSE, FALSE));
    EXPECT_FALSE(inbox.MatchCondition("Size <=", &header, two, "1", FALSE, FALSE));
    EXPECT_TRUE(inbox.MatchCondition("<= Size", &header, two, "1", FALSE, FALSE));
    EXPECT_TRUE(inbox.MatchCondition("Subject", &header, two, "things", FALSE, FALSE));
    EXPECT_FALSE(inbox.MatchCondition("Subject", &header, two, "things", FALSE, TRUE));
    EXPECT_TRUE(inbox.MatchCondition("", &header, two, "", FALSE, FALSE));
    EXPECT_FALSE(inbox.MatchCondition("", &header, two, "", TRUE, FALSE));
    EXPECT_FALSE(inbox.MatchMailSendAccount(1, "work"));

    // Copy into a trash whose index is not loaded: it is loaded first and
    // the new index returned.
    CMailIndexRecord* src = list->GetMailRecord(1);
    CString text;
    ASSERT_TRUE(inbox.ReadMailText(src, text));
    CMailIndexRecord state;
    int idx = src->AddCopyToFolder(&trash, list, text, text.GetLength(), TRUE, nullptr, &state);
    EXPECT_EQ(idx, 0);
    EXPECT_EQ(state.m_nLabel, 5);
    CMailListData* tl = trash.GetMailList();
    ASSERT_NE(tl, nullptr);
    CString copied;
    ASSERT_TRUE(trash.ReadMailText(tl->GetMailRecord(0), copied));
    EXPECT_EQ(copied, text);  // the "QM" name line is replaced by the same name
    EXPECT_EQ(tl->GetMailRecord(0)->GetText(CMailIndexRecord::colSubject), "two");
    EXPECT_EQ(tl->GetMailRecord(0)->m_nFlags & 0x8, 0x8);
    // Text without a name line gets one in front.
    int idx2 = src->AddCopyToFolder(&trash, list, "Subject: raw\r\n\r\nraw\r\n", -1, FALSE, nullptr);
    EXPECT_EQ(idx2, 1);
    ASSERT_TRUE(trash.ReadMailText(tl->GetMailRecord(1), copied));
    EXPECT_EQ(copied, "QM2000000002.eml\r\n\r\nSubject: raw\r\n\r\nraw\r\n\r\n.\r\n");
    // Filing after it never cuts the copied entry.
    ASSERT_EQ(FileMail(trash, dir.Path(), "QM2000000009.eml", SimpleMail("nine", "<9@x>")), 1);
    ASSERT_TRUE(trash.ReadMailText(tl->GetMailRecord(1), copied));
    EXPECT_EQ(copied, "QM2000000002.eml\r\n\r\nSubject: raw\r\n\r\nraw\r\n\r\n.\r\n");
}

TEST(FolderStore, OptimisationKeepsLiveMailsCompact)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    std::vector<Fixture> fx = Fixtures();
    for (const Fixture& f : fx)
        ASSERT_EQ(FileMail(store, dir.Path(), f.name, f.text), 1);
    CMailListData* list = store.GetMailList();
    // Nothing deleted: nothing to do.
    EXPECT_FALSE(store.Optimize());
    std::vector<std::string> kept;
    for (int i = 0; i < list->GetAllRecordCount(); i++) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        CString t;
        store.ReadMailText(r, t);
        if (i % 3 == 1)
            store.DeleteMail(i);
        else
            kept.push_back(t.Str());
    }
    // A sub-folder of "Attach" that is not a mail's stays.
    CreateDirectoryA(store.GetFolderPath() + "\\Attach\\keep", nullptr);
    ASSERT_TRUE(store.Optimize());

    CMailFolderStore reopened;
    OpenStore(reopened, dir.File("In.Box"));
    CMailListData* again = reopened.GetMailList();
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->GetMailCount(), static_cast<int>(kept.size()));
    int offset = 0;
    std::string data;
    for (int i = 0; i < again->GetAllRecordCount(); i++) {
        CMailIndexRecord* r = again->GetMailRecord(i);
        EXPECT_EQ(r->m_nDataOffset, offset);
        offset += r->m_nDataLength;
        CString t;
        reopened.ReadMailText(r, t);
        EXPECT_EQ(t.Str(), kept[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(ReadFileBytes(reopened.GetDataPath()).size(), static_cast<size_t>(offset));
    // Only attachment folders of live mails remain.
    EXPECT_FALSE(DirectoryExists(dir.Path() + "\\In.Box\\Attach\\QM1000000002.eml"));
    EXPECT_TRUE(DirectoryExists(dir.Path() + "\\In.Box\\Attach\\QM1000000003.eml"));
    EXPECT_TRUE(DirectoryExists(dir.Path() + "\\In.Box\\Attach\\keep"));
    EXPECT_FALSE(TestSupport::FileExists(dir.Path() + "\\In.Box\\$$MailData"));
}

TEST(FolderStore, RebuildGivesTheSameRecordsAndKeepsState)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    for (const Fixture& f : Fixtures())
        ASSERT_EQ(FileMail(store, dir.Path(), f.name, f.text, FALSE, "2001/09/09 10:46:40 +0900"), 1);
    CMailListData* list = store.GetMailList();
    list->SetOpen(list->GetMailRecord(0));
    list->SetColorLabel(list->GetMailRecord(1), 7, 0);
    store.DeleteMail(2);
    std::string before = ReadFileBytes(store.GetIndexPath());
    const int count = list->GetAllRecordCount();
    std::vector<std::unique_ptr<CMailIndexRecord>> original;
    for (int i = 0; i < count; i++) {
        original.emplace_back(new CMailIndexRecord);
        original.back()->CopyValuesFrom(*list->GetMailRecord(i));
    }

    // A lost index: every mail comes back, read.
    CString lost = dir.File("lost.lst");
    MoveFileA(store.GetIndexPath(), lost);
    ASSERT_TRUE(store.RebuildIndex());
    CMailListData fresh;
    fresh.SetFilePath(store.GetIndexPath());
    ASSERT_TRUE(fresh.ReadFromFile());
    ASSERT_EQ(fresh.GetMailCount(), count);
    for (int i = 0; i < count; i++) {
        CMailIndexRecord* a = original[static_cast<size_t>(i)].get();
        CMailIndexRecord* b = fresh.GetMailRecord(i);
        SCOPED_TRACE(i);
        for (int c = 0; c < CMailIndexRecord::columnCount; c++) {
            // The received time comes from the file name, and the charset
            // only from what the stored headers name.
            if (c == CMailIndexRecord::colReceived || c == CMailIndexRecord::colCharset ||
                (c == CMailIndexRecord::colDate && a->GetText(c).Find("2001/09/09") == 0))
                continue;
            EXPECT_EQ(a->GetText(c), b->GetText(c)) << "column " << c;
        }
        EXPECT_EQ(a->m_nDataOffset, b->m_nDataOffset);
        EXPECT_EQ(a->m_nDataLength, b->m_nDataLength);
        EXPECT_EQ(a->m_nTotalSize, b->m_nTotalSize);
        EXPECT_EQ(a->m_bAttach, b->m_bAttach);
        EXPECT_EQ(a->m_nPartNumber, b->m_nPartNumber);
        EXPECT_TRUE(b->m_bRead);
    }

    // With the old index there, its state survives: read flags and labels;
    // the old index is kept as "Index.bak". The deletion mark does not: the
    // data file does not record deletion, and the deleted mail is back.
    MoveFileExA(lost, store.GetIndexPath(), MOVEFILE_REPLACE_EXISTING);
    ASSERT_TRUE(store.RebuildIndex());
    EXPECT_EQ(ReadFileBytes(dir.Path() + "\\In.Box\\Index.bak"), before);
    CMailListData kept;
    kept.SetFilePath(store.GetIndexPath());
    ASSERT_TRUE(kept.ReadFromFile());
    EXPECT_EQ(kept.GetDeletedOnLoadCount(), 0);
    EXPECT_EQ(kept.GetMailCount(), count);
    EXPECT_TRUE(kept.GetMailRecord(0)->m_bRead);
    EXPECT_FALSE(kept.GetMailRecord(1)->m_bRead);
    EXPECT_EQ(kept.GetMailRecord(1)->m_nLabel, 7);
    EXPECT_FALSE(kept.GetMailRecord(2)->m_bRead);
}

// Mails as other programs write them: parameters in the RFC 2231 forms, a
// digest whose parts carry no type, and a file with LF line ends.
TEST(FolderStore, FilingReadsMailsAsOtherClientsWriteThem)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    const std::string pdf("%PDF-1.4 quote", 14);
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"QM2000000001.eml",
         "From: a@example.com\r\nSubject: signed\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/signed; micalg=pgp-sha256;\r\n protocol=\"application/pgp-signature\";\r\n"
         " boundary*=\"sig\"\r\n\r\n"
         "--sig\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nsigned text\r\n"
         "--sig\r\nContent-Type: application/pgp-signature; name*=us-ascii''signature.asc\r\n\r\n"
         "-----BEGIN PGP SIGNATURE-----\r\n--sig--\r\n",
         {"Headers\\Headers.dat", "signature.asc"}},
        {"QM2000000002.eml",
         "From: a@example.com\r\nSubject: quote\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed; boundary=q\r\n\r\n"
         "--q\r\nContent-Type: application/pdf; name*=UTF-8''%E8%A6%8B%E7%A9%8D.pdf\r\n"
         "Content-Disposition: attachment;\r\n filename*0*=UTF-8''%E8%A6%8B; filename*1*=%E7%A9%8D.pdf\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\n" + B64(pdf) + "\r\n--q--\r\n",
         {"Headers\\Headers.dat", "見積.pdf"}},
        {"QM2000000003.eml",
         "From: list@example.com\r\nSubject: digest\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/digest; boundary=d\r\n\r\n"
         "--d\r\n\r\nFrom: one@example.com\r\nSubject: first\r\nContent-Description: x\r\n\r\nfirst body\r\n"
         "--d\r\nContent-Description: second\r\n\r\nFrom: two@example.com\r\nSubject: second\r\n\r\nsecond body\r\n"
         "--d--\r\n",
         {"Headers\\Headers.dat", "QM", "second.eml"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(FileMail(store, dir.Path(), c.name, c.text), 1);
        std::vector<std::string> files = AttachFiles(store, c.name);
        ASSERT_EQ(files.size(), c.files.size());
        for (size_t k = 0; k < files.size(); k++)
            EXPECT_EQ(files[k].compare(0, c.files[k].size(), c.files[k]), 0) << files[k];
    }
    CString attach = store.GetFolderPath() + "\\Attach\\";
    EXPECT_EQ(ReadFileBytes(attach + "QM2000000002.eml\\見積.pdf"), pdf);
    EXPECT_EQ(ReadFileBytes(attach + "QM2000000003.eml\\second.eml"),
              "From: two@example.com\r\nSubject: second\r\n\r\nsecond body");

    // LF line ends, and a line of a dot: the stored entry is the mail in the
    // store's own form.
    ASSERT_EQ(FileMail(store, dir.Path(), "QM2000000004.eml",
                       "From: a@example.com\nSubject: lf\n\nline\n.\n..x\nend\n"),
              1);
    CMailListData* list = store.GetMailList();
    CString text;
    ASSERT_TRUE(store.ReadMailText(list->GetMailRecord(list->GetAllRecordCount() - 1), text));
    EXPECT_EQ(text.Str(),
              "QM2000000004.eml\r\nFrom: a@example.com\r\nSubject: lf\r\n\r\nline\r\n..\r\n...x\r\nend\r\n\r\n.\r\n");
}

TEST(FolderStore, HtmlLinkStaysWhenItsFileCannotBeMoved)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    const std::string png("\x89PNG\r\n\x1a\n\x00\x00", 10);
    // The picture comes before the page, so it is stored beside the mail and
    // has to be moved next to the page.
    std::string mail = "From: a@example.com\r\nSubject: related\r\nMIME-Version: 1.0\r\n"
                       "Content-Type: multipart/related; boundary=r1\r\n\r\n"
                       "--r1\r\nContent-Type: image/png; name=\"pic.png\"\r\nContent-ID: <img1@x>\r\n"
                       "Content-Transfer-Encoding: base64\r\n\r\n" +
                       B64(png) +
                       "\r\n--r1\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n"
                       "<html><body><img src=\"cid:img1@x\"></body></html>\r\n--r1--\r\n";
    static int moves;
    moves = 0;
    // The first move is the picture's; the page's own replacement works.
    FileSteps::FailHook previous =
        FileSteps::SetFailHook([](const char* call) { return strcmp(call, "MoveFileEx") == 0 && ++moves == 1; });
    ASSERT_EQ(FileMail(store, dir.Path(), "QM2100000001.eml", mail), 1);
    FileSteps::SetFailHook(previous);
    std::vector<std::string> files = AttachFiles(store, "QM2100000001.eml");
    std::string html;
    for (const std::string& f : files)
        if (f.compare(0, 7, "html\\QM") == 0)
            html = ReadFileBytes(store.GetFolderPath() + "\\Attach\\QM2100000001.eml\\" + f.c_str());
    // Neither the picture nor the page was moved: the page keeps its
    // reference as it came and the picture its place.
    EXPECT_NE(html.find("src=\"cid:img1@x\""), std::string::npos) << html;
    EXPECT_EQ(ReadFileBytes(store.GetFolderPath() + "\\Attach\\QM2100000001.eml\\pic.png"), png);
}

TEST(FolderStore, FilingThatFailsWritesItsLogLine)
{
    TempDir dir;
    TestApp app(dir.Path());
    app.m_bCommLog = TRUE;
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    // A data file that cannot be opened for writing.
    CreateDirectoryA(store.GetDataPath(), nullptr);
    EXPECT_EQ(FileMail(store, dir.Path(), "QM2200000001.eml", SimpleMail("lost", "<lost@x>")), 0);
    app.m_bCommLog = FALSE;
    EXPECT_NE(ReadFileBytes(app.GetLogFilePath()).find("m_pMailReader->ReadMailFile Error\r\n"), std::string::npos);
    RemoveDirectoryA(store.GetDataPath());
}

namespace {

// Names the reader makes up for nameless parts carry the filing time: they
// are shown as "QM#" so that two filings can be compared.
std::string MaskGeneratedNames(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size();) {
        size_t digits = 0;
        if (s.compare(i, 2, "QM") == 0)
            while (i + 2 + digits < s.size() && isdigit(static_cast<unsigned char>(s[i + 2 + digits])))
                digits++;
        if (digits >= 16) {
            out += "QM#";
            i += 2 + digits;
        } else {
            out += s[i++];
        }
    }
    return out;
}

std::string Printable(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c == '\\' || c < 0x20 || c >= 0x7F)
            out += FormatString("\\%02x", c).Str();
        else
            out += static_cast<char>(c);
    }
    return out;
}

// Everything a folder keeps on disk, as text: each "Index.lst" line (its
// binary part in hex), each "MailData.Qmd" entry and each attachment file
// with its size and a hash of its bytes.
std::string StoredLayout(CMailFolderStore& store)
{
    std::string out = "[Index.lst]\n";
    std::string index = ReadFileBytes(store.GetFolderPath() + "\\Index.lst");
    for (size_t pos = 0; pos < index.size();) {
        size_t end = pos + CMailIndexRecord::binarySize;
        size_t crlf = index.find("\r\n", std::min(end, index.size()));
        if (crlf == std::string::npos)
            crlf = index.size();
        out += Printable(index.substr(pos, std::min(end, crlf) - pos)) + " " +
               Printable(MaskGeneratedNames(index.substr(std::min(end, crlf), crlf - std::min(end, crlf)))) + "\n";
        pos = crlf + 2;
    }
    out += "[MailData.Qmd]\n";
    std::string data = ReadFileBytes(store.GetDataPath());
    for (size_t pos = 0; pos < data.size();) {
        size_t end = data.find("\r\n.\r\n", pos);
        end = end == std::string::npos ? data.size() : end + 5;
        out += Printable(data.substr(pos, end - pos)) + "\n";
        pos = end;
    }
    out += "[Attach]\n";
    std::vector<std::string> files;
    ListRelative(store.GetFolderPath() + "\\Attach", "", files);
    for (const std::string& f : files) {
        std::string bytes = MaskGeneratedNames(ReadFileBytes(store.GetFolderPath() + "\\Attach\\" + f.c_str()));
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : bytes)
            hash = (hash ^ c) * 1099511628211ull;
        out += Printable(MaskGeneratedNames(f)) + FormatString(" %u %016llx", static_cast<unsigned>(bytes.size()),
                                                               static_cast<unsigned long long>(hash)).Str() + "\n";
    }
    return out;
}

} // namespace

// What filing writes stays byte for byte what earlier versions of the store
// wrote for the same mails. Setting CVM_WRITE_FIXTURES=1 writes the expected
// layout anew from the code under test.
static void CheckStoredLayout(bool bFromMemory, bool bInRun)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    if (bInRun)
        store.BeginFilingRun();
    std::vector<Fixture> fixtures = Fixtures();
    fixtures.push_back({"QM1000000011.eml",
                        "From: a@example.com\r\nSubject: no charset\r\n\r\n.leading dot\r\nplain text\r\n", {}, "", 0});
    fixtures.push_back({"QM1000000012.eml",
                        "From: a@example.com\r\nSubject: two of a name\r\nMIME-Version: 1.0\r\n"
                        "Content-Type: multipart/mixed; boundary=d\r\n\r\n--d\r\nContent-Type: text/plain\r\n\r\nhi\r\n"
                        "--d\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
                        "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n"
                        "--d\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
                        "Content-Transfer-Encoding: base64\r\n\r\nREVG\r\nR0g=\r\n--d--\r\n",
                        {}, "", 1});
    for (size_t i = 0; i < fixtures.size(); i++) {
        CString received = FormatString("2024/05/%02d 10:00:00 +0900", 1 + static_cast<int>(i));
        std::string text = fixtures[i].text;
        ASSERT_EQ(bFromMemory ? store.AddNewMailText(text, fixtures[i].name, received, i % 2 == 0)
                              : FileMail(store, dir.Path(), fixtures[i].name, text, i % 2 == 0, received),
                  1);
    }
    ASSERT_TRUE(store.FlushFiledMails());
    if (bInRun)
        store.EndFilingRun();
    std::string layout = StoredLayout(store);

    CString expectedPath = TestSupport::TestDataDir() + "\\store\\data\\StoredLayout.txt";
    char write[8];
    if (GetEnvironmentVariableA("CVM_WRITE_FIXTURES", write, sizeof(write)) && write[0] == '1')
        WriteFileBytes(expectedPath, layout);
    std::string expected = ReadFileBytes(expectedPath);
    ASSERT_FALSE(expected.empty()) << expectedPath.GetString();
    EXPECT_EQ(layout, expected);
}

// The same for a mail filed from a file and one filed from memory (a
// received mail), alone and in a filing run.
TEST(FolderStore, FilingKeepsItsStoredLayout)
{
    for (bool bFromMemory : {false, true}) {
        for (bool bInRun : {false, true}) {
            SCOPED_TRACE(bFromMemory ? "from memory" : "from a file");
            SCOPED_TRACE(bInRun ? "in a filing run" : "alone");
            CheckStoredLayout(bFromMemory, bInRun);
        }
    }
}

// A filing run keeps the folder's files open from one mail to the next;
// meanwhile readers, marks, the write check and an optimisation go on, and
// the end of the run leaves no handle open.
TEST(FolderStore, FilingRunLeavesTheFolderToOthers)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    auto fileOne = [&](int n) {
        std::string text = SimpleMail(FormatString("run %d", n).Str(), FormatString("<r%d@x>", n).Str());
        return store.AddNewMailText(text, FormatString("QM400000000%d.eml", n), "2024/05/01 10:00:00 +0900", FALSE);
    };
    auto openAlone = [](const CString& path) {
        HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        return h != INVALID_HANDLE_VALUE;
    };
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    CMailFolderStore::SetNotifyThreadId(GetCurrentThreadId());
    auto countMessages = [&msg] {
        int n = 0;
        while (PeekMessageA(&msg, nullptr, 1351, 1352, PM_REMOVE))
            n++;
        return n;
    };
    countMessages();  // left by what ran before
    store.BeginFilingRun();
    for (int n = 0; n < 4; n++)
        ASSERT_EQ(fileOne(n), 1);
    EXPECT_EQ(countMessages(), 0);
    EXPECT_FALSE(openAlone(store.GetDataPath()));
    EXPECT_TRUE(store.CanAppendData());
    CMailListData* list = store.GetMailList();
    CString text;
    ASSERT_TRUE(store.ReadMailText(list->GetMailRecord(3), text));
    EXPECT_NE(text.Find("body of run 3"), -1);
    list->SetOpen(list->GetMailRecord(0));
    ASSERT_TRUE(store.DeleteMail(1));
    ASSERT_TRUE(store.Optimize());
    ASSERT_EQ(fileOne(4), 1);
    ASSERT_TRUE(store.FlushFiledMails());
    countMessages();  // those of the mark and the deletion
    ASSERT_EQ(fileOne(5), 1);
    EXPECT_EQ(countMessages(), 0);
    store.EndFilingRun();
    EXPECT_EQ(countMessages(), 2);
    CMailFolderStore::SetNotifyThreadId(0);
    EXPECT_TRUE(openAlone(store.GetDataPath()));
    EXPECT_TRUE(openAlone(store.GetIndexPath()));

    CMailFolderStore reopened;
    OpenStore(reopened, dir.File("In.Box"));
    CMailListData* again = reopened.GetMailList();
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->GetMailCount(), 5);
    EXPECT_TRUE(reopened.RecordsFitDataFile());
    EXPECT_TRUE(again->GetMailRecord(0)->m_bRead);
    const int expected[] = {0, 2, 3, 4, 5};
    for (int i = 0; i < 5; i++) {
        ASSERT_TRUE(reopened.ReadMailText(again->GetMailRecord(i), text));
        EXPECT_NE(text.Find(FormatString("body of run %d", expected[i])), -1) << i;
    }
}

// Attachment folders: a plain mail gets none; a copy takes a free name
// whether the name in the way was filed, copied or found on the disk.
TEST(FolderStore, AttachmentFolderNamesStayApart)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore inbox, other;
    OpenStore(inbox, dir.File("In.Box"), 1, 1);
    OpenStore(other, dir.File("Other.Box"), 2, 1);
    ASSERT_TRUE(inbox.LoadIndex());
    ASSERT_TRUE(other.LoadIndex());
    const std::string withFile = "From: a@example.com\r\nSubject: file\r\nMIME-Version: 1.0\r\n"
                                 "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                                 "text\r\n--b\r\nContent-Type: application/octet-stream; name=\"x.bin\"\r\n"
                                 "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n--b--\r\n";
    ASSERT_EQ(FileMail(inbox, dir.Path(), "QM3000000001.eml", SimpleMail("plain", "<p@x>")), 1);
    ASSERT_EQ(FileMail(inbox, dir.Path(), "QM3000000002.eml", withFile), 1);
    EXPECT_FALSE(TestSupport::FileExists(inbox.GetFolderPath() + "\\Attach\\QM3000000001.eml"));
    EXPECT_EQ(AttachFiles(inbox, "QM3000000002.eml"), (std::vector<std::string>{"Headers\\Headers.dat", "x.bin"}));

    // In the other folder the name is taken first by a folder already on the
    // disk, then by each copy.
    CreateDirectoryA(other.GetFolderPath() + "\\Attach", nullptr);
    CreateDirectoryA(other.GetFolderPath() + "\\Attach\\qm3000000002.EML", nullptr);
    WriteFileBytes(other.GetFolderPath() + "\\Attach\\qm3000000002.EML\\old.txt", "old");
    CMailListData* list = inbox.GetMailList();
    CMailIndexRecord* src = list->GetMailRecord(1);
    CString text;
    ASSERT_TRUE(inbox.ReadMailText(src, text));
    for (int i = 0; i < 2; i++)
        ASSERT_GE(src->AddCopyToFolder(&other, list, text, text.GetLength(), TRUE, inbox.GetFolderPath()), 0);
    CMailListData* ol = other.GetMailList();
    ASSERT_EQ(ol->GetMailCount(), 2);
    EXPECT_EQ(ol->GetMailRecord(0)->GetText(CMailIndexRecord::colAttachDir), "QM3000000002_1");
    EXPECT_EQ(ol->GetMailRecord(1)->GetText(CMailIndexRecord::colAttachDir), "QM3000000002_2");
    EXPECT_EQ(AttachFiles(other, "QM3000000002_2"), (std::vector<std::string>{"Headers\\Headers.dat", "x.bin"}));
    EXPECT_EQ(AttachFiles(other, "qm3000000002.EML"), (std::vector<std::string>{"old.txt"}));

    // A copy into the folder the mail was filed into takes a new name too.
    ASSERT_GE(src->AddCopyToFolder(&inbox, list, text, text.GetLength(), TRUE, inbox.GetFolderPath()), 0);
    EXPECT_EQ(list->GetMailRecord(2)->GetText(CMailIndexRecord::colAttachDir), "QM3000000002_1");

    // A mail filed under a name whose folder is on the disk in another case
    // puts its parts into that folder and makes no second one.
    CMailFolderStore third;
    OpenStore(third, dir.File("Third.Box"), 3, 1);
    CreateDirectoryPath(third.GetFolderPath() + "\\Attach\\qm3000000003.EML");
    WriteFileBytes(third.GetFolderPath() + "\\Attach\\qm3000000003.EML\\old.txt", "old");
    ASSERT_EQ(FileMail(third, dir.Path(), "QM3000000003.eml", withFile), 1);
    EXPECT_EQ(AttachFiles(third, "QM3000000003.eml"),
              (std::vector<std::string>{"Headers\\Headers.dat", "old.txt", "x.bin"}));
    int sameName = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(third.GetFolderPath() + "\\Attach\\*", &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do
        sameName += _stricmp(fd.cFileName, "QM3000000003.eml") == 0;
    while (FindNextFileA(h, &fd));
    FindClose(h);
    EXPECT_EQ(sameName, 1);
}

// A large index is read through a view of its file; whatever needs the file
// to itself (cutting a torn tail, saving, optimising, rebuilding) still gets
// it while the records live, and the records' texts stay those loaded.
TEST(FolderStore, LargeIndexCanBeCutReplacedAndRebuiltWhileLoaded)
{
    TempDir dir;
    TestApp app(dir.Path());
    const int mails = 700;  // an index of well over 256 KB
    const std::string pad(300, 'x');
    {
        CMailFolderStore filer;
        OpenStore(filer, dir.File("Big"));
        ASSERT_TRUE(filer.LoadIndex());
        filer.BeginFilingRun();
        for (int i = 0; i < mails; i++)
            ASSERT_EQ(FileMail(filer, dir.Path(), FormatString("QM%010d.eml", i + 1),
                               SimpleMail(FormatString("s%d %s", i, pad.c_str()).Str(), FormatString("<m%d@x>", i).Str())),
                      1);
        filer.EndFilingRun();
        filer.Unload();
    }
    auto subject = [&](int i) { return FormatString("s%d %s", i, pad.c_str()); };
    CString indexPath = dir.File("Big\\Index.lst");
    ASSERT_GT(ReadFileBytes(indexPath).size(), 256u * 1024);

    // Torn by an interrupted append: the next filing cuts the torn bytes.
    WriteFileBytes(indexPath, ReadFileBytes(indexPath) + std::string(60, '\0'));
    CMailFolderStore store;
    OpenStore(store, dir.File("Big"));
    CMailListData* list = store.GetMailList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetMailCount(), mails);
    list->SetOpen(list->GetMailRecord(5));
    ASSERT_EQ(FileMail(store, dir.Path(), "QM9000000001.eml", SimpleMail("late", "<late@x>")), 1);
    EXPECT_EQ(list->GetMailCount(), mails + 1);
    EXPECT_EQ(list->GetMailRecord(1)->GetText(CMailIndexRecord::colSubject), subject(1));

    // Saved whole (the file replaced), with the texts not yet asked for.
    list->GetMailRecord(2)->SetText(CMailIndexRecord::colSubject, "changed");
    ASSERT_TRUE(list->SaveIndex());
    EXPECT_EQ(list->GetMailRecord(3)->GetText(CMailIndexRecord::colMessageId), "<m3@x>");
    EXPECT_EQ(list->GetMailRecord(mails - 1)->GetText(CMailIndexRecord::colSubject), subject(mails - 1));

    // Optimised and rebuilt, each over a freshly loaded index.
    store.Unload();
    list = store.GetMailList();
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < mails; i += 2)
        store.DeleteMail(i);
    ASSERT_TRUE(store.Optimize());
    store.Unload();
    ASSERT_NE(store.GetMailList(), nullptr);
    ASSERT_TRUE(store.RebuildIndex());

    CMailFolderStore reopened;
    OpenStore(reopened, dir.File("Big"));
    CMailListData* again = reopened.GetMailList();
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->GetMailCount(), mails / 2 + 1);
    EXPECT_EQ(again->GetMailRecord(0)->GetText(CMailIndexRecord::colSubject), subject(1));
    EXPECT_EQ(again->GetMailRecord(mails / 2)->GetText(CMailIndexRecord::colSubject), "late");
}
