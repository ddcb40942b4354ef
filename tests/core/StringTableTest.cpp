// Every message text the program loads by id is in its string table. The
// program's sources name string ids through the IDS_ names of the resource
// headers; this test reads those headers and the sources, and loads each id
// that the code uses from the program's resources.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path SourceRoot()
{
    return fs::path(TestSupport::TestDataDir().GetString()).parent_path();
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool IsCode(const fs::path& path)
{
    std::string ext = path.extension().string();
    return ext == ".cpp" || ext == ".h";
}

// The program's own folders: everything but the tests, benchmarks and build
// and script folders.
std::vector<fs::path> ProgramSources(const fs::path& root)
{
    static const std::set<std::string> skipped = { "tests", "bench", "cmake", "scripts", "resources", "run" };
    std::vector<fs::path> files;
    for (const fs::directory_entry& top : fs::directory_iterator(root)) {
        std::string name = top.path().filename().string();
        if (!top.is_directory() || name[0] == '.' || skipped.count(name) || name.rfind("build", 0) == 0)
            continue;
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(top.path())) {
            if (e.is_regular_file() && IsCode(e.path()))
                files.push_back(e.path());
        }
    }
    return files;
}

// IDS_ names of every resource header (resources/ and the *Resource.h files
// beside the classes).
std::map<std::string, UINT> StringIdNames(const fs::path& root)
{
    std::map<std::string, UINT> names;
    std::regex define(R"(#define\s+(IDS_\w+)\s+(\d+))");
    std::vector<fs::path> headers;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root / "resources")) {
        if (e.path().extension() == ".h")
            headers.push_back(e.path());
    }
    for (const fs::path& p : ProgramSources(root)) {
        std::string name = p.filename().string();
        if (name.size() > 10 && name.compare(name.size() - 10, 10, "Resource.h") == 0)
            headers.push_back(p);
    }
    for (const fs::path& h : headers) {
        std::string text = ReadText(h);
        for (std::sregex_iterator it(text.begin(), text.end(), define), end; it != end; ++it)
            names[(*it)[1]] = static_cast<UINT>(std::stoul((*it)[2]));
    }
    return names;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

TEST(StringTable, EveryIdTheProgramUsesHasItsText)
{
    fs::path root = SourceRoot();
    ASSERT_TRUE(fs::exists(root / "core")) << root.string();
    std::map<std::string, UINT> names = StringIdNames(root);
    ASSERT_FALSE(names.empty());

    std::regex named(R"(\bIDS_\w+)");
    // A bare number given to a string loader.
    std::regex loaded(R"(\b(?:AfxMessageBox|LoadString[AW]?)\s*\(\s*(\d+)\b)");
    // A constant in the range of the message ids (0xE000 to 0xEFFF) written as
    // a number: it belongs in a resource header with an IDS_ name.
    std::regex numbered(R"(\bUINT\s+k\w+\s*=\s*(5[7-9]\d\d\d|6[01]\d\d\d)\s*;)");
    std::map<UINT, std::string> used;  // id -> where
    int files = 0;
    for (const fs::path& p : ProgramSources(root)) {
        ++files;
        std::string text = ReadText(p);
        std::string where = fs::relative(p, root).generic_string();
        for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it) {
            std::string name = it->str();
            auto found = names.find(name);
            if (found == names.end()) {
                ADD_FAILURE() << where << ": " << name << " is not defined in a resource header";
                continue;
            }
            used.emplace(found->second, where + " " + name);
        }
        for (std::sregex_iterator it(text.begin(), text.end(), loaded), end; it != end; ++it)
            used.emplace(static_cast<UINT>(std::stoul((*it)[1])), where);
        for (std::sregex_iterator it(text.begin(), text.end(), numbered), end; it != end; ++it)
            ADD_FAILURE() << where << ": " << it->str() << " names a string id by number";
    }
    EXPECT_GT(files, 50);
    EXPECT_GT(used.size(), 10u);
    for (const auto& [id, where] : used)
        EXPECT_FALSE(LoadText(id).IsEmpty()) << "string " << id << " used in " << where;
}

TEST(StringTable, ReceiveErrorTexts)
{
    struct Case
    {
        UINT id;
        const char* text;
    } cases[] = {
        { 57616, "サーバに接続できませんでした" },
        { 57617, "指定されたPOP3サーバにユーザが見つかりません" },
        { 57619, "データ受信中にエラーが発生しました" },
        { 57621, "ソケットの作成に失敗しました。" },
        { 57622, "ダイアルネットワークの接続に失敗しました。" },
        { 57626, "回線は切断／中断されました。" },
        { 57631, "ログインできませんでした" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(LoadText(c.id), c.text) << c.id;
}
