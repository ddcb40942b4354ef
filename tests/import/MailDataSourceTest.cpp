// Mails dragged out as files: the descriptor and each file's contents as a
// drop target asks for them, through the data object's own interface.
#include "ImportTestUtil.h"

#include "store/MailDataSource.h"
#include "store/MailListData.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

using ImportTest::FileMail;
using ImportTest::SimpleMail;
using ImportTest::TestApp;
using TestSupport::TempDir;

namespace {

struct Global
{
    STGMEDIUM medium = {};
    HRESULT hr = E_FAIL;
    Global(IDataObject* data, CLIPFORMAT cf, LONG index = -1)
    {
        FORMATETC f = { cf, nullptr, DVASPECT_CONTENT, index, TYMED_HGLOBAL };
        hr = data->GetData(&f, &medium);
    }
    ~Global()
    {
        if (SUCCEEDED(hr))
            ReleaseStgMedium(&medium);
    }
    std::string Bytes() const
    {
        SIZE_T n = GlobalSize(medium.hGlobal);
        const char* p = static_cast<const char*>(GlobalLock(medium.hGlobal));
        std::string s(p, n);
        GlobalUnlock(medium.hGlobal);
        return s;
    }
};

struct DragRun : ::testing::Test
{
    TempDir dir;
    TestApp app{dir.Path()};
    CMailFolderStore* store = nullptr;
    std::vector<std::string> mails = {
        SimpleMail("one", "line\r\n.\r\n..dots\r\n"),
        SimpleMail("two"),
        SimpleMail("three", "no final line end"),
    };
    CMailDataSource* source = new CMailDataSource;

    void SetUp() override
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        store = app.AddStore(dir.File("F"), 1, "F");
        store->LoadIndex();
        for (const std::string& m : mails)
            ASSERT_EQ(FileMail(*store, dir.Path(), m), 1);
        const char* names[] = { "C:\\x\\一通目.eml", "two.eml", "three" };
        for (int i = 0; i < 3; ++i) {
            std::string text;
            ASSERT_TRUE(CMailDataSource::RebuildMail(store, i, text));
            source->AddMail(store, i, names[i], static_cast<int>(text.size()));
        }
        source->DelayRenderData(CMailDataSource::GetFileContentsFormat());
        source->DelayRenderData(CMailDataSource::GetFileDescriptorFormat());
    }
    void TearDown() override { source->Release(); }
};

} // namespace

TEST_F(DragRun, DescriptorNamesEveryMailInOrder)
{
    Global g(source, CMailDataSource::GetFileDescriptorFormat());
    ASSERT_EQ(g.hr, S_OK);
    std::string bytes = g.Bytes();
    ASSERT_EQ(bytes.size(), 1000u);
    auto* group = reinterpret_cast<const FILEGROUPDESCRIPTORA*>(bytes.data());
    ASSERT_EQ(group->cItems, 3u);
    const char* names[] = { "一通目.eml", "two.eml", "three" };
    for (int i = 0; i < 3; ++i) {
        const FILEDESCRIPTORA& d = group->fgd[i];
        EXPECT_EQ(d.dwFlags, static_cast<DWORD>(FD_FILESIZE));
        EXPECT_EQ(d.nFileSizeHigh, 0u);
        EXPECT_STREQ(d.cFileName, names[i]);
        EXPECT_EQ(bytes.substr(4 + 332 * i + 72, strlen(names[i])), names[i]);
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(group->fgd[i].nFileSizeLow, mails[static_cast<size_t>(i)].size());
}

TEST_F(DragRun, ContentsAreEachMailComplete)
{
    for (int i = 0; i < 3; ++i) {
        Global g(source, CMailDataSource::GetFileContentsFormat(), i);
        ASSERT_EQ(g.hr, S_OK) << i;
        EXPECT_EQ(g.Bytes(), mails[static_cast<size_t>(i)]) << i;
    }
    Global outside(source, CMailDataSource::GetFileContentsFormat(), 3);
    EXPECT_EQ(outside.hr, DV_E_LINDEX);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
}

TEST_F(DragRun, OtherFormatsGoToTheBaseAndDropsCannotStore)
{
    CLIPFORMAT mailObject = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("CVMail Mail Object"));
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(GlobalLock(block), "abcd", 4);
    GlobalUnlock(block);
    source->CacheGlobalData(mailObject, block);
    Global cached(source, mailObject);
    ASSERT_EQ(cached.hr, S_OK);
    EXPECT_EQ(cached.Bytes(), "abcd");
    Global text(source, CF_TEXT);
    EXPECT_EQ(text.hr, DV_E_FORMATETC);

    FORMATETC f = { CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
    STGMEDIUM m = {};
    EXPECT_TRUE(FAILED(source->SetData(&f, &m, FALSE)));
    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(source->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    FORMATETC got[4];
    ULONG n = 0;
    formats->Next(4, got, &n);
    formats->Release();
    EXPECT_EQ(n, 3u);
}

TEST_F(DragRun, ARebuildErrorIsShownAndTheMemoryStillHandedOver)
{
    MailRebuilder old = SetMailRebuilder([](CMailFolderStore*, int, std::string& text) -> BOOL {
        text = "partial";
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    });
    Global g(source, CMailDataSource::GetFileContentsFormat(), 1);
    SetMailRebuilder(old);
    ASSERT_EQ(g.hr, S_OK);
    EXPECT_EQ(g.Bytes().substr(0, 7), "partial");
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0].substr(0, 1), "[");
}
