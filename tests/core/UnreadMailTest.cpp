#include "core/QuendalApp.h"
#include "store/FolderRecord.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_published;

HRESULT Record(const wchar_t* address, DWORD count, const wchar_t* /*command*/)
{
    g_published.push_back(std::string(CString(address).GetString()) + "=" + std::to_string(count));
    return S_OK;
}

const char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail";

void AddEntry(const char* name, const char* application)
{
    HKEY key = nullptr;
    CString path = CString(kKey) + "\\" + name;
    RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "Application", 0, REG_SZ, reinterpret_cast<const BYTE*>(application),
                   static_cast<DWORD>(lstrlenA(application) + 1));
    RegCloseKey(key);
}

bool EntryExists(const char* name)
{
    HKEY key = nullptr;
    CString path = CString(kKey) + "\\" + name;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct UnreadApp : CQuendalApp
{
    explicit UnreadApp(const CString& ini) { SetProfileFileMode(ini); }
    ~UnreadApp() override
    {
        m_bFileMode = 0;
        CloseAllFolders();
    }
    void Folder(int id, int kind, int unread, BOOL ignore, const char* name)
    {
        CFolderRecord r;
        r.m_nId = id;
        r.m_nKind = kind;
        r.m_nUnread = unread;
        r.m_bIgnoreUnread = ignore;
        r.m_strName = name;
        AddFolder(0, 0, nullptr, r);
    }
};

} // namespace

TEST(UnreadMail, PublishesTotalsOrPerFolderAndRemovesOnlyOwnEntries)
{
    TestSupport::TempDir dir;
    UnreadApp app(dir.File("CVM.ini"));
    app.Folder(1, 1, 3, FALSE, "郵便受け");
    app.Folder(2, 0, 2, FALSE, "仕事");
    app.Folder(3, 0, 5, TRUE, "広告");
    app.Folder(4, 4, 9, FALSE, "ごみ箱");
    app.Folder(5, 0, 0, FALSE, "空");
    UnreadMailPublisher old = SetUnreadMailPublisher(Record);

    struct Case { int mode; std::vector<std::string> published; };
    const Case cases[] = {
        {0, {}},
        {1, {"Corvane Mail=10"}},
        {2, {"郵便受け=3", "仕事=2"}},
    };
    for (const Case& c : cases) {
        AddEntry("old@corvane", "Corvane Mail");
        AddEntry("other@client", "Other Mail");
        AddEntry("similar@client", "Corvane Mail Plus");
        g_published.clear();
        app.WriteProfileInt("Setting", "DisplayUnReadMail", c.mode);
        app.UpdateUnreadMailRegistry();
        EXPECT_EQ(g_published, c.published) << "mode " << c.mode;
        EXPECT_FALSE(EntryExists("old@corvane")) << "mode " << c.mode;
        EXPECT_TRUE(EntryExists("other@client"));
        EXPECT_TRUE(EntryExists("similar@client"));
    }
    SetUnreadMailPublisher(old);
}
