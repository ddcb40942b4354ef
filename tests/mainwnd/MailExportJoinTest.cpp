// Exporting mails to files that the program's own importers read back, and
// joining a mail that arrived as message/partial pieces.
#include "mainwnd/MailExport.h"
#include "mainwnd/PartialMailJoin.h"
#include "store/MailDataSource.h"
#include "store/MboxImporter.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using StoreTest::Folder;
using StoreTest::FileMail;
using StoreTest::TestApp;
using TestSupport::TempDir;

namespace {

std::string Mail(const std::string& subject, const std::string& body)
{
    return "From: Sender <sender@example.com>\r\nTo: rcpt@example.jp\r\nSubject: " + subject +
           "\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\nMessage-ID: <" + std::to_string(subject.size()) + body.substr(0, 3) +
           "@x>\r\n\r\n" + body;
}

std::vector<std::string> LiveTexts(CMailFolderStore* store)
{
    std::vector<std::string> out;
    CMailListData* list = store->GetMailList();
    for (int i = 0; list && i < list->GetAllRecordCount(); i++) {
        if (list->GetMailRecord(i)->m_bDeleted)
            continue;
        std::string text;
        CMailDataSource::RebuildMail(store, i, text);
        out.push_back(text);
    }
    return out;
}

} // namespace

TEST(MailExport, EmlNamesComeFromSubjectsAndNeverOverwrite)
{
    TempDir dir;
    CreateDirectoryA(dir.File("sub.eml"), nullptr);  // a directory does not count as taken
    struct { const char* subject; const char* name; } cases[] = {
        {"会議のご案内", "会議のご案内.eml"},
        {"a/b:c*d?e\\f<g>h\"i|j", "a_b_c_d_e_f_g_h_i_j.eml"},
        {"ソフト表", "ソフト表.eml"},  // the second byte of ソ and 表 is a backslash
        {"same", "same.eml"},
        {"same", "same_1.eml"},
        {"same", "same_2.eml"},
        {"sub", "sub.eml"},
    };
    for (auto& c : cases) {
        CString path = MailExport::UniqueEmlPath(dir.Path(), c.subject);
        EXPECT_EQ(path, dir.File(c.name)) << c.subject;
        if (!TestSupport::FileExists(path))
            TestSupport::WriteFileBytes(path, "x");
    }
}

TEST(MailExport, FromLinesInTheBodyAreMarked)
{
    struct { const char* in; const char* out; } cases[] = {
        {"From me\r\nx\r\n", "\x1b(BFrom me\r\nx\r\n"},
        {"a\r\nFrom there\r\n", "a\r\n\x1b(BFrom there\r\n"},
        {"a\r\n From x\r\nFromage\r\n>From y\r\n", "a\r\n From x\r\nFromage\r\n>From y\r\n"},
    };
    for (auto& c : cases)
        EXPECT_EQ(MailExport::EscapeFromLines(c.in), c.out) << c.in;
    std::string record = MailExport::MboxRecord("Name <who@example.jp>", 0, std::string("text\r\n\0tail", 12));
    EXPECT_EQ(record.substr(0, 18), "From who@example.j");
    EXPECT_EQ(record.substr(record.size() - 10), "\r\ntext\r\n\r\n");
}

TEST(MailExport, ExportedMailsReadBackByteForByte)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore* source = app.AddFolder(0, 0, nullptr, Folder(1, 1, dir.File("In.Box")));
    source->LoadIndex();
    std::vector<std::string> mails = {
        Mail("one", "first line\r\n"),
        Mail("=?ISO-2022-JP?B?GyRCMnFEbBsoQg==?=", "second\r\n..dotted\r\n.\r\nafter a lone dot\r\n"),
        Mail("a/b", "third\r\n"),
    };
    for (size_t i = 0; i < mails.size(); i++)
        ASSERT_EQ(FileMail(*source, dir.Path(), FormatString("QM20000000%d.eml", static_cast<int>(i)), mails[i]), 1);
    std::vector<std::string> stored = LiveTexts(source);
    ASSERT_EQ(stored.size(), 3u);

    // As one mbox file, read by the mbox importer.
    ASSERT_TRUE(MailExport::WriteMbox(dir.File("out.mbx"), source, {0, 1, 2}));
    CMailFolderStore* mbox = app.AddFolder(0, 0, nullptr, Folder(2, 0, dir.File("Mbox.Box")));
    mbox->LoadIndex();
    CMboxImporter importer;
    ASSERT_TRUE(CMboxImporter::ImportFile(nullptr, &importer, dir.File("out.mbx"), TRUE, mbox, 0));
    EXPECT_EQ(LiveTexts(mbox), stored);

    // As one file per mail, each filed again.
    CreateDirectoryA(dir.File("eml"), nullptr);
    std::vector<CString> files = MailExport::WriteEmlFiles(dir.File("eml"), source, {0, 1, 2});
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[2], dir.File("eml\\a_b.eml"));
    CMailFolderStore* eml = app.AddFolder(0, 0, nullptr, Folder(3, 0, dir.File("Eml.Box")));
    eml->LoadIndex();
    for (const CString& f : files)
        ASSERT_EQ(eml->AddNewMailData(f, "2024/05/01 10:00:00 +0900", FALSE), 1);
    EXPECT_EQ(LiveTexts(eml), stored);
}

TEST(MailExport, TextAndHtmlExportsFillTheTemplateWithTheShownMail)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore* source = app.AddFolder(0, 0, nullptr, Folder(1, 1, dir.File("In.Box")));
    source->LoadIndex();
    // Subject and body in ISO-2022-JP: the export has them as the mail view shows them.
    const std::string mail =
        "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>\r\nTo: rcpt@example.jp\r\n"
        "Subject: =?ISO-2022-JP?B?GyRCMnE1RBsoQg==?=\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\n"
        "Message-ID: <t1@x>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
        "\x1b$B$3$s$K$A$O\x1b(B a<b & \"c\"\r\n";
    ASSERT_EQ(FileMail(*source, dir.Path(), "QM200000001.eml", mail), 1);
    const std::string tmpl = "件名：%SUBJECT%\r\n差出人：%FNAME%\r\n%$MESSAGE-ID$%\r\n\r\n%BODY%";

    struct { bool html; const char* body; } cases[] = {
        {false, "こんにちは a<b & \"c\""},
        {true, "こんにちは a&lt;b &amp; &quot;c&quot;"},
    };
    for (auto& c : cases) {
        std::string text = MailExport::ExportedText(app, source, 0, tmpl, c.html);
        EXPECT_EQ(text.substr(0, text.find("\r\n\r\n")), "件名：会議\r\n差出人：山田\r\n<t1@x>") << c.html;
        EXPECT_NE(text.find(c.body), std::string::npos) << text;
    }

    // With automatic names: the subject with the format's extension, never overwritten.
    CString first = MailExport::UniqueExportPath(dir.Path(), "会議", "txt");
    ASSERT_TRUE(MailExport::WriteTextExport(app, first, source, 0, tmpl, false));
    EXPECT_EQ(first, dir.File("会議.txt"));
    EXPECT_EQ(MailExport::UniqueExportPath(dir.Path(), "会議", "txt"), dir.File("会議_1.txt"));
    EXPECT_EQ(TestSupport::ReadFileBytes(first), MailExport::ExportedText(app, source, 0, tmpl, false));
    // A mail that is not there writes no file.
    EXPECT_FALSE(MailExport::WriteTextExport(app, dir.File("none.txt"), source, 5, tmpl, false));
    EXPECT_FALSE(TestSupport::FileExists(dir.File("none.txt")));
}

namespace {

const std::string kWhole =
    "From: Sender <sender@example.com>\r\nSubject: whole mail\r\nMessage-ID: <whole@x>\r\n"
    "Content-Type: text/plain; charset=us-ascii\r\n\r\nline one\r\nline two\r\nline three\r\n";

std::string Piece(int number, const std::string& chunk, const std::string& id = "")
{
    return "From: Sender <sender@example.com>\r\nTo: rcpt@example.jp\r\nSubject: whole mail (" + std::to_string(number) +
           "/3)\r\nMessage-ID: <" + (id.empty() ? "p" + std::to_string(number) : id) +
           "@x>\r\nMIME-Version: 1.0\r\nContent-Type: message/partial; id=\"key@x\"; number=" + std::to_string(number) +
           "; total=3\r\n\r\n" + chunk;
}

// The whole mail cut in three at line ends.
std::vector<std::string> Chunks()
{
    size_t a = kWhole.find("line one");
    size_t b = kWhole.find("line three");
    return {kWhole.substr(0, a), kWhole.substr(a, b - a), kWhole.substr(b)};
}

struct JoinBox
{
    TempDir dir;
    TestApp app{dir.Path()};
    CMailFolderStore* inbox;
    CMailFolderStore* trash;
    int n = 0;
    JoinBox()
    {
        TestSupport::InstallMessageBoxRecorder();
        inbox = app.AddFolder(0, 0, nullptr, Folder(1, 1, dir.File("In.Box")));
        trash = app.AddFolder(0, 0, nullptr, Folder(3, 4, dir.File("Trash.Box")));
        inbox->LoadIndex();
    }
    void File(const std::string& text) { FileMail(*inbox, dir.Path(), FormatString("QM3000000%03d.eml", n++), text); }
};

} // namespace

TEST(PartialMailJoin, ThreePiecesInAnyOrderMakeTheWholeMail)
{
    std::vector<int> order = {0, 1, 2};
    do {
        JoinBox box;
        std::vector<std::string> chunks = Chunks();
        for (int i : order)
            box.File(Piece(i + 1, chunks[static_cast<size_t>(i)]));
        box.File(Piece(2, chunks[1], "p2"));  // piece 2 received twice
        auto outcome = CPartialMailJoin::Join(box.app, box.inbox, 0);
        ASSERT_EQ(outcome.status, CPartialMailJoin::joined);
        std::vector<std::string> left = LiveTexts(box.inbox);
        ASSERT_EQ(left.size(), 2u);  // the duplicate piece, the joined mail
        EXPECT_EQ(left[1], "To: rcpt@example.jp\r\n" + kWhole);
        EXPECT_EQ(box.inbox->GetRecord(outcome.nNewIndex)->GetText(CMailIndexRecord::colSubject), "whole mail");
        EXPECT_EQ(LiveTexts(box.trash).size(), 3u);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(PartialMailJoin, AMissingOrBrokenPieceStopsTheWholeJoinAndIsNamed)
{
    struct Case
    {
        const char* name;
        std::vector<int> pieces;
        CPartialMailJoin::Status status;
        int piece;
    } cases[] = {
        {"piece 2 missing", {1, 3}, CPartialMailJoin::missingPiece, 2},
        {"piece 3 missing", {2, 1}, CPartialMailJoin::missingPiece, 3},
    };
    for (const Case& c : cases) {
        JoinBox box;
        std::vector<std::string> chunks = Chunks();
        for (int p : c.pieces)
            box.File(Piece(p, chunks[static_cast<size_t>(p - 1)]));
        std::vector<std::string> before = LiveTexts(box.inbox);
        auto outcome = CPartialMailJoin::Join(box.app, box.inbox, 0);
        EXPECT_EQ(outcome.status, c.status) << c.name;
        EXPECT_EQ(outcome.nPiece, c.piece) << c.name;
        EXPECT_NE(CPartialMailJoin::Message(outcome).Find(FormatString("%d番目", c.piece)), -1) << c.name;
        EXPECT_EQ(LiveTexts(box.inbox), before) << c.name;
        EXPECT_TRUE(LiveTexts(box.trash).empty()) << c.name;
    }

    // A piece without a blank line after its header cannot be joined.
    std::vector<std::string> pieces = {"H: 1\r\n\r\nbody", "no blank line", "H: 3\r\n\r\nx"};
    std::string joined;
    int bad = 0;
    EXPECT_FALSE(CPartialMailJoin::JoinTexts(pieces, joined, bad));
    EXPECT_EQ(bad, 2);
}
