#include "mainwnd/MailExport.h"

#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "message/MailMessage.h"
#include "store/MailDataSource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/StoreText.h"
#include "viewer/ShownMailText.h"

namespace MailExport {

CString UniqueEmlPath(const char* pszFolder, const char* pszSubject)
{
    return UniqueExportPath(pszFolder, pszSubject, "eml");
}

CString UniqueExportPath(const char* pszFolder, const char* pszSubject, const char* pszExtension)
{
    CString stem = MakeValidFileName(pszSubject ? pszSubject : "");
    CString path = CombinePath(pszFolder, FormatString("%s.%s", stem.GetString(), pszExtension));
    for (int n = 1;; n++) {
        DWORD attr = GetFileAttributesA(path);
        if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
            return path;
        path = CombinePath(pszFolder, FormatString("%s_%d.%s", stem.GetString(), n, pszExtension));
    }
}

std::string EscapeHtml(const std::string& text)
{
    // None of these is below 0x40, so none is the second byte of a
    // double-byte character.
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string ExportedText(CQuendalApp& app, CMailFolderStore* pStore, int nIndex, const std::string& templateText, bool bHtml)
{
    CMailIndexRecord* r = pStore ? pStore->GetRecord(nIndex) : nullptr;
    CString entry;
    if (!r || !pStore->ReadMailText(r, entry))
        return std::string();
    CShownMailText shown;
    shown.Load(entry.GetString(), static_cast<size_t>(entry.GetLength()));
    CMailMessage message;
    message.ParseHeaderText(shown.HeaderText().c_str());
    std::string body = bHtml ? EscapeHtml(shown.Body()) : shown.Body();
    // Mail kind 8: "%TEMPLATE%" is the forward header, as for a forwarded mail.
    CString text = app.ReplaceTemplateMacros(templateText.c_str(), r, body.c_str(), nullptr, 8, &message);
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

bool WriteTextExport(CQuendalApp& app, const char* pszPath, CMailFolderStore* pStore, int nIndex,
                     const std::string& templateText, bool bHtml)
{
    if (!pStore || !pStore->GetMailList() || !pStore->GetRecord(nIndex))
        return false;
    return WriteFileWhole(pszPath, ExportedText(app, pStore, nIndex, templateText, bHtml));
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
