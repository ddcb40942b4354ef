#include "mainwnd/MailExport.h"

#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "store/MailDataSource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/StoreText.h"

namespace MailExport {

CString UniqueEmlPath(const char* pszFolder, const char* pszSubject)
{
    CString stem = MakeValidFileName(pszSubject ? pszSubject : "");
    CString path = CombinePath(pszFolder, stem + ".eml");
    for (int n = 1;; n++) {
        DWORD attr = GetFileAttributesA(path);
        if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
            return path;
        path = CombinePath(pszFolder, FormatString("%s_%d.eml", stem.GetString(), n));
    }
}

std::string EscapeFromLines(const std::string& text)
{
    static const char kMark[] = "\x1b(B";
    std::string out;
    out.reserve(text.size() + 16);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        size_t end = eol == std::string::npos ? text.size() : eol + 1;
        if (text.compare(pos, 5, "From ") == 0)
            out += kMark;
        out.append(text, pos, end - pos);
        pos = end;
    }
    return out;
}

std::string MboxRecord(const char* pszFromText, int64_t tReceived, const std::string& mailText)
{
    std::string text = mailText.substr(0, mailText.find('\0'));
    std::string record = "From ";
    record += StoreText::BareAddress(pszFromText ? pszFromText : "").Str();
    record += " ";
    record += FormatCtimeDate(tReceived).Str();
    record += "\r\n";
    record += EscapeFromLines(text);
    record += "\r\n";
    return record;
}

bool WriteMbox(const char* pszPath, CMailFolderStore* pStore, const std::vector<int>& indices)
{
    std::string out;
    for (int index : indices) {
        CMailIndexRecord* r = pStore && pStore->GetMailList() ? pStore->GetRecord(index) : nullptr;
        std::string text;
        if (!r || !CMailDataSource::RebuildMail(pStore, index, text))
            continue;
        out += MboxRecord(r->GetText(CMailIndexRecord::colFrom), r->GetReceiveTime(), text);
    }
    return WriteFileWhole(pszPath, out);
}

std::vector<CString> WriteEmlFiles(const char* pszFolder, CMailFolderStore* pStore, const std::vector<int>& indices)
{
    std::vector<CString> written;
    for (int index : indices) {
        CMailIndexRecord* r = pStore && pStore->GetMailList() ? pStore->GetRecord(index) : nullptr;
        std::string text;
        if (!r || !CMailDataSource::RebuildMail(pStore, index, text))
            continue;
        CString path = UniqueEmlPath(pszFolder, r->GetText(CMailIndexRecord::colSubject));
        if (WriteFileWhole(path, text))
            written.push_back(path);
    }
    return written;
}

bool WriteEml(const char* pszPath, CMailFolderStore* pStore, int nIndex)
{
    std::string text;
    return pStore && pStore->GetMailList() && CMailDataSource::RebuildMail(pStore, nIndex, text) &&
           WriteFileWhole(pszPath, text);
}

bool WriteFileWhole(const char* pszPath, const std::string& bytes)
{
    CFile file;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite))
        return false;
    try {
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        DeleteFileA(pszPath);
        return false;
    }
    return true;
}

} // namespace MailExport
