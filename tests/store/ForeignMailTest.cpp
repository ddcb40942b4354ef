// Mail of other countries and of current programs, parsed and filed: header
// text written as raw UTF-8, an unquoted file name with blanks, Korean header
// words, and a Japanese mail with raw Shift_JIS headers that must read as it
// always did. Each mail is read by the parser and filed into a folder; the
// subject and sender shown and the names of the stored attachments are
// compared with what the sender wrote.
#include "core/FileUtil.h"
#include "message/AddressList.h"
#include "message/MimePart.h"
#include "store/StoreText.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using StoreTest::FileMail;
using StoreTest::OpenStore;
using StoreTest::TestApp;
using TestSupport::TempDir;

namespace {

// Raw bytes are written as escapes: the source is compiled to code page 932.

// RFC 6532: UTF-8 straight in the header. "会議資料の送付 Säying",
// "山田 太郎", "見積書 2024.pdf".
const std::string kUtf8Headers =
    "From: \xe5\xb1\xb1\xe7\x94\xb0\x20\xe5\xa4\xaa\xe9\x83\x8e <taro@example.jp>\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: \xe4\xbc\x9a\xe8\xad\xb0\xe8\xb3\x87\xe6\x96\x99\xe3\x81\xae\xe9\x80\x81\xe4\xbb\x98 S\xc3\xa4ying\r\n"
    "Date: Tue, 02 Apr 2024 10:00:00 +0900\r\n"
    "Message-ID: <utf8-headers@example.jp>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"sep\"\r\n"
    "\r\n"
    "--sep\r\n"
    "Content-Type: text/plain; charset=UTF-8\r\n"
    "Content-Transfer-Encoding: 8bit\r\n"
    "\r\n"
    "\xe3\x81\x94\xe7\xa2\xba\xe8\xaa\x8d\xe3\x81\x8f\xe3\x81\xa0\xe3\x81\x95\xe3\x81\x84\xe3\x80\x82\r\n"
    "--sep\r\n"
    "Content-Type: application/pdf; name=\"\xe8\xa6\x8b\xe7\xa9\x8d\xe6\x9b\xb8 2024.pdf\"\r\n"
    "Content-Disposition: attachment; filename=\"\xe8\xa6\x8b\xe7\xa9\x8d\xe6\x9b\xb8 2024.pdf\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "JVBERi0xLjQK\r\n"
    "--sep--\r\n";

// A name with blanks that the sender did not put in quotes.
const std::string kUnquotedName =
    "From: Alice <alice@example.com>\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: test attachment\r\n"
    "Date: Tue, 02 Apr 2024 11:00:00 +0000\r\n"
    "Message-ID: <unquoted@example.com>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=sep\r\n"
    "\r\n"
    "--sep\r\n"
    "Content-Type: text/plain; charset=us-ascii\r\n"
    "\r\n"
    "see the file\r\n"
    "--sep\r\n"
    "Content-Type: text/plain; name=This is a test.txt\r\n"
    "Content-Disposition: attachment; filename=This is a test.txt\r\n"
    "\r\n"
    "contents\r\n"
    "--sep--\r\n";

// Korean header words in both names of the charset: subject "韓國 안녕 報告"
// (EUC-KR), sender "金 哲秀" (ks_c_5601-1987), attachment "地圖.pdf".
const std::string kKoreanMail =
    "From: =?ks_c_5601-1987?B?0dEg9Mnisw==?= <kim@example.kr>\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: =?EUC-KR?B?+dvP0CC+yLPnINzDzbE=?=\r\n"
    "Date: Tue, 02 Apr 2024 12:00:00 +0900\r\n"
    "Message-ID: <korean@example.kr>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"sep\"\r\n"
    "\r\n"
    "--sep\r\n"
    "Content-Type: text/plain; charset=EUC-KR\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "vsiz58fPvLy/5C4NCg==\r\n"
    "--sep\r\n"
    "Content-Type: application/pdf; name=\"=?EUC-KR?B?8qLT8S5wZGY=?=\"\r\n"
    "Content-Disposition: attachment\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "JVBERi0xLjQK\r\n"
    "--sep--\r\n";

// Raw Shift_JIS in the header, as older Japanese programs send it; the
// half-width katakana at the end start like a UTF-8 sequence.
const std::string kSjisHeaders =
    "From: 佐藤 一郎 <sato@example.jp>\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: 表示のテスト（ソフト）ﾃｽﾄ\r\n"
    "Date: Tue, 02 Apr 2024 13:00:00 +0900\r\n"
    "Message-ID: <sjis-headers@example.jp>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"sep\"\r\n"
    "\r\n"
    "--sep\r\n"
    "Content-Type: text/plain; charset=Shift_JIS\r\n"
    "\r\n"
    "本文です。\r\n"
    "--sep\r\n"
    "Content-Type: application/octet-stream; name=\"資料ソ.txt\"\r\n"
    "Content-Disposition: attachment; filename=\"資料ソ.txt\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "AAEC\r\n"
    "--sep--\r\n";

std::string S(const CString& s) { return s.Str(); }

// The names of the parts that carry one, as the parser reads them.
void CollectPartNames(const CMimePart& part, std::vector<std::string>& names)
{
    const CMailMessage& h = part.m_header;
    if (!h.m_strName.IsEmpty() || !h.m_strFileName.IsEmpty())
        names.push_back(S(!h.m_strName.IsEmpty() ? h.m_strName : h.m_strFileName));
    for (int i = 0; i < part.GetChildCount(); i++)
        CollectPartNames(*part.GetChild(i), names);
}

} // namespace

TEST(ForeignMail, HeadersAndAttachmentNamesReadAsTheSenderWroteThem)
{
    const struct
    {
        const char* name;
        const std::string& mail;
        std::string subject;
        std::string sender;  // the display name
        std::string attachment;
    } cases[] = {
        // The "ä" is outside the code page and gets its usual replacement.
        {"raw UTF-8", kUtf8Headers, "会議資料の送付 S?ying", "山田 太郎", "見積書 2024.pdf"},
        {"unquoted name with blanks", kUnquotedName, "test attachment", "Alice", "This is a test.txt"},
        {"Korean", kKoreanMail, "韓國 ?? 報告", "金 哲秀", "地圖.pdf"},
        {"raw Shift_JIS", kSjisHeaders, "表示のテスト（ソフト）ﾃｽﾄ", "佐藤 一郎", "資料ソ.txt"},
    };
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // "S?ying" stands for whatever one character the platform puts for
        // the missing one.
        auto sameText = [](const std::string& actual, const std::string& expected) {
            if (actual.size() != expected.size())
                return false;
            for (size_t i = 0; i < actual.size(); i++)
                if (expected[i] != '?' && actual[i] != expected[i])
                    return false;
            return true;
        };

        CMimePart mail;
        mail.Parse(c.mail.data(), c.mail.size());
        EXPECT_PRED2(sameText, S(mail.m_header.m_strSubject), c.subject);
        EXPECT_EQ(S(ExtractDisplayName(mail.m_header.m_strFrom)), c.sender);
        std::vector<std::string> names;
        CollectPartNames(mail, names);
        EXPECT_EQ(names, std::vector<std::string>{c.attachment});

        ASSERT_EQ(FileMail(store, dir.Path(), FormatString("QM170000000%d.eml", index), c.mail), 1);
        CMailIndexRecord* r = store.GetRecord(index);
        ASSERT_NE(r, nullptr);
        EXPECT_PRED2(sameText, S(r->GetText(CMailIndexRecord::colSubject)), c.subject);
        EXPECT_EQ(S(StoreText::DisplayName(r->GetText(CMailIndexRecord::colFrom))), c.sender);
        CStringArray files;
        ASSERT_TRUE(store.GetAttachFileList(index, files));
        ASSERT_EQ(files.GetSize(), 1);
        EXPECT_EQ(S(GetFileNameFromPath(files[0])), c.attachment);
        index++;
    }
}
