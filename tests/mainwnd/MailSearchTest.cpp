// The mail search without its window: keywords, date completion, and a
// table of conditions run over a small folder tree whose mails carry one
// Japanese word in every charset and transfer encoding the reader knows.
#include "core/DateTimeUtil.h"
#include "mainwnd/FoundMailDelete.h"
#include "mainwnd/FoundMailOrder.h"
#include "mainwnd/MailMarks.h"
#include "mainwnd/MailSearchCondition.h"
#include "mainwnd/MailSearchMatcher.h"
#include "mainwnd/MailSearchRun.h"
#include "mainwnd/MailSearchText.h"
#include "message/Base64.h"
#include "message/JapaneseCode.h"
#include "message/QuotedPrintable.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

using StoreTest::FileMail;
using StoreTest::TestApp;
using TestSupport::TempDir;

namespace {

// 会議 in UTF-8 (the source's literals are Shift_JIS).
const std::string kKaigiUtf8 = "\xE4\xBC\x9A\xE8\xAD\xB0";

SYSTEMTIME Day(int y, int m, int d)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    return st;
}

} // namespace

TEST(MailSearchText, KeywordsSplitAtBlanksAndMatchAtCharacterBoundaries)
{
    EXPECT_EQ(MailSearchText::SplitKeywords("ABC  def\x81\x40会議 \"two Words\""),
              (std::vector<std::string>{"abc", "def", "会議", "two words"}));
    EXPECT_TRUE(MailSearchText::SplitKeywords(" \x81\x40 ").empty());

    struct { const char* text; const char* keyword; bool hit; } cases[] = {
        {"Meeting Notes", "meeting", true},
        {"会議室", "会議", true},
        // ソ is 83 5C, 表 is 95 5C: "\x5C" alone must not match inside them.
        {"ソフト", "\\", false},
        {"a\\b", "\\", true},
        // 会 is 89 EF; "\xEF\x8B" spans two characters of 会議 (89 EF 8B 63).
        {"会議", "\xEF\x8B", false},
        {"", "x", false},
    };
    for (const auto& c : cases) {
        std::string text;
        MailSearchText::AppendLower(text, c.text, strlen(c.text));
        EXPECT_EQ(MailSearchText::Contains(text, MailSearchText::SplitKeywords(c.keyword)[0]), c.hit) << c.text;
    }
}

TEST(MailSearchText, FoldedLinesJoinBetweenWideCharactersAndBecomeBlanksBetweenWords)
{
    struct { const char* in; const char* out; } cases[] = {
        {"本日の会\r\n議です", "本日の会議です"},
        {"end\r\nof line", "end of line"},
        {"soft \r\nbreak", "soft break"},
        {"Mixed\r\n会議", "mixed 会議"},
        {"a\r\n\r\nb", "a b"},
    };
    for (const auto& c : cases) {
        std::string out;
        MailSearchText::AppendJoinedLines(out, c.in, strlen(c.in));
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST(MailSearchText, OnlyMailsThatStayAsciiAreSparedDecoding)
{
    struct { const char* entry; bool mayHold; } cases[] = {
        {"QM1.eml\r\nSubject: plain\r\n\r\nplain ascii text\r\n.\r\n", false},
        {"Subject: =?ISO-2022-JP?B?GyRCMnFEOhsoQg==?=\r\n\r\nx", true},
        {"Content-Transfer-Encoding: BASE64\r\n\r\nabcd", true},
        {"Content-Transfer-Encoding: Quoted-Printable\r\n\r\n=E4", true},
        {"\r\n\r\n\x1B$B2q5D\x1B(B", true},           // ISO-2022-JP
        {"\r\n\r\n会議", true},                            // Shift_JIS bytes
        {"Content-Type: text/plain; charset=UTF-7\r\n\r\n+ZeVnLA-", true},
        {"\r\n\r\n&#20250;&#35696;", true},               // character references
        {"Content-Type: text/plain; charset=hz-gb-2312\r\n\r\n~{abc~}", true},
        {"\r\n\r\nbase 64 and quoted printable in words", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MailSearchText::MayHoldNonAscii(c.entry, strlen(c.entry)), c.mayHold) << c.entry;
}

TEST(MailSearchCondition, DatesAreCompletedAndBothEndsAreWholeDays)
{
    SYSTEMTIME today = Day(2024, 6, 15);
    struct { const char* in[6]; const char* out[6]; } cases[] = {
        {{"2003", "", "", "", "", ""}, {"2003", "1", "1", "2024", "6", "15"}},
        {{"", "", "", "2004", "2", "10"}, {"1980", "1", "1", "2004", "2", "10"}},
        {{"2003", "5", "", "", "3", ""}, {"2003", "5", "1", "2024", "3", "1"}},
        {{"", "", "7", "", "", ""}, {"2024", "6", "7", "2024", "6", "15"}},
        {{"", "", "", "", "", ""}, {"", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        CMailSearchCondition cond;
        for (int i = 0; i < 6; i++)
            cond.dateText[i] = c.in[i];
        cond.CompleteDates(today);
        for (int i = 0; i < 6; i++)
            EXPECT_EQ(cond.dateText[i], CString(c.out[i])) << c.in[0] << "/" << c.in[3] << " field " << i;
    }
    CMailSearchCondition cond;
    const char* to[] = {"1980", "1", "1", "2004", "2", "10"};
    for (int i = 0; i < 6; i++)
        cond.dateText[i] = to[i];
    OverrideTimeZoneBias(true, -32400);
    int64_t from = 0, until = 0;
    cond.GetDateRange(from, until);
    EXPECT_EQ(from, 315532800 - 32400);       // 1980-01-01 00:00 in Japan
    EXPECT_EQ(until, 1076457600 - 32400);     // 2004-02-11 00:00: the 10th is whole
    OverrideTimeZoneBias(false);
}

namespace {

struct FixtureMail
{
    const char* subject;
    std::string text;
};

std::string Mail(const char* subject, const std::string& from, const std::string& to, const std::string& date,
                 const std::string& rest)
{
    return "From: " + from + "\r\nTo: " + to + "\r\nCc: cc@example.jp\r\nSubject: " + subject + "\r\nDate: " + date +
           "\r\nMessage-ID: <" + subject + "@example.jp>\r\nMIME-Version: 1.0\r\n" + rest;
}

// Inbox (with a sub-folder), an ordinary folder, the trash. Mails named by
// subject; each carries the word 会議 (or not) in its own way.
struct SearchMailbox
{
    TempDir dir;
    TestApp app{dir.Path()};
    CMailFolderStore* inbox;
    CMailFolderStore* sub;
    CMailFolderStore* other;
    CMailFolderStore* trash;

    CFolderRecord Folder(int id, int parent, int kind, const char* name)
    {
        CFolderRecord r;
        r.m_nId = id;
        r.m_nParentId = parent;
        r.m_nKind = kind;
        r.m_strName = name;
        r.m_strPath = dir.File(FormatString("%s.Box", name));
        CreateDirectoryA(r.m_strPath, nullptr);
        return r;
    }

    SearchMailbox()
    {
        inbox = app.AddFolder(0, 0, nullptr, Folder(1, 0, 1, "In"));
        sub = app.AddFolder(1, 1, nullptr, Folder(2, 1, 0, "Sub"));
        other = app.AddFolder(2, 0, nullptr, Folder(3, 0, 0, "Other"));
        trash = app.AddFolder(3, 0, nullptr, Folder(4, 0, 4, "Trash"));
        std::string plainJis = "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
                               SjisToJis("本日の会議は三時からです。").Str() + "\r\n";
        std::string sjis = "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
                           "明日の会議資料\r\n";
        std::string utf8b64 = "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                              CBase64::EncodeToString(("next " + kKaigiUtf8 + " room").data(), 14, 76) + "\r\n";
        // The quoted-printable soft break falls between the two characters.
        std::string utf8qp = "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
                             "=E4=BC=9A=\r\n=E8=AD=B0 minutes\r\n";
        std::string folded = "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + SjisToJis("本日の会").Str() +
                             "\r\n" + SjisToJis("議は中止").Str() + "\r\n";
        std::string sjisQp = "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
                             CQuotedPrintable::EncodeToString("定例会議", 8) + "\r\n";
        std::string headerOnly = "Content-Type: text/plain; charset=us-ascii\r\n\r\nnothing here\r\n";
        std::string attach = "Content-Type: multipart/mixed; boundary=bb\r\n\r\n--bb\r\nContent-Type: text/plain\r\n\r\n"
                             "Report attached ABC DEF\r\n--bb\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\n" + CBase64::EncodeToString("%PDF", 4, 76) +
                             "\r\n--bb--\r\n";
        std::string html = "Content-Type: text/html; charset=UTF-8\r\n\r\n<p>" + kKaigiUtf8 + "</p>\r\n";
        const char* taro = "Taro Yamada <taro@example.jp>";
        const char* hanako = "Hanako <hanako@example.com>";
        struct { CMailFolderStore* store; const char* subject; const char* from; const char* date; std::string body; } mails[] = {
            {inbox, "jis", taro, "Mon, 09 Feb 2004 10:00:00 +0900", plainJis},
            {inbox, "sjis", hanako, "Tue, 10 Feb 2004 23:59:00 +0900", sjis},
            {inbox, "b64", taro, "Wed, 11 Feb 2004 00:00:00 +0900", utf8b64},
            {sub, "qp", hanako, "Thu, 01 Jan 2004 09:00:00 +0900", utf8qp},
            {sub, "folded", taro, "Thu, 01 Jan 2004 09:00:00 +0900", folded},
            {other, "sjisqp", hanako, "Thu, 01 Jan 2004 09:00:00 +0900", sjisQp},
            {other, "Header 会議 only", hanako, "Thu, 01 Jan 2004 09:00:00 +0900", headerOnly},
            {trash, "attach", taro, "Thu, 01 Jan 2004 09:00:00 +0900", attach},
            {inbox, "html", "Abc Def <x@example.jp>", "Thu, 01 Jan 2004 09:00:00 +0900", html},
        };
        int n = 0;
        for (auto& m : mails) {
            m.store->LoadIndex();
            FileMail(*m.store, dir.Path(), FormatString("QM17000000%02d.eml", n++),
                     Mail(m.subject, m.from, "Boss <boss@example.jp>", m.date, m.body));
        }
        // Marks: "sjis" bookmarked, "b64" labelled black (16), "jis" blue (1).
        MailMarks::Apply(inbox, {1}, MailMarks::bookmarkOn, 0, 0);
        MailMarks::Apply(inbox, {2}, MailMarks::colorLabel, 16, 0);
        MailMarks::Apply(inbox, {0}, MailMarks::colorLabel, 1, 0);
    }

    std::set<std::string> Search(const CMailSearchCondition& cond, const std::vector<CMailFolderStore*>& stores)
    {
        std::set<std::string> hits;
        CMailSearchRun run(cond, nullptr);
        CMailSearchRun::Callbacks cb;
        cb.found = [&](CMailFolderStore* s, int index) {
            hits.insert(s->GetRecord(index)->GetText(CMailIndexRecord::colSubject).Str());
        };
        run.SearchFolders(stores, cb);
        return hits;
    }

    std::vector<CMailFolderStore*> All() { return {inbox, sub, other, trash}; }
};

typedef std::set<std::string> Hits;

} // namespace

TEST(MailSearchRun, ConditionsOverAFolderTree)
{
    // Dates are compared as Japanese wall-clock days.
    OverrideTimeZoneBias(true, -32400);
    SearchMailbox box;
    struct Case
    {
        const char* name;
        std::function<void(CMailSearchCondition&)> set;
        Hits expected;
    };
    auto dates = [](CMailSearchCondition& c, const char* f0, const char* f1, const char* f2, const char* t0,
                    const char* t1, const char* t2) {
        const char* v[] = {f0, f1, f2, t0, t1, t2};
        for (int i = 0; i < 6; i++)
            c.dateText[i] = v[i];
        c.CompleteDates(Day(2024, 6, 15));
    };
    Case cases[] = {
        {"body word in every encoding", [](CMailSearchCondition& c) { c.strBody = "会議"; },
         {"jis", "sjis", "b64", "qp", "folded", "sjisqp", "html"}},
        {"header words only with include header",
         [](CMailSearchCondition& c) { c.strBody = "会議"; c.bIncludeHeader = TRUE; },
         {"jis", "sjis", "b64", "qp", "folded", "sjisqp", "html", "Header 会議 only"}},
        {"body And needs both words", [](CMailSearchCondition& c) { c.strBody = "abc def"; c.bBodyAll = TRUE; },
         {"attach"}},
        {"body Or takes either, ignoring case", [](CMailSearchCondition& c) { c.strBody = "REPORT minutes"; },
         {"attach", "qp"}},
        {"sender in Japanese mail names", [](CMailSearchCondition& c) { c.strSender = "taro"; },
         {"jis", "b64", "folded", "attach"}},
        {"recipients without and with Cc",
         [](CMailSearchCondition& c) { c.strRecipients = "cc@example"; }, {}},
        {"recipients with Cc", [](CMailSearchCondition& c) { c.strRecipients = "cc@example"; c.bIncludeCc = TRUE; },
         {"jis", "sjis", "b64", "qp", "folded", "sjisqp", "Header 会議 only", "attach", "html"}},
        {"subject in Japanese", [](CMailSearchCondition& c) { c.strSubject = "会議"; }, {"Header 会議 only"}},
        {"to date alone: 1980 to the whole 10th",
         [&](CMailSearchCondition& c) { dates(c, "", "", "", "2004", "2", "10"); },
         {"jis", "sjis", "qp", "folded", "sjisqp", "Header 会議 only", "attach", "html"}},
        {"from year alone up to today", [&](CMailSearchCondition& c) { dates(c, "2004", "2", "", "", "", ""); },
         {"jis", "sjis", "b64"}},
        {"bookmark", [](CMailSearchCondition& c) { c.bBookmark = TRUE; }, {"sjis"}},
        {"any: sender or bookmark",
         [](CMailSearchCondition& c) { c.strSender = "abc"; c.bBookmark = TRUE; c.nMethod = 1; }, {"sjis", "html"}},
        {"all: sender and bookmark", [](CMailSearchCondition& c) { c.strSender = "hanako"; c.bBookmark = TRUE; },
         {"sjis"}},
        {"black only among labelled mails",
         [](CMailSearchCondition& c) { c.bColorLabel = TRUE; c.bLabelAuto = FALSE; c.crLabel = 0; }, {"b64"}},
        {"a palette colour", [](CMailSearchCondition& c) { c.bColorLabel = TRUE; c.bLabelAuto = FALSE; c.crLabel = 0x7F0000; },
         {"jis"}},
        // The HTML-only mail keeps its HTML as a file: it has attachments.
        {"any attachment", [](CMailSearchCondition& c) { c.strAttachPattern = "*"; }, {"attach", "html"}},
        {"attachment name pattern", [](CMailSearchCondition& c) { c.strAttachPattern = "*.pdf"; }, {"attach"}},
        {"attachment pattern that no file has", [](CMailSearchCondition& c) { c.strAttachPattern = "*.doc"; }, {}},
        {"all: body and attachment", [](CMailSearchCondition& c) { c.strBody = "会議"; c.strAttachPattern = "*"; },
         {"html"}},
        {"no condition finds nothing", [](CMailSearchCondition&) {}, {}},
    };
    for (const Case& c : cases) {
        CMailSearchCondition cond;
        c.set(cond);
        EXPECT_EQ(box.Search(cond, box.All()), c.expected) << c.name;
    }
    // Over fewer folders.
    CMailSearchCondition cond;
    cond.strBody = "会議";
    EXPECT_EQ(box.Search(cond, {box.inbox}), (Hits{"jis", "sjis", "b64", "html"}));
    // Without the option an HTML-only mail has no body to search.
    box.app.m_bCreateMailBodyFromHtml = 0;
    EXPECT_EQ(box.Search(cond, {box.inbox}), (Hits{"jis", "sjis", "b64"}));
    OverrideTimeZoneBias(false);
}

TEST(MailSearchRun, FoldersOfTheTreeAndAbort)
{
    SearchMailbox box;
    CPtrArray withSubs, receiving;
    box.app.CollectSubFolders(1, withSubs);
    box.app.CollectMailFolders(receiving);
    auto ids = [](const CPtrArray& a) {
        std::vector<int> out;
        for (int i = 0; i < a.GetSize(); i++)
            out.push_back(static_cast<CMailFolderStore*>(a[i])->GetFolderId());
        return out;
    };
    EXPECT_EQ(ids(withSubs), (std::vector<int>{1, 2}));
    EXPECT_EQ(ids(receiving), (std::vector<int>{1, 2, 3}));

    // A set abort flag stops before the first folder.
    volatile LONG abort = 1;
    CMailSearchCondition cond;
    cond.strBody = "会議";
    CMailSearchRun run(cond, &abort);
    EXPECT_EQ(run.SearchFolders(box.All(), {}), 0);

    // A deleted mail is not found.
    box.inbox->DeleteMail(0);
    EXPECT_EQ(box.Search(cond, {box.inbox}), (Hits{"sjis", "b64", "html"}));
}

TEST(FoundMailOrder, KeysCompareByKindAndNeverEqual)
{
    CMailIndexRecord a, b;
    a.SetText(CMailIndexRecord::colSubject, "Re: beta");
    b.SetText(CMailIndexRecord::colSubject, "alpha");
    a.SetText(CMailIndexRecord::colDate, "2024/01/02 00:00:00 +0900");
    b.SetText(CMailIndexRecord::colDate, "2024/01/01 00:00:00 +0900");
    a.m_nTotalSize = 9;
    b.m_nTotalSize = 10;
    struct { int item; const char* folderA; const char* folderB; int ascending; int descending; } cases[] = {
        {1, nullptr, nullptr, 1, -1},   // "beta" > "alpha" once "Re: " is dropped
        {9, nullptr, nullptr, -1, 1},   // as stored: "Re: beta" < "alpha"
        {3, nullptr, nullptr, 1, -1},   // later date
        {5, nullptr, nullptr, -1, 1},   // 9 < 10 as numbers, not as texts
        {6, "受信", "受信", -1, -1},     // equal keys: no defined order, never 0
        {6, "B", "A", 1, -1},           // folder names
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FoundMailOrder::Compare(a, c.folderA, b, c.folderB, c.item, true), c.ascending) << c.item;
        EXPECT_EQ(FoundMailOrder::Compare(a, c.folderA, b, c.folderB, c.item, false), c.descending) << c.item;
    }
}


namespace {

Hits Live(CMailFolderStore* store)
{
    Hits out;
    CMailListData* list = store->GetMailList();
    for (int i = 0; list && i < list->GetAllRecordCount(); i++)
        if (!list->GetMailRecord(i)->m_bDeleted)
            out.insert(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject).Str());
    return out;
}

} // namespace

TEST(FoundMailDelete, MailsOfSeveralFoldersLeaveOnlyOnceTheirTrashCopyIsWritten)
{
    SearchMailbox box;
    std::vector<bool> done = FoundMailDelete::Delete(box.app, {{box.inbox, 0}, {box.sub, 0}, {box.inbox, 2}}, false);
    EXPECT_EQ(done, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(Live(box.inbox), (Hits{"sjis", "html"}));
    EXPECT_EQ(Live(box.sub), (Hits{"folded"}));
    EXPECT_EQ(Live(box.trash), (Hits{"attach", "jis", "qp", "b64"}));

    // A trash that cannot take a copy: nothing leaves, and the rows stay.
    TempDir dir;
    TestApp app(dir.Path());
    TestSupport::InstallMessageBoxRecorder();
    CFolderRecord in;
    in.m_nId = 1;
    in.m_nKind = 1;
    in.m_strName = "In";
    in.m_strPath = dir.File("In.Box");
    CreateDirectoryA(in.m_strPath, nullptr);
    CMailFolderStore* inbox = app.AddFolder(0, 0, nullptr, in);
    TestSupport::WriteFileBytes(dir.File("Trash.Box"), "not a folder");
    CFolderRecord trash;
    trash.m_nId = 2;
    trash.m_nKind = 4;
    trash.m_strName = "Trash";
    trash.m_strPath = dir.File("Trash.Box");
    app.AddFolder(1, 0, nullptr, trash);
    inbox->LoadIndex();
    FileMail(*inbox, dir.Path(), "QM1700000100.eml", Mail("kept", "a <a@example.jp>", "b@example.jp",
                                                           "Thu, 01 Jan 2004 09:00:00 +0900", "\r\nbody\r\n"));
    FileMail(*inbox, dir.Path(), "QM1700000101.eml", Mail("protected", "a <a@example.jp>", "b@example.jp",
                                                           "Thu, 01 Jan 2004 09:00:00 +0900", "\r\nbody\r\n"));
    MailMarks::Apply(inbox, {1}, MailMarks::protectOn);
    EXPECT_EQ(FoundMailDelete::Delete(app, {{inbox, 0}, {inbox, 1}}, false), (std::vector<bool>{false, false}));
    EXPECT_EQ(Live(inbox), (Hits{"kept", "protected"}));
    // For good, the trash is not needed; the protected mail still stays.
    EXPECT_EQ(FoundMailDelete::Delete(app, {{inbox, 0}, {inbox, 1}}, true), (std::vector<bool>{true, false}));
    EXPECT_EQ(Live(inbox), (Hits{"protected"}));
}
