// A folder whose "Index.lst" lost records (damaged, restored from an older
// copy, cut short) beside an intact "MailData.Qmd": opening or optimising it
// never destroys a mail that reads whole, and the rebuild brings every mail
// back once.
#include "core/FileUtil.h"
#include "net/ReceivedIdList.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using StoreTest::FileMail;
using StoreTest::OpenStore;
using StoreTest::SimpleMail;
using StoreTest::StoredMails;
using StoreTest::TestApp;
using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const int kMails = 8;
const char kQuestion[] = "インデックスファイルが開けませんでした";

std::string AttachedMail(int n)
{
    std::string subject = "mail" + std::to_string(n);
    return "From: Sender <sender@example.com>\r\nSubject: " + subject + "\r\nMessage-ID: <" + subject +
           "@x>\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
           "--b\r\nContent-Type: text/plain\r\n\r\nbody of " + subject + "\r\n"
           "--b\r\nContent-Type: application/octet-stream; name=\"f" + std::to_string(n) + ".bin\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\nAAECAw==\r\n--b--\r\n";
}

std::string Mail(int n)
{
    return n % 3 == 0 ? AttachedMail(n) : SimpleMail("mail" + std::to_string(n), "<" + std::to_string(n) + "@x>");
}

std::string MailName(int n)
{
    return "QM17000000" + std::to_string(10 + n) + ".eml";
}

// The byte offsets where the index lines begin.
std::vector<size_t> LineStarts(const std::string& index)
{
    std::vector<size_t> starts;
    for (size_t pos = 0; pos + CMailIndexRecord::binarySize <= index.size();) {
        starts.push_back(pos);
        size_t crlf = index.find("\r\n", pos + CMailIndexRecord::binarySize);
        if (crlf == std::string::npos)
            break;
        pos = crlf + 2;
    }
    return starts;
}

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::string> AllMails()
{
    std::vector<std::string> mails;
    for (int n = 0; n < kMails; n++)
        mails.push_back(Mail(n));
    return Sorted(mails);
}

// Whether every entry of the folder's files (data file and set-aside file)
// still holds its mail whole.
int WholeEntriesOnDisk(const CString& box)
{
    std::string bytes = ReadFileBytes(box + "\\MailData.Qmd");
    if (TestSupport::FileExists(box + "\\MailData.Rcv"))
        bytes += ReadFileBytes(box + "\\MailData.Rcv");
    int found = 0;
    for (int n = 0; n < kMails; n++) {
        std::string stored = Mail(n);
        if (bytes.find(MailName(n) + "\r\n" + stored) != std::string::npos)
            found++;
    }
    return found;
}

// Files the first nCount mails into the folder, as a receive does.
void FileMails(const TempDir& dir, const CString& box, int nCount)
{
    CMailFolderStore store;
    OpenStore(store, box);
    ASSERT_TRUE(store.LoadIndex());
    for (int n = 0; n < nCount; n++)
        ASSERT_EQ(FileMail(store, dir.Path(), MailName(n).c_str(), Mail(n)), 1);
}

} // namespace

TEST(DamagedIndex, OpenKeepsEveryMailAndTheRebuildBringsEachBackOnce)
{
    const struct
    {
        const char* name;
        std::function<void(std::string&)> damage;
    } damages[] = {
        {"cut at a line boundary", [](std::string& idx) { idx.resize(LineStarts(idx)[3]); }},
        {"cut inside a record", [](std::string& idx) { idx.resize(LineStarts(idx)[2] + 37); }},
        {"cut at its first byte", [](std::string& idx) { idx.resize(1); }},
        {"emptied", [](std::string& idx) { idx.clear(); }},
        {"removed", nullptr},
        // A few flipped bits in the data offset of a record: it points into
        // the middle of another mail.
        {"an offset shifted", [](std::string& idx) { idx[LineStarts(idx)[4] + 6] ^= 0x11; }},
        // The same in the length of a record amid others: its end lies in
        // the next mail.
        {"a length shifted", [](std::string& idx) { idx[LineStarts(idx)[5] + 10] ^= 0x06; }},
    };
    for (const auto& d : damages) {
        for (bool bRebuildAtOnce : {true, false}) {
            SCOPED_TRACE(std::string(d.name) + (bRebuildAtOnce ? ", rebuilt when asked" : ", rebuilt later"));
            TempDir dir;
            TestApp app(dir.Path());
            CString box = dir.File("In.Box");
            FileMails(dir, box, kMails);
            ASSERT_EQ(WholeEntriesOnDisk(box), kMails);
            std::string index = ReadFileBytes(box + "\\Index.lst");
            if (d.damage) {
                d.damage(index);
                WriteFileBytes(box + "\\Index.lst", index);
            } else {
                DeleteFileA(box + "\\Index.lst");
            }

            TestSupport::ClearMessages();
            TestSupport::QueueMessageBoxAnswer(bRebuildAtOnce ? IDYES : IDNO);
            CMailFolderStore store;
            OpenStore(store, box);
            store.GetMailList();
            ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
            EXPECT_NE(TestSupport::RecordedMessages()[0].find(kQuestion), std::string::npos);
            // Nothing that reads whole was cut, whatever was answered.
            EXPECT_EQ(WholeEntriesOnDisk(box), kMails);
            if (bRebuildAtOnce) {
                EXPECT_EQ(Sorted(StoredMails(store)), AllMails());
            } else {
                // The folder takes new mail meanwhile, and the mails its
                // index knows read whole.
                CMailListData* list = store.GetMailList();
                if (list) {
                    for (const std::string& m : StoredMails(store))
                        EXPECT_NE(std::find(AllMails().begin(), AllMails().end(), m), AllMails().end());
                }
                ASSERT_EQ(FileMail(store, dir.Path(), "QM1700000099.eml", SimpleMail("new", "<new@x>")), 1);
                EXPECT_EQ(WholeEntriesOnDisk(box), kMails);
                ASSERT_TRUE(store.RebuildIndex());
                std::vector<std::string> expected = AllMails();
                expected.push_back(SimpleMail("new", "<new@x>"));
                EXPECT_EQ(Sorted(StoredMails(store)), Sorted(expected));
                EXPECT_FALSE(TestSupport::FileExists(box + "\\MailData.Rcv"));
            }
            // The attachments came back with their mails.
            CMailListData* list = store.GetMailList();
            ASSERT_NE(list, nullptr);
            int withFiles = 0;
            for (int i = 0; i < list->GetMailCount(); i++) {
                CStringArray files;
                if (store.GetAttachFileList(i, files) && files.GetSize() == 1)
                    withFiles++;
            }
            EXPECT_EQ(withFiles, (kMails + 2) / 3);
            // The next open finds nothing more to ask.
            TestSupport::ClearMessages();
            CMailFolderStore again;
            OpenStore(again, box);
            ASSERT_NE(again.GetMailList(), nullptr);
            EXPECT_TRUE(TestSupport::RecordedMessages().empty());
        }
    }
}

// A stop between taking set-aside mails back into the data file and removing
// the set-aside file leaves them twice: the rebuild shows each once.
TEST(DamagedIndex, EntriesTakenBackTwiceAreShownOnce)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString box = dir.File("In.Box");
    FileMails(dir, box, 3);
    std::string index = ReadFileBytes(box + "\\Index.lst");
    std::string data = ReadFileBytes(box + "\\MailData.Qmd");
    size_t secondEntry = data.find(MailName(1));
    ASSERT_NE(secondEntry, std::string::npos);
    // The index knows the first mail; the other two are in the data file and,
    // once more, in the set-aside file.
    WriteFileBytes(box + "\\Index.lst", index.substr(0, LineStarts(index)[1]));
    WriteFileBytes(box + "\\MailData.Rcv", data.substr(secondEntry));
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDYES);
    CMailFolderStore store;
    OpenStore(store, box);
    ASSERT_NE(store.GetMailList(), nullptr);
    std::vector<std::string> expected{Mail(0), Mail(1), Mail(2)};
    EXPECT_EQ(Sorted(StoredMails(store)), Sorted(expected));
}

namespace {

// A folder as a receive leaves it: seven mails, every third with an
// attachment, the last one received by an account whose received-id list
// says how far its filing got.
const int kReceived = 7;

std::string ReceivedMail(int n)
{
    std::string mail = Mail(n);
    return n == kReceived - 1 ? "X-ReceiveAcount: acc\r\n" + mail : mail;
}

enum class Note { none, unconfirmed, confirmed };

void FileReceivedMails(const TempDir& dir, TestApp& app, const CString& box, Note note)
{
    CReceivedIdList ids;
    ids.SetFilePath(CombinePath(app.GetMailBoxFolder(), CReceivedIdList::FileNameFor("acc")));
    ids.Reset();
    ids.StartPass();
    CMailFolderStore store;
    OpenStore(store, box);
    ASSERT_TRUE(store.LoadIndex());
    for (int n = 0; n < kReceived; n++) {
        bool last = n == kReceived - 1;
        if (last && note != Note::none) {
            ASSERT_TRUE(ids.AddPendingAndSave("uid-last", 1, 1, MailName(n).c_str()));
        }
        ASSERT_EQ(FileMail(store, dir.Path(), MailName(n).c_str(), ReceivedMail(n)), 1);
        // Without a note the list holds the id only, as every pass after
        // the one that received the mail writes it.
        if (last && note != Note::unconfirmed) {
            ASSERT_TRUE(ids.AddIdAndSave("uid-last", 1, ""));
        }
    }
}

std::vector<std::string> ReceivedMailsBut(std::initializer_list<int> gone)
{
    std::vector<std::string> mails;
    for (int n = 0; n < kReceived; n++)
        if (std::find(gone.begin(), gone.end(), n) == gone.end())
            mails.push_back(ReceivedMail(n));
    return Sorted(mails);
}

int MailsWithAttachments(CMailFolderStore& store)
{
    CMailListData* list = store.GetMailList();
    int withFiles = 0;
    for (int i = 0; list && i < list->GetMailCount(); i++) {
        CStringArray files;
        if (store.GetAttachFileList(i, files) && files.GetSize() == 1)
            withFiles++;
    }
    return withFiles;
}

} // namespace

// Damage that hides single mails of a folder: each mail the data file holds
// whole is shown once after the rebuild, whether the rebuild comes at once
// or after the user deleted a mail and the folder was optimised; only a mail
// whose filing never finished goes (its server still has it).
TEST(DamagedIndex, HiddenMailsSurviveTheOptimisationAndComeBackOnce)
{
    const int last = kReceived - 1;
    const struct
    {
        const char* name;
        Note note;
        std::function<void(std::string&)> damage;
        int hidden;     // the mail the damage hides
        bool asked;     // whether the open offers the rebuild
        bool cut;       // the hidden mail goes for good
        bool optimised; // an optimisation drops the hidden mail (it reads as deleted)
    } damages[] = {
        {"a flipped line end", Note::none,
         [](std::string& idx) { idx[LineStarts(idx)[3] - 1] ^= 0x01; }, 3, true, false, false},
        {"a missing middle record", Note::none,
         [](std::string& idx) { idx.erase(LineStarts(idx)[4], LineStarts(idx)[5] - LineStarts(idx)[4]); }, 4,
         true, false, false},
        // The data file does not record deletion: the rebuild brings the
        // mail back. A mark that reads like the user's own is dropped by an
        // optimisation like any deleted mail.
        {"a flipped deletion mark", Note::none, [](std::string& idx) { idx[LineStarts(idx)[2]] ^= 0x01; }, 2, false,
         false, true},
        {"a missing last record, the mail recorded as received", Note::confirmed,
         [](std::string& idx) { idx.resize(LineStarts(idx)[last]); }, last, true, false, false},
        {"a missing last record, the mail received in an earlier pass", Note::none,
         [](std::string& idx) { idx.resize(LineStarts(idx)[last]); }, last, true, false, false},
        {"a missing last record, the mail noted but never recorded", Note::unconfirmed,
         [](std::string& idx) { idx.resize(LineStarts(idx)[last]); }, last, false, true, false},
    };
    for (const auto& d : damages) {
        for (bool bOptimiseFirst : {false, true}) {
            SCOPED_TRACE(std::string(d.name) + (bOptimiseFirst ? ", optimised before the rebuild" : ", rebuilt at once"));
            TempDir dir;
            TestApp app(dir.Path());
            CString box = dir.File("In.Box");
            FileReceivedMails(dir, app, box, d.note);
            std::string index = ReadFileBytes(box + "\\Index.lst");
            d.damage(index);
            WriteFileBytes(box + "\\Index.lst", index);

            TestSupport::ClearMessages();
            TestSupport::QueueMessageBoxAnswer(bOptimiseFirst ? IDNO : IDYES);
            CMailFolderStore store;
            OpenStore(store, box);
            CMailListData* list = store.GetMailList();
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(TestSupport::RecordedMessages().size(), d.asked ? 1u : 0u);
            std::vector<std::string> expected = ReceivedMailsBut({});
            if (bOptimiseFirst) {
                // The user deletes the first mail; the optimisation drops it.
                ASSERT_TRUE(store.DeleteMail(0));
                ASSERT_TRUE(store.Optimize());
                expected = d.optimised ? ReceivedMailsBut({0, d.hidden}) : ReceivedMailsBut({0});
            }
            if (d.cut)
                expected.erase(std::find(expected.begin(), expected.end(), ReceivedMail(d.hidden)));
            ASSERT_TRUE(store.RebuildIndex());
            EXPECT_EQ(Sorted(StoredMails(store)), expected);
            int attached = 0;
            for (const std::string& m : expected)
                attached += m.find("application/octet-stream") != std::string::npos ? 1 : 0;
            EXPECT_EQ(MailsWithAttachments(store), attached);
            EXPECT_EQ(TestSupport::FileExists(box + "\\Attach\\" + CString(MailName(d.hidden).c_str())),
                      !d.cut && !(bOptimiseFirst && d.optimised) && d.hidden % 3 == 0);

            // New mail after it is filed on a clean boundary, and every mail
            // reads whole, then and once the folder is opened again.
            ASSERT_EQ(FileMail(store, dir.Path(), "QM1700000099.eml", SimpleMail("new", "<new@x>")), 1);
            expected.push_back(SimpleMail("new", "<new@x>"));
            EXPECT_EQ(Sorted(StoredMails(store)), Sorted(expected));
            TestSupport::ClearMessages();
            CMailFolderStore again;
            OpenStore(again, box);
            EXPECT_EQ(Sorted(StoredMails(again)), Sorted(expected));
            EXPECT_TRUE(TestSupport::RecordedMessages().empty());
        }
    }
}
