#include "addressbook/AddressFileMerge.h"

#include "classlib/File.h"

#include <map>
#include <vector>

namespace AddressFileMerge {

namespace {

const char kLockName[] = "CVMailAddressBookWrite";

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 2;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// How often each line occurs.
std::map<std::string, int> CountLines(const std::vector<std::string>& lines)
{
    std::map<std::string, int> counts;
    for (const std::string& line : lines)
        ++counts[line];
    return counts;
}

bool WriteBytes(const char* pszPath, const std::string& text)
{
    HANDLE h = CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = text.empty() || WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}

} // namespace

std::string MergeLines(const std::string& base, const std::string& mine, const std::string& theirs, LineKey keyOf)
{
    auto keys = [keyOf](const std::vector<std::string>& lines) {
        std::vector<std::string> out;
        for (const std::string& line : lines)
            out.push_back(keyOf ? keyOf(line) : line);
        return out;
    };
    const std::vector<std::string> baseLines = SplitLines(base), theirLines = SplitLines(theirs);
    std::vector<std::string> result = SplitLines(mine);
    const std::vector<std::string> baseKeys = keys(baseLines), theirKeys = keys(theirLines);
    std::vector<std::string> resultKeys = keys(result);
    std::map<std::string, int> baseCount = CountLines(baseKeys), mineCount = CountLines(resultKeys),
                               theirCount = CountLines(theirKeys);
    // Each key as often as mine has it, plus what the other side added,
    // less what it removed.
    auto wanted = [&](const std::string& key) {
        int n = mineCount[key] + theirCount[key] - baseCount[key];
        return n < 0 ? 0 : n;
    };
    std::map<std::string, int> surplus;
    for (const auto& entry : mineCount)
        surplus[entry.first] = entry.second - wanted(entry.first);
    for (size_t i = 0; i < result.size();) {
        if (surplus[resultKeys[i]] > 0) {
            --surplus[resultKeys[i]];
            result.erase(result.begin() + static_cast<std::ptrdiff_t>(i));
            resultKeys.erase(resultKeys.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    // A line this side left as it was and the other side changed takes the
    // other side's text.
    for (size_t i = 0; i < result.size(); ++i) {
        const std::string& key = resultKeys[i];
        if (baseCount[key] != 1 || theirCount[key] != 1 || mineCount[key] != 1)
            continue;
        for (size_t b = 0; b < baseKeys.size(); ++b) {
            if (baseKeys[b] != key || baseLines[b] != result[i])
                continue;
            for (size_t t = 0; t < theirKeys.size(); ++t)
                if (theirKeys[t] == key)
                    result[i] = theirLines[t];
            break;
        }
    }
    // The lines to add are the last occurrences in theirs; each goes after
    // the nearest line before it in theirs that the result holds, so a group
    // stays below its parent.
    std::map<std::string, int> seen;
    for (size_t i = 0; i < theirLines.size(); ++i) {
        const std::string& key = theirKeys[i];
        int missing = wanted(key) - mineCount[key];
        if (missing <= 0 || seen[key]++ < theirCount[key] - missing)
            continue;
        size_t insertAt = 0;
        bool found = false;
        for (size_t j = i; !found && j-- > 0;) {
            for (size_t k = result.size(); k-- > 0;) {
                if (resultKeys[k] == theirKeys[j]) {
                    insertAt = k + 1;
                    found = true;
                    break;
                }
            }
        }
        result.insert(result.begin() + static_cast<std::ptrdiff_t>(insertAt), theirLines[i]);
        resultKeys.insert(resultKeys.begin() + static_cast<std::ptrdiff_t>(insertAt), key);
    }
    std::string merged;
    for (const std::string& line : result)
        merged += line;
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

bool WriteMerged(CQDDataStrgSet& set, std::string& base, bool& bChangedByOthers, LineKey keyOf)
{
    bChangedByOthers = false;
    const CString path = set.GetFilePath();
    if (path.IsEmpty())
        return false;
    const CString temp = path + ".$$$";
    CWriteLock lock;
    set.SetFilePath(temp);
    BOOL written = set.WriteToFile();
    set.SetFilePath(path);
    std::string mine;
    if (!written || !ReadWholeFile(temp, mine)) {
        DeleteFileA(temp);
        return false;
    }
    std::string theirs;
    if (!ReadWholeFile(path, theirs))
        theirs.clear();
    std::string merged = MergeLines(base, mine, theirs, keyOf);
    if (merged != mine && !WriteBytes(temp, merged)) {
        DeleteFileA(temp);
        return false;
    }
    if (!MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp);
        return false;
    }
    base = merged;
    bChangedByOthers = merged != mine;
    return true;
}

} // namespace AddressFileMerge
