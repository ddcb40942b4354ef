#include "html/HtmlUtil.h"
#include "html/MemoryHtmlDocument.h"
#include "message/RelatedPartList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

// Shift_JIS text as UTF-8, as current programs send their HTML.
std::string ToUtf8(const std::string& sjis)
{
    std::wstring wide = CString(sjis.c_str()).ToWide();
    std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    out.pop_back();
    return out;
}

// A mail's HTML folder with pictures and a second page, and a private file
// of the user outside it.
class HtmlLinks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = LongName(m_dir.Path()) + "\\html";
        CreateDirectoryA(m_folder, nullptr);
        CreateDirectoryA(m_folder + "\\sub", nullptr);
        WriteFileBytes(m_folder + "\\pic.gif", "GIF89a");
        WriteFileBytes(m_folder + "\\bg.jpg", "JPEG");
        WriteFileBytes(m_folder + "\\sub\\img.png", "PNG");
        WriteFileBytes(m_folder + "\\表.gif", "GIF89a");
        WriteFileBytes(m_folder + "\\my pic.gif", "GIF89a");
        WriteFileBytes(m_folder + "\\page2.html",
                       "<html><body><img src=\"pic.gif\"><a href=\"mail.html\">back</a></body></html>");
        WriteFileBytes(m_dir.File("secret.txt"), "private");
        m_mailPath = m_folder + "\\mail.html";
    }

    static CString LongName(const CString& path)
    {
        char buf[MAX_PATH];
        DWORD n = GetLongPathNameA(path, buf, sizeof(buf));
        return n > 0 && n < sizeof(buf) ? CString(buf) : path;
    }
    CString File(const char* name) const { return m_folder + "\\" + name; }
    std::string Cid(const char* name) const { return "cid:" + m_list.GetPartText(File(name)).Str(); }
    std::string Convert(const char* html) { return ConvertHtmlLinksToCid(html, m_mailPath, m_list).Str(); }

    TempDir m_dir;
    CString m_folder;
    CString m_mailPath;
    CRelatedPartList m_list;
};

} // namespace

TEST_F(HtmlLinks, LocalPicturesBecomeRelatedParts)
{
    std::string out = Convert("<p><IMG SRC=\"pic.gif\" width=10><img src=\"pic.gif\"></p>");
    ASSERT_EQ(m_list.GetPartCount(), 1);
    EXPECT_EQ(m_list.GetPart(0)->m_strName.Str(), File("pic.gif").Str());
    EXPECT_FALSE(m_list.GetPart(0)->m_strText.IsEmpty());
    // The second reference reuses the identifier.
    EXPECT_EQ(out, "<p><IMG SRC=\"" + Cid("pic.gif") + "\" width=10><img src=\"" + Cid("pic.gif") + "\"></p>");

    const struct
    {
        const char* html;
        const char* file;  // the file the link names, or null when it stays as it is
        const char* before;
        const char* after;
    } cases[] = {
        {"<img src=bg.jpg alt=x>", "bg.jpg", "<img src=", " alt=x>"},
        {"<img src = \"sub\\img.png\">", "sub\\img.png", "<img src = \"", "\">"},
        {"<img src=\"sub/img.png\"/>", "sub\\img.png", "<img src=\"", "\"/>"},
        {"<body background=\"表.gif\">", "表.gif", "<body background=\"", "\">"},
        {"<img src=\"my%20with%20pic.gif\">", "my pic.gif", "<img src=\"", "\">"},
        {"<param name=movie value=\"pic.gif\">", "pic.gif", "<param name=movie value=\"", "\">"},
        // Only the first of src, background, href, value is rewritten.
        {"<td background=\"bg.jpg\" src=\"pic.gif\">", "pic.gif", "<td background=\"bg.jpg\" src=\"", "\">"},
        // A name inside another attribute's value, or inside a longer name, is no attribute.
        {"<img alt=\"src=bg.jpg\" src=\"pic.gif\">", "pic.gif", "<img alt=\"src=bg.jpg\" src=\"", "\">"},
        {"<img data-src=\"bg.jpg\" title='href=bg.jpg'>", nullptr, nullptr, nullptr},
        // A ">" inside a quoted value does not end the tag.
        {"<img title=\"a>b\" src=\"bg.jpg\">", "bg.jpg", "<img title=\"a>b\" src=\"", "\">"},
        // Web addresses and missing files stay.
        {"<img src=\"http://example.jp/pic.gif\">", nullptr, nullptr, nullptr},
        {"<img src=\"nothere.gif\">", nullptr, nullptr, nullptr},
        {"<a href=\"mailto:a@example.jp\">x</a>", nullptr, nullptr, nullptr},
        {"<img src=\"\">", nullptr, nullptr, nullptr},
        // A folder is no file.
        {"<a href=\"sub\">x</a>", nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        std::string result = Convert(c.html);
        if (!c.file)
            EXPECT_EQ(result, c.html);
        else
            EXPECT_EQ(result, std::string(c.before) + Cid(c.file) + c.after) << c.html;
    }
    // Whole file names, each once, each with an identifier of its own.
    std::set<std::string> ids;
    for (int i = 0; i < m_list.GetPartCount(); ++i) {
        EXPECT_TRUE(ids.insert(m_list.GetPart(i)->m_strText.Str()).second);
        EXPECT_EQ(m_list.GetPart(i)->m_strName.Left(m_folder.GetLength()).Str(), m_folder.Str());
    }
    EXPECT_EQ(m_list.GetPartCount(), 5);  // pic.gif, bg.jpg, sub\img.png, 表.gif, my pic.gif
}

TEST_F(HtmlLinks, OnlyFilesInsideTheMailFolderGoWithAStoredPageWhateverTheLinksSpelling)
{
    // A received mail forwarded unchanged, or a mail opened again from the
    // outbox: its page lies in the mail's own folder and may name files of
    // the disk in any spelling. The editor hands over the page as its HTML
    // document gives it back (a UTF-8 page in Shift_JIS); the page is also
    // read on its own as a linked page is.
    const CString outside = LongName(m_dir.Path());
    WriteFileBytes(outside + "\\秘密 の写真.txt", "private");
    WriteFileBytes(outside + "\\my secret.txt", "private");
    WriteFileBytes(outside + "\\Long Secret Name.txt", "private");
    WriteFileBytes(File("Long Picture Name.gif"), "GIF89a");
    auto slashes = [](std::string path) {
        for (char& c : path)
            if (c == '\\')
                c = '/';
        return path;
    };
    auto shortName = [](const CString& path) {
        char buf[MAX_PATH];
        DWORD n = GetShortPathNameA(path, buf, sizeof(buf));
        return n > 0 && n < sizeof(buf) ? std::string(buf) : path.Str();
    };
    const std::string secret = m_dir.File("secret.txt").Str();
    const std::string japanese = (outside + "\\秘密 の写真.txt").Str();
    const std::string secretShort = shortName(outside + "\\Long Secret Name.txt");
    const std::string pictureShort = shortName(File("Long Picture Name.gif"));
    ASSERT_NE(secretShort.find('~'), std::string::npos) << "no short names here: " << secretShort;

    const struct
    {
        std::string link;
        bool bUtf8;       // the page is stored as UTF-8, else as Shift_JIS
        const char* goes;  // the file of the mail's folder that goes, or null
    } cases[] = {
        {secret, false, nullptr},
        {"../secret.txt", false, nullptr},
        {"sub\\..\\..\\secret.txt", false, nullptr},
        {"file:///" + slashes(secret), false, nullptr},
        {"C:\\windows\\win.ini", false, nullptr},
        {outside.Str(), false, nullptr},  // a folder
        // Percent escapes, the blanks some editors escape, Japanese names.
        {"../my%20with%20secret.txt", false, nullptr},
        {"file:///" + slashes(outside.Str()) + "/%E7%A7%98%E5%AF%86%20%E3%81%AE%E5%86%99%E7%9C%9F.txt", false, nullptr},
        {japanese, true, nullptr},
        {japanese, false, nullptr},
        {"../秘密 の写真.txt", true, nullptr},
        // Short names, letter case, trailing dots and blanks.
        {secretShort, false, nullptr},
        {"../SECRET.TXT", false, nullptr},
        {"..\\secret.txt.", false, nullptr},
        {"../secret.txt  ", false, nullptr},
        {"..\\.\\secret.txt...", false, nullptr},
        // The mail's own pictures go in any spelling.
        {"pic.gif", false, "pic.gif"},
        {"PIC.GIF", true, "pic.gif"},
        {"sub/../pic.gif", false, "pic.gif"},
        {"pic.gif.", false, "pic.gif"},
        {File("pic.gif").Str(), false, "pic.gif"},
        {"file:///" + slashes(File("pic.gif").Str()), false, "pic.gif"},
        {"my%20with%20pic.gif", false, "my pic.gif"},
        {"表.gif", true, "表.gif"},
        {"表.gif", false, "表.gif"},
        {pictureShort, false, "Long Picture Name.gif"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link + (c.bUtf8 ? " (UTF-8)" : ""));
        const std::string page = "<html><body><p>写真</p><img src=\"" + c.link + "\"></body></html>";
        WriteFileBytes(m_mailPath, c.bUtf8 ? ToUtf8(page) : page);
        auto doc = CMemoryHtmlDocument::Load(m_mailPath);
        ASSERT_TRUE(doc);
        const std::string shown = CString(doc->GetHtml().c_str()).Str();
        CRelatedPartList list;
        std::string out = ConvertHtmlLinksToCid(shown.c_str(), m_mailPath, list).Str();
        if (!c.goes) {
            EXPECT_EQ(out, shown);
            EXPECT_EQ(list.GetPartCount(), 0);
            CRelatedPartList own;
            EXPECT_EQ(ConvertHtmlLinksToCid(nullptr, m_mailPath, own).Str(), c.bUtf8 ? ToUtf8(page) : page);
            EXPECT_EQ(own.GetPartCount(), 0);
        } else {
            ASSERT_EQ(list.GetPartCount(), 1) << out;
            EXPECT_EQ(list.GetPart(0)->m_strName, File(c.goes));
            EXPECT_NE(out.find("<img src=\"cid:" + list.GetPart(0)->m_strText.Str() + "\">"), std::string::npos) << out;
        }
    }

    // An engine hands the page back in its own spelling: character
    // references read, links made absolute. The files are still the page's.
    const std::string stored = "<img src=\"..&#92;secret.txt\"><img src=\"..\\my&#32;secret.txt\">"
                               "<img src=\"..%5Csecret.txt\">";
    const std::string shown = "<IMG src=\"file:///" + slashes(secret) + "\"><IMG src=\"" + outside.Str() +
                              "\\my secret.txt\"><IMG src=\"..\\secret.txt\">";
    WriteFileBytes(m_mailPath, stored);
    CRelatedPartList list;
    EXPECT_EQ(ConvertHtmlLinksToCid(shown.c_str(), m_mailPath, list).Str(), shown);
    EXPECT_EQ(list.GetPartCount(), 0);
    // A NUL byte early in the stored page, which an engine reads past.
    static const char kNulPage[] = "<p>x\0y</p><img src=\"..\\secret.txt\">";
    WriteFileBytes(m_mailPath, std::string(kNulPage, sizeof(kNulPage) - 1));
    const std::string afterNul = "<p>xy</p><img src=\"..\\secret.txt\">";
    EXPECT_EQ(ConvertHtmlLinksToCid(afterNul.c_str(), m_mailPath, list).Str(), afterNul);
    EXPECT_EQ(list.GetPartCount(), 0);
    // Relative links under the page's BASE, written out in full.
    WriteFileBytes(m_mailPath, "<base href=\"file:///" + slashes(outside.Str()) + "/\"><img src=\"secret.txt\">");
    const std::string based = "<img src=\"" + secret + "\">";
    EXPECT_EQ(ConvertHtmlLinksToCid(based.c_str(), m_mailPath, list).Str(), based);
    EXPECT_EQ(list.GetPartCount(), 0);
}

TEST_F(HtmlLinks, PicturesPutInWhileWritingGoWithTheMailWhereverTheyLie)
{
    // Pictures of the user's own folders, linked as the HTML engine links an
    // inserted picture, in a new mail (no page of its own) and in a stored
    // page that did not name them.
    CString photos = LongName(m_dir.Path()) + "\\photos";
    CreateDirectoryA(photos, nullptr);
    WriteFileBytes(photos + "\\旅行 1.jpg", "JPEG1");
    WriteFileBytes(m_dir.File("b.png"), "PNG");
    std::string url = "file:///" + photos.Str() + "/%E6%97%85%E8%A1%8C%201.jpg";  // UTF-8 escapes of the name
    for (char& c : url)
        if (c == '\\')
            c = '/';
    const std::string pngPath = LongName(m_dir.Path()).Str() + "\\b.png";
    WriteFileBytes(m_mailPath, "<html><body><img src=\"pic.gif\"></body></html>");
    for (const char* page : {"", static_cast<const char*>(m_mailPath)}) {
        CRelatedPartList list;
        std::string html = "<img src=\"" + url + "\"><img src=" + pngPath + "><img src=\"missing.gif\">";
        std::string out = ConvertHtmlLinksToCid(html.c_str(), page, list).Str();
        ASSERT_EQ(list.GetPartCount(), 2) << page << " " << out;
        EXPECT_EQ(list.GetPart(0)->m_strName, photos + "\\旅行 1.jpg");
        EXPECT_EQ(list.GetPart(1)->m_strName.Str(), pngPath);
        EXPECT_EQ(out, "<img src=\"cid:" + list.GetPart(0)->m_strText.Str() + "\"><img src=cid:" +
                           list.GetPart(1)->m_strText.Str() + "><img src=\"missing.gif\">");
    }
    // A page the user's own HTML editor wrote may name any file.
    std::string own = "<img src=" + pngPath + ">";
    WriteFileBytes(m_mailPath, own);
    CRelatedPartList users, stored;
    EXPECT_NE(ConvertHtmlLinksToCid(own.c_str(), m_mailPath, users, true).Str(), own);
    EXPECT_EQ(users.GetPartCount(), 1);
    EXPECT_EQ(ConvertHtmlLinksToCid(own.c_str(), m_mailPath, stored).Str(), own);
    EXPECT_EQ(stored.GetPartCount(), 0);
    // Without a page a relative link names nothing.
    CRelatedPartList list;
    EXPECT_EQ(ConvertHtmlLinksToCid("<img src=\"b.png\">", "", list), CString("<img src=\"b.png\">"));
    EXPECT_EQ(list.GetPartCount(), 0);
}

TEST_F(HtmlLinks, LinkedPagesAreConvertedOnce)
{
    WriteFileBytes(m_mailPath, "<a href=\"page2.html\">");
    std::string out = Convert("<body><a href=\"page2.html\">next</a><img src=\"pic.gif\"></body>");
    ASSERT_EQ(m_list.GetPartCount(), 2);
    const CRelatedPartList::CPart* page = nullptr;
    for (int i = 0; i < m_list.GetPartCount(); ++i) {
        if (m_list.GetPart(i)->m_strName == File("page2.html"))
            page = m_list.GetPart(i);
    }
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(out, "<body><a href=\"" + Cid("page2.html") + "\">next</a><img src=\"" + Cid("pic.gif") + "\"></body>");
    // The page carries its converted text; its link back to the first page
    // gets an identifier but no second part.
    std::string extra = page->m_strExtra.Str();
    EXPECT_NE(extra.find("<img src=\"" + Cid("pic.gif") + "\">"), std::string::npos) << extra;
    EXPECT_EQ(extra.find("mail.html"), std::string::npos) << extra;
    EXPECT_NE(extra.find("<a href=\"cid:"), std::string::npos) << extra;
    EXPECT_TRUE(m_list.GetPartText(m_mailPath).IsEmpty());
}

TEST_F(HtmlLinks, TextReadFromTheFileWhenNoneIsGiven)
{
    WriteFileBytes(m_mailPath, "<html><body>写真 <img src=\"pic.gif\"> a<b>c</body></html>");
    std::string out = ConvertHtmlLinksToCid(nullptr, m_mailPath, m_list).Str();
    EXPECT_EQ(out, "<html><body>写真 <img src=\"" + Cid("pic.gif") + "\"> a<b>c</body></html>");
    EXPECT_EQ(ConvertHtmlLinksToCid(nullptr, File("missing.html"), m_list).Str(), "");
    // Text after a "<" that never closes is kept.
    EXPECT_EQ(Convert("a < b"), "a < b");
    // A UTF-8 page: bytes outside the links pass unchanged.
    std::string utf8 = u8"<p>日本語の写真</p><img src=\"pic.gif\">";
    EXPECT_EQ(Convert(utf8.c_str()), u8"<p>日本語の写真</p><img src=\"" + Cid("pic.gif") + "\">");
}

TEST_F(HtmlLinks, SingleTagAndValue)
{
    std::string tag = RewriteTagLinks("<img src=\"pic.gif\">", m_mailPath, m_list).Str();
    EXPECT_EQ(tag, "<img src=\"" + Cid("pic.gif") + "\">");
    EXPECT_EQ(RewriteTagLinks("<b>", m_mailPath, m_list).Str(), "<b>");
    EXPECT_EQ(RewriteLinkAttributeValue("=pic.gif>", m_mailPath, m_list).Str(), "=" + Cid("pic.gif") + ">");
    // The double-byte space counts as a blank around "=" and is kept whole.
    EXPECT_EQ(RewriteLinkAttributeValue("\x81\x40=\x81\x40pic.gif", m_mailPath, m_list).Str(),
              "\x81\x40=\x81\x40" + Cid("pic.gif"));
    EXPECT_EQ(RewriteLinkAttributeValue(" pic.gif", m_mailPath, m_list).Str(), " pic.gif");
}
