#include "addressbook/AddressFileMerge.h"

#include "classlib/File.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <list>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace AddressFileMerge {

namespace {

const char kLockName[] = "CVMailAddressBookWrite";

// Lines as the record-file base reads them: broken at CR, LF or CR LF,
// empty ones skipped. Each is written back with CR LF, so that a last line
// without its line end is not glued to a line that follows it.
std::vector<std::string_view> SplitLines(const std::string& text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.emplace_back(text.data() + start, end - start);
        start = end + 1;
    }
    return lines;
}

bool WriteBytes(const char* pszPath, const std::string& text, DWORD& nError)
{
    HANDLE h = CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        nError = GetLastError();
        return false;
    }
    DWORD written = 0;
    BOOL ok = text.empty() || WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (!ok)
        nError = GetLastError();
    else if (written != text.size())
        nError = ERROR_DISK_FULL;
    CloseHandle(h);
    return ok && written == text.size();
}

// The table's lines as WriteToFile would write them.
bool FormatTable(CQDDataStrgSet& set, std::string& text, DWORD& nError)
{
    CMemFile memory;
    try {
        set.WriteRecords(memory);
    } catch (const CFileException& e) {
        nError = e.m_lOsError > 0 ? static_cast<DWORD>(e.m_lOsError) : ERROR_GEN_FAILURE;
        return false;
    }
    std::vector<BYTE> bytes = memory.Detach();
    text.assign(bytes.begin(), bytes.end());
    return true;
}

} // namespace

std::string MergeLines(const std::string& base, const std::string& mine, const std::string& theirs, LineKey keyOf)
{
    const std::vector<std::string_view> baseLines = SplitLines(base), mineLines = SplitLines(mine),
                                        theirLines = SplitLines(theirs);
    // Every key gets a number, so that what follows counts in arrays.
    std::deque<std::string> keyTexts;
    std::unordered_map<std::string_view, int> ids;
    auto numbers = [&](const std::vector<std::string_view>& lines) {
        std::vector<int> out;
        out.reserve(lines.size());
        for (std::string_view line : lines) {
            std::string_view key = line;
            if (keyOf) {
                keyTexts.push_back(keyOf(std::string(line) + "\r\n"));
                key = keyTexts.back();
            }
            out.push_back(ids.emplace(key, static_cast<int>(ids.size())).first->second);
        }
        return out;
    };
    const std::vector<int> baseKeys = numbers(baseLines), mineKeys = numbers(mineLines),
                           theirKeys = numbers(theirLines);
    const size_t keyCount = ids.size();
    std::vector<int> baseCount(keyCount), mineCount(keyCount), theirCount(keyCount);
    // The line of a key in base and in theirs: for a key each has once, the
    // text the other side may have changed.
    std::vector<std::string_view> baseLineOf(keyCount), theirLineOf(keyCount);
    for (size_t i = 0; i < baseLines.size(); ++i) {
        ++baseCount[baseKeys[i]];
        baseLineOf[baseKeys[i]] = baseLines[i];
    }
    for (size_t i = 0; i < mineLines.size(); ++i)
        ++mineCount[mineKeys[i]];
    for (size_t i = 0; i < theirLines.size(); ++i) {
        ++theirCount[theirKeys[i]];
        theirLineOf[theirKeys[i]] = theirLines[i];
    }
    // Each key as often as mine has it, plus what the other side added,
    // less what it removed.
    auto wanted = [&](int key) { return std::max(0, mineCount[key] + theirCount[key] - baseCount[key]); };

    using Result = std::list<std::string_view>;
    Result result;
    // The line after which a line that follows a line of that key in theirs
    // goes: the last of mine, or the last one added from theirs.
    std::vector<Result::iterator> anchorOf(keyCount, result.end());
    std::vector<int> held(keyCount), surplus(keyCount), seen(keyCount);
    for (size_t key = 0; key < keyCount; ++key)
        surplus[key] = mineCount[key] - wanted(static_cast<int>(key));
    for (size_t i = 0; i < mineLines.size(); ++i) {
        const int key = mineKeys[i];
        if (surplus[key] > 0) {
            --surplus[key];  // the other side removed it
            continue;
        }
        std::string_view text = mineLines[i];
        // A line this side left as it was and the other side changed takes
        // the other side's text.
        if (baseCount[key] == 1 && theirCount[key] == 1 && mineCount[key] == 1 && baseLineOf[key] == text)
            text = theirLineOf[key];
        anchorOf[key] = result.insert(result.end(), text);
        ++held[key];
    }
    // The lines to add are the last occurrences in theirs; each goes after
    // the nearest line before it in theirs that the result holds, so a group
    // stays below its parent.
    int nearest = -1;
    for (size_t i = 0; i < theirLines.size(); ++i) {
        const int key = theirKeys[i];
        int missing = wanted(key) - mineCount[key];
        if (missing > 0 && seen[key]++ >= theirCount[key] - missing) {
            auto at = nearest >= 0 ? std::next(anchorOf[nearest]) : result.begin();
            anchorOf[key] = result.insert(at, theirLines[i]);
            ++held[key];
        }
        if (held[key] > 0)
            nearest = key;
    }
    std::string merged;
    merged.reserve(mine.size() + theirs.size());
    for (std::string_view line : result)
        merged.append(line.data(), line.size()).append("\r\n");
    return merged;
}

std::string GroupListKey(const std::string& line)
{
    // The fourth column is the group's id; the header line has fewer.
    size_t start = 0;
    for (int column = 0; column < 3; ++column) {
        start = line.find('\t', start);
        if (start == std::string::npos)
            return line;
        ++start;
    }
    size_t end = line.find('\t', start);
    return end == std::string::npos ? line : "id " + line.substr(start, end - start);
}

CWriteLock::CWriteLock() : m_hMutex(CreateMutexA(nullptr, FALSE, kLockName))
{
    // A holder that ended without releasing leaves the lock abandoned, which
    // still hands it over.
    if (m_hMutex)
        WaitForSingleObject(m_hMutex, INFINITE);
}

CWriteLock::~CWriteLock()
{
    if (m_hMutex) {
        ReleaseMutex(m_hMutex);
        CloseHandle(m_hMutex);
    }
}

std::string ReadBase(const char* pszPath)
{
    CWriteLock lock;
    std::string text;
    if (!ReadWholeFile(pszPath, text))
        text.clear();
    return text;
}

bool WriteMerged(CQDDataStrgSet& set, std::string& base, bool& bChangedByOthers, LineKey keyOf,
                 WriteFailure* pFailure)
{
    bChangedByOthers = false;
    WriteFailure failure;
    auto fail = [&](bool bUnreadable, DWORD nError) {
        failure.bUnreadable = bUnreadable;
        failure.nError = nError ? nError : ERROR_GEN_FAILURE;
        if (pFailure)
            *pFailure = failure;
        return false;
    };
    const CString path = set.GetFilePath();
    if (path.IsEmpty())
        return fail(false, ERROR_INVALID_NAME);
    std::string mine;
    DWORD error = 0;
    if (!FormatTable(set, mine, error))
        return fail(false, error);
    CWriteLock lock;
    // Only a file that is not there is empty: one that is there but cannot
    // be read is kept, or its entries would be lost.
    std::string theirs;
    if (!ReadWholeFile(path, theirs)) {
        error = GetLastError();
        theirs.clear();
        DWORD attributes = GetFileAttributesA(path);
        DWORD missing = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
        if (missing != ERROR_FILE_NOT_FOUND && missing != ERROR_PATH_NOT_FOUND)
            return fail(true, error);
    }
    std::string merged = MergeLines(base, mine, theirs, keyOf);
    const CString temp = path + ".$$$";
    if (!WriteBytes(temp, merged, error)) {
        DeleteFileA(temp);
        return fail(false, error);
    }
    if (!MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING)) {
        error = GetLastError();
        DeleteFileA(temp);
        return fail(false, error);
    }
    base = merged;
    bChangedByOthers = merged != mine;
    return true;
}

CString DescribeFailure(const char* pszPath, const WriteFailure& failure)
{
    CString reason = AfxSystemErrorText(failure.nError ? failure.nError : ERROR_GEN_FAILURE).Left(255);
    CString text;
    if (failure.bUnreadable)
        text.Format("[%s]を読み込めないため、変更を保存できませんでした。\r\nファイルは元のまま残してあります。\r\n[%s]",
                    pszPath, reason.GetString());
    else
        text.Format("[%s]で書き込みエラーが発生しました。\r\n[%d][%s]", pszPath,
                    CFileException::OsErrorToException(static_cast<LONG>(failure.nError)), reason.GetString());
    return text;
}

} // namespace AddressFileMerge
