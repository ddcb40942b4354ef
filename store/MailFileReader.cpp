#include "store/MailFileReader.h"

#include "core/FileSteps.h"
#include "core/FileUtil.h"
#include "core/LogWriter.h"
#include "core/QuendalApp.h"
#include "html/HtmlUtil.h"
#include "message/Base64.h"
#include "message/BinHex.h"
#include "message/DotStuffer.h"
#include "message/JapaneseCode.h"
#include "message/MailLineEnds.h"
#include "message/MailMessage.h"
#include "message/QuotedPrintable.h"
#include "message/Uuencode.h"
#include "store/StoreWrite.h"

#include <cstring>
#include <ctime>

namespace {

const char kTerminator[] = "\r\n.\r\n";

// Where the terminator stands in "\r\n" + body (a body may begin with the
// terminator's "." line), found without making that string.
size_t FindTerminator(const std::string& body)
{
    if (body.compare(0, 3, ".\r\n") == 0)
        return 0;
    size_t at = body.find(kTerminator);
    return at == std::string::npos ? at : at + 2;
}
// Mails from this outside program keep a private part ("temp.ppd") that the
// viewer treats specially.
const char kPpdMailer[] = "PPD Mail";

enum { kEncQuotedPrintable = 3, kEncBase64 = 4, kEncUuencode = 5, kEncBinHex = 6 };

// Multiparts nested deeper than this are kept whole rather than walked: a
// crafted mail must not exhaust the stack.
const int kMaxPartDepth = 32;

// Splits at line ends (CR LF, CR or LF), calling fn with each line.
template <class Fn>
void ForEachLine(const std::string& text, Fn fn)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        fn(text.data() + pos, end - pos);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            end++;
        pos = end + 1;
    }
}

std::string DecodeBase64Lines(const std::string& text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    ForEachLine(text, [&](const char* p, size_t n) { CBase64::DecodeAppend(p, n, out); });
    return out;
}

std::string DecodeUuLines(const std::string& text)
{
    std::string out;
    bool inBody = text.compare(0, 6, "begin ") != 0 && text.find("\nbegin ") == std::string::npos;
    ForEachLine(text, [&](const char* p, size_t n) {
        if (!inBody) {
            if (n >= 6 && memcmp(p, "begin ", 6) == 0)
                inBody = true;
            return;
        }
        if ((n == 3 && memcmp(p, "end", 3) == 0) || n == 0 || (n == 1 && p[0] == '`'))
            return;
        CUuencode::DecodeLineAppend(p, n, out);
    });
    return out;
}

// The data fork of a decoded BinHex stream (name, version, type, creator,
// flags, the two fork lengths and a check come first). The file is written
// under the part's own checked name, never the name inside the stream.
std::string BinHexDataFork(const std::string& s)
{
    if (s.empty())
        return s;
    size_t nameLen = static_cast<unsigned char>(s[0]);
    size_t lengthAt = 1 + nameLen + 1 + 4 + 4 + 2;
    size_t dataStart = lengthAt + 4 + 4 + 2;
    if (s.size() < dataStart)
        return s;
    unsigned long dataLen = (static_cast<unsigned long>(static_cast<unsigned char>(s[lengthAt])) << 24) |
                            (static_cast<unsigned long>(static_cast<unsigned char>(s[lengthAt + 1])) << 16) |
                            (static_cast<unsigned long>(static_cast<unsigned char>(s[lengthAt + 2])) << 8) |
                            static_cast<unsigned long>(static_cast<unsigned char>(s[lengthAt + 3]));
    size_t available = s.size() - dataStart;
    return s.substr(dataStart, dataLen < available ? dataLen : available);
}

bool WriteFileBytes(const CString& path, const std::string& bytes)
{
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite))
        return false;
    try {
        if (!bytes.empty())
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return false;
    }
    return true;
}

bool ReadFileBytes(const char* path, std::string& bytes)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone))
        return false;
    try {
        ULONGLONG len = file.GetLength();
        if (len > 0x7FFFFFF0)
            return false;
        bytes.resize(static_cast<size_t>(len));
        size_t done = 0;
        while (done < bytes.size()) {
            UINT got = file.Read(&bytes[done], static_cast<UINT>(bytes.size() - done));
            if (got == 0)
                break;
            done += got;
        }
        bytes.resize(done);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return false;
    }
    return true;
}

// Creates a folder and any missing parents. The common case, one missing
// level under an existing folder, costs one call.
void EnsureDirectory(const CString& dir)
{
    if (CreateDirectoryA(dir, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return;
    CreateDirectoryPath(dir);
}

bool EqualsNoCase(const CString& a, const char* b)
{
    return a.CompareNoCase(b) == 0;
}

void SetFileTimes(const CString& path, const CMailMessage& part)
{
    if (!part.m_bHasCreationTime && !part.m_bHasModificationTime)
        return;
    HANDLE h = CreateFileA(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    FILETIME created{}, modified{};
    if (part.m_bHasCreationTime)
        CTime(part.m_creationTime).GetAsFileTime(created);
    if (part.m_bHasModificationTime)
        CTime(part.m_modificationTime).GetAsFileTime(modified);
    SetFileTime(h, part.m_bHasCreationTime ? &created : nullptr, nullptr,
                part.m_bHasModificationTime ? &modified : nullptr);
    CloseHandle(h);
}

// Decoded text of the charset, or of the code page given in its place,
// converted to Shift_JIS.
CString CharsetToSjis(const std::string& text, const CString& cs, int nCodePage)
{
    int len = static_cast<int>(text.size());
    if (nCodePage == 2 || nCodePage > 9)
        return CString(text);
    if ((EqualsNoCase(cs, "UTF-7") && nCodePage < 0) || nCodePage == 3)
        return Utf7ToAnsi(text.data(), len);
    if ((EqualsNoCase(cs, "UTF-8") && nCodePage < 0) || nCodePage == 4)
        return Utf8ToAnsi(text.data(), len);
    if ((EqualsNoCase(cs, "EUC-JP") && nCodePage < 0) || nCodePage == 5)
        return EucToSjis(text.data(), len);
    if (((EqualsNoCase(cs, "ISO-2022-JP") || EqualsNoCase(cs, "csISO2022JP")) && nCodePage < 0) ||
        EqualsNoCase(cs, "US-ASCII") || cs.IsEmpty() || nCodePage == 0)
        return JisToSjis(text.data(), len);
    return CString(text);
}

// The decoded text of a text part converted to Shift_JIS; an HTML part
// stays as it came, for its file.
CString ToSjis(const std::string& text, const CMailMessage& part, int nCodePage)
{
    if (part.m_nSubType == kContentHtml)
        return CString(text);
    return CharsetToSjis(text, part.m_strCharset, nCodePage);
}

} // namespace

CMailFileReader::CMailFileReader()
{
    CQuendalApp* app = QuendalApp();
    m_bBodyFromHtml = app && app->m_bCreateMailBodyFromHtml;
}
CMailFileReader::~CMailFileReader() = default;

CString CMailFileReader::SafePartName(const char* pszName)
{
    // Names come from the mail: no way out of the mail's folder, no device
    // names, none of the names the store uses for its own sub-folders.
    CString name = MakeValidFileName(pszName ? pszName : "");
    name.Trim();
    while (!name.IsEmpty() && (name[name.GetLength() - 1] == '.' || name[name.GetLength() - 1] == ' '))
        name = name.Left(name.GetLength() - 1);
    while (!name.IsEmpty() && name[0] == '.')
        name = name.Mid(1);
    for (int i = 0; i < name.GetLength(); i++) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (Mbcs::IsLeadByte(c) && i + 1 < name.GetLength()) {
            i++;
            continue;
        }
        if (c < 0x20)
            name.SetAt(i, '_');
    }
    if (name.IsEmpty())
        return CString();
    // Trimming may have uncovered a device name (" CON", ".nul"); the check
    // again puts a "_" before it.
    CString checked = MakeValidFileName(name);
    if (checked != name)
        return checked;
    CString base = name;
    int dot = base.Find('.');
    if (dot >= 0)
        base = base.Left(dot);
    base.TrimRight();
    static const char* const reserved[] = {"Headers", "html", "inline", "NonAttach"};
    for (const char* r : reserved)
        if (base.CompareNoCase(r) == 0)
            return "_" + name;
    if (name.GetLength() >= 7 && name.Left(7).CompareNoCase("$attach") == 0)
        return "_" + name;
    return name;
}

BOOL CMailFileReader::IsPpdMail() const
{
    if (!m_pMessage)
        return FALSE;
    CString mailer = m_pMessage->GetHeader("X-Mailer");
    if (mailer.Find(kPpdMailer) < 0)
        return FALSE;
    return FileExists(CombinePath(m_strAttachFolder, "temp.ppd"));
}

CString CMailFileReader::GeneratedName()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    CString name = FormatString("QM%lu%03d%03d", m_ulReceiveTime, static_cast<int>(st.wMilliseconds), m_nPartCounter);
    m_nPartCounter++;
    return name;
}

void CMailFileReader::FillValues()
{
    CMailMessage& m = *m_pMessage;
    m_values.strSubject = m.m_strSubject;
    m_values.strFrom = m.m_strFrom;
    m_values.strTo = m.m_strTo;
    m_values.strCc = m.m_strCc;
    m_values.strDate = m.m_strDate;
    // A Date header that could not be read gives no date (the received time
    // stands in for it).
    if (!m_values.strDate.IsEmpty() && m_values.strDate[0] == ' ')
        m_values.strDate.Empty();
    m_values.strMessageId = m.m_strMessageId;
    m_values.strReference = m.m_strReferenceId;
    if (m.m_nSubType == kContentPartial && !m.m_strPartialId.IsEmpty()) {
        m_values.strReference = m.m_strPartialId;
        m_values.nPartNumber = m.m_nPartialNumber > 0 ? m.m_nPartialNumber : 0;
        m_values.nPartTotal = m.m_nPartialTotal > 0 ? m.m_nPartialTotal : 0;
    }
    m_values.strAccount = m.m_strReceiveAccount;
    if (m_values.strCharset.IsEmpty())
        m_values.strCharset = m.m_strCharset;
    m_values.nPriority = m.m_nPriority;
    m_values.bReceipt = m.m_bReadReceipt;
}

void CMailFileReader::ParseHeaderText(const char* pszHeader, const char* pszAttachFolder)
{
    m_pMessage.reset(new CMailMessage);
    m_strAttachFolder = pszAttachFolder ? pszAttachFolder : "";
    m_values = MailHeaderValues();
    m_pMessage->ParseHeaderText(pszHeader ? pszHeader : "");
    if (m_pMessage->m_strCharset.IsEmpty()) {
        std::string headers;
        CString path = CombinePath(CombinePath(m_strAttachFolder, "Headers"), "Headers.dat");
        if (ReadFileBytes(path, headers) && !headers.empty())
            m_values.strCharset = m_pMessage->GetHeaderCharset(headers.c_str());
    }
    FillValues();
}

void CMailFileReader::ResetParse(const char* pszMailPath, const char* pszFolderDir, BOOL bStore, int nCodePage)
{
    m_strBody.Empty();
    m_strHeader.Empty();
    m_strHtml.Empty();
    m_partHeaders.clear();
    m_nPartCounter = 0;
    m_messageParts.RemoveAll();
    m_attachList.RemoveAll();
    m_htmlFiles.RemoveAll();
    m_otherParts.RemoveAll();
    m_contentIds.clear();
    m_bodyText.clear();
    m_bDecodeFailed = FALSE;
    m_bHtmlBodyDone = FALSE;
    m_bAttachFolderMade = FALSE;
    m_values = MailHeaderValues();
    m_bStore = bStore;
    m_nCodePage = nCodePage;
    m_strMailPath = pszMailPath ? pszMailPath : "";
    m_strFolderDir = pszFolderDir ? pszFolderDir : "";
    m_strMailFileName = GetFileNameFromPath(m_strMailPath);
    m_strAttachFolder = m_strFolderDir.IsEmpty() ? CString()
                                                 : CombinePath(CombinePath(m_strFolderDir, "Attach"), m_strMailFileName);
    m_ulReceiveTime = static_cast<unsigned long>(time(nullptr));
    m_pMessage.reset(new CMailMessage);
}

int CMailFileReader::ParseMailFile(const char* pszMailPath, const char* pszFolderDir, BOOL bStore, int nCodePage,
                                   int nForcedEncoding)
{
    std::string text;
    if (!pszMailPath || !ReadFileBytes(pszMailPath, text))
        text.clear();
    return ParseMailBytes(pszMailPath, pszFolderDir, text, bStore, nCodePage, nForcedEncoding);
}

int CMailFileReader::ParseMailBytes(const char* pszMailPath, const char* pszFolderDir, std::string& text, BOOL bStore,
                                    int nCodePage, int nForcedEncoding)
{
    ResetParse(pszMailPath, pszFolderDir, bStore, nCodePage);
    if (text.empty()) {
        FillValues();
        return 0;
    }
    // A file from another program may end its lines with LF or CR alone.
    // Such a file never came through a protocol or the program's own
    // writers (which all write CR LF), so it is not dot-doubled either:
    // it is put into the form the store keeps.
    if (text.find("\r\n") == std::string::npos) {
        std::string lines = CMailLineEnds::ToCrLf(text);
        text = CDotStuffer::Stuff(lines.data(), lines.size());
    }
    ParseLoadedMail(text, nCodePage, nForcedEncoding);
    return 1;
}

int CMailFileReader::ParseMailText(const std::string& text, BOOL bStore, int nCodePage, int nForcedEncoding)
{
    ResetParse(nullptr, nullptr, bStore, nCodePage);
    if (text.empty()) {
        FillValues();
        return 0;
    }
    ParseLoadedMail(text, nCodePage, nForcedEncoding);
    return 1;
}

void CMailFileReader::ParseLoadedMail(const std::string& text, int nCodePage, int nForcedEncoding)
{
    size_t blank = text.find("\r\n\r\n");
    std::string header;
    if (blank == std::string::npos) {
        // A mail of header lines only: all of it is the header, nothing of it
        // is dropped.
        header = text;
        while (!header.empty() && (header.back() == '\r' || header.back() == '\n'))
            header.pop_back();
    } else {
        header = text.substr(0, blank);
        m_bodyText = text.substr(blank + 4);
    }
    m_strHeader = CString(header);
    try {
        if (nCodePage >= 0)
            m_pMessage->m_bKeepRaw = true;
        m_pMessage->Parse(header.c_str(), static_cast<int>(header.size()));
        if (m_pMessage->m_strCharset.IsEmpty() && !m_strAttachFolder.IsEmpty() && !m_bAttachFolderNew) {
            std::string headers;
            CString path = CombinePath(CombinePath(m_strAttachFolder, "Headers"), "Headers.dat");
            if (ReadFileBytes(path, headers) && !headers.empty())
                m_values.strCharset = m_pMessage->GetHeaderCharset(headers.c_str());
        }
        // The body up to its first terminator; the whole text, uncopied,
        // when there is none.
        size_t term = FindTerminator(m_bodyText);
        std::string cut;
        if (term != std::string::npos)
            cut.assign(m_bodyText, 0, term);
        const std::string& body = term == std::string::npos ? m_bodyText : cut;
        if (m_pMessage->m_nSubType == kContentPartial) {
            m_strBody = CString(body);
        } else if (!StorePartSafe(*m_pMessage, body, nForcedEncoding)) {
            m_bDecodeFailed = TRUE;
            WriteLog("ReadBody Error\r\n");
        }
    } catch (...) {
        m_bDecodeFailed = TRUE;
        AfxMessageBox("メールデータの解析中にエラーが発生しました。");
    }
    FillValues();
}

bool CMailFileReader::StorePartSafe(CMailMessage& header, const std::string& body, int nForcedEncoding)
{
    try {
        StorePart(header, body, FALSE, FALSE, nForcedEncoding, 0);
    } catch (const CException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int CMailFileReader::ReadMailFile(const char* pszFolderDir, const char* pszMailPath, BOOL bStore, int nCodePage,
                                  int nForcedEncoding)
{
    ParseMailFile(pszMailPath, pszFolderDir, bStore, nCodePage, nForcedEncoding);
    return WriteDataEntry(pszFolderDir, nCodePage);
}

int CMailFileReader::ReadMailText(const char* pszFolderDir, const char* pszMailName, std::string& text, BOOL bStore,
                                  int nCodePage, int nForcedEncoding)
{
    ParseMailBytes(pszMailName, pszFolderDir, text, bStore, nCodePage, nForcedEncoding);
    return WriteDataEntry(pszFolderDir, nCodePage);
}

int CMailFileReader::WriteDataEntry(const char* pszFolderDir, int nCodePage)
{
    // The entry: name line, header block, body up to its first terminator,
    // terminator. Nothing inside an entry may look like a terminator, or the
    // index could not be rebuilt from the data file.
    std::string header = m_strHeader.Str();
    if (nCodePage >= 0 && m_pMessage) {
        m_pMessage->SetCharset(GetCharsetNameByCode(nCodePage));
        header = m_pMessage->GetHeaderText().Str();
        while (header.size() >= 2 && header.compare(header.size() - 2, 2, "\r\n") == 0)
            header.resize(header.size() - 2);
    }
    size_t lead = header.find_first_not_of("\r\n");
    header.erase(0, lead == std::string::npos ? header.size() : lead);
    const std::string& fullBody = m_bodyText;
    size_t bodyLength = fullBody.size();
    std::string stuffed;
    const std::string* bodyText = &fullBody;
    size_t term = FindTerminator(fullBody);
    if (term != std::string::npos) {
        size_t after = term + 3;  // in body coordinates: after "\r\n.\r\n" minus the added "\r\n"
        bool more = after < fullBody.size() && fullBody.find_first_not_of("\r\n \t", after) != std::string::npos;
        if (!more) {
            bodyLength = term;
        } else {
            // A lone "." line inside the body of a mail that was not
            // dot-stuffed: stuff it, rather than cutting the mail there.
            const std::string& body = fullBody;
            stuffed.reserve(body.size() + 16);
            for (size_t i = 0; i < body.size(); i++) {
                if (body[i] == '.' && (i == 0 || body[i - 1] == '\n'))
                    stuffed += '.';
                stuffed += body[i];
            }
            bodyText = &stuffed;
            bodyLength = stuffed.size();
        }
    }
    std::string entry;
    entry.reserve(m_strMailFileName.GetLength() + header.size() + bodyLength + 16);
    entry += m_strMailFileName.Str();
    entry += "\r\n";
    entry += header;
    entry += "\r\n\r\n";
    entry.append(*bodyText, 0, bodyLength);
    entry += kTerminator;

    CString dataPath = CombinePath(pszFolderDir, "MailData.Qmd");
    CFile own;
    bool held = m_pDataFile && m_pDataFile->IsOpen();
    CFile& file = held ? *m_pDataFile : own;
    if (!held && !own.Open(dataPath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite))
        return 0;
    try {
        ULONGLONG offset = file.SeekToEnd();
        // Offsets and lengths are signed 32-bit in the index.
        if (offset + entry.size() > 0x7FFFFFFF) {
            file.Abort();
            AfxMessageBox(FormatString("メールデータファイル[%s]が2GBを超えるため、これ以上メールを追加できません。\r\n"
                                       "フォルダを分けてください。",
                                       dataPath.GetString()),
                          MB_OK | MB_ICONERROR);
            return 0;
        }
        m_nDataOffset = static_cast<int>(offset);
        StoreWrite::Write(file, entry.data(), static_cast<UINT>(entry.size()));
        m_nDataLength = static_cast<int>(file.GetPosition() - offset);
        if (!held)
            file.Close();
    } catch (const CFileException&) {
        file.Abort();
        AfxMessageBox("メールデータの書き込みエラーです。\r\nハードディスクに十分な空きがあるかどうかを確認してください。",
                      MB_OK | MB_ICONERROR);
        return 0;
    }
    for (int i = 0; i < m_htmlFiles.GetSize(); i++)
        RewriteHtmlLinks(m_htmlFiles[i]);
    m_contentIds.clear();
    if (!m_partHeaders.empty() && m_bStore)
        WriteHeadersDat();
    return 1;
}

CString CMailFileReader::MakePartPath(const char* pszName, BOOL bHtml, BOOL bInline, BOOL bOther)
{
    CString dir = m_strAttachFolder;
    if (bHtml)
        dir = CombinePath(dir, "html");
    else if (bInline)
        dir = CombinePath(dir, "inline");
    else if (bOther)
        dir = CombinePath(dir, "NonAttach");
    MakeAttachDirectory(dir);
    CString name = pszName;
    if (dir.GetLength() + 1 + name.GetLength() > MAX_PATH - 1)
        name = FitFileName(MAX_PATH - 1 - dir.GetLength() - 1, name);
    CString path = CombinePath(dir, name);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        for (int n = 0; n < 10000; n++) {
            CString sub = CombinePath(dir, FormatString("$attach%d", n));
            CString candidate = CombinePath(sub, name);
            if (GetFileAttributesA(candidate) == INVALID_FILE_ATTRIBUTES) {
                MakeAttachDirectory(sub);
                return candidate;
            }
        }
    }
    return path;
}

BOOL CMailFileReader::WritePartFile(CMailMessage& part, const std::string& body, const char* pszName, BOOL bHtml,
                                    BOOL bInline, BOOL bOther, CString& path)
{
    CString name = SafePartName(pszName);
    if (name.IsEmpty())
        name = GeneratedName();
    path = MakePartPath(name, bHtml, bInline, bOther);
    if (!part.m_strContentId.IsEmpty())
        m_contentIds.push_back({part.m_strContentId, path});
    int enc = part.m_nTransferEncoding;
    std::string decoded;
    bool isFile = true;
    if (enc == kEncUuencode)
        decoded = DecodeUuLines(body);
    else if (enc == kEncQuotedPrintable)
        decoded = CQuotedPrintable::DecodeToString(body.data(), body.size());
    else if (enc == kEncBase64)
        decoded = DecodeBase64Lines(body);
    else if (part.m_nSubType == kContentBinHex || enc == kEncBinHex)
        decoded = BinHexDataFork(CBinHex::DecodeToString(body.data(), body.size()));
    else {
        decoded = body;
        isFile = false;
    }
    if (!WriteFileBytes(path, decoded))
        return FALSE;
    if (isFile)
        SetFileTimes(path, part);
    return isFile;
}

void CMailFileReader::StorePart(CMailMessage& part, const std::string& body, BOOL bAlternative, BOOL bRelatedHtml,
                                int nForcedEncoding, int nDepth)
{
    int mainType = part.m_nMainType;
    int subType = part.m_nSubType;
    int disposition = part.GetDispositionCode();
    bool attachmentWord = disposition == kContentAttachment;

    // A. An enclosed message.
    if (subType == kContentRfc822) {
        CString name;
        if (!part.m_strDescription.IsEmpty())
            name = part.m_strDescription + ".eml";
        else if (!part.m_strFileName.IsEmpty())
            name = part.m_strFileName;
        else
            name = GeneratedName() + ".eml";
        // The file holds the enclosed mail as sent, not in the stored
        // dot-doubled form.
        std::string decoded;
        if (part.m_nTransferEncoding == kEncBase64) {
            decoded = DecodeBase64Lines(body);
        } else if (part.m_nTransferEncoding == kEncQuotedPrintable) {
            std::string raw = CDotStuffer::Undo(body);
            decoded = CQuotedPrintable::DecodeToString(raw.data(), raw.size());
        } else if (part.m_nTransferEncoding == kEncUuencode) {
            decoded = DecodeUuLines(CDotStuffer::Undo(body));
        } else {
            decoded = CDotStuffer::Undo(body);
        }
        if (m_bStore) {
            CString safe = SafePartName(name);
            CString path = MakePartPath(safe.IsEmpty() ? GeneratedName() + ".eml" : safe, FALSE, FALSE, FALSE);
            WriteFileBytes(path, decoded);
            m_messageParts.Add(path);
        } else {
            m_messageParts.Add(name);
        }
        return;
    }

    // B. A file part.
    if ((mainType != kContentText && mainType != kContentMessage) || attachmentWord) {
        if (disposition == kContentInline && mainType != kContentMultipart) {
            CString name = !part.m_strName.IsEmpty() ? part.m_strName : part.m_strFileName;
            if (name.IsEmpty())
                name = GeneratedName();
            std::string raw = CDotStuffer::Undo(body);
            CString path;
            if (m_bStore) {
                if (WritePartFile(part, raw, name, bRelatedHtml, FALSE, FALSE, path))
                    part.m_bHasAttachFile = true;
                m_attachList.Add(path);
            } else {
                m_attachList.Add(name);
            }
            CString ext = GetFileExtension(path.IsEmpty() ? name : path);
            if (bRelatedHtml && (ext.CompareNoCase(".html") == 0 || ext.CompareNoCase(".htm") == 0))
                m_htmlFiles.Add(path);
            return;
        }
        if (mainType == kContentMultipart && !attachmentWord) {
            WalkMultipart(part, body, nDepth);
            return;
        }
        bool attachmentType = mainType == kContentApplication || mainType == kContentImage ||
                              mainType == kContentOther || attachmentWord;
        CString name;
        if (attachmentType && subType == kContentVCard) {
            name = !part.m_strName.IsEmpty() ? part.m_strName : part.m_strFileName;
            if (name.IsEmpty())
                name = GeneratedName() + ".vcf";
        } else {
            name = !part.m_strName.IsEmpty() ? part.m_strName : part.m_strFileName;
            if (name.IsEmpty() && !part.m_strSubTypeText.IsEmpty())
                name = FormatString("%s%03d", part.m_strSubTypeText.GetString(), m_nPartCounter);
            if (name.IsEmpty())
                name = GeneratedName();
            if (attachmentType && GetFileExtension(name).IsEmpty()) {
                CString sub = part.m_strSubTypeText;
                sub.MakeLower();
                if (sub.Find("ms") >= 0 && sub.Find("word") >= 0)
                    name += ".doc";
                else if (sub.Find("ms") >= 0 && sub.Find("excel") >= 0)
                    name += ".xls";
            }
        }
        std::string raw = CDotStuffer::Undo(body);
        CString path;
        if (m_bStore) {
            if (WritePartFile(part, raw, name, attachmentType ? bRelatedHtml : FALSE, FALSE, !attachmentType, path))
                part.m_bHasAttachFile = true;
        } else {
            path = name;
        }
        if (attachmentType)
            m_attachList.Add(path);
        else
            m_otherParts.Add(path);
        return;
    }

    // C. A text part.
    std::string decoded;
    int enc = part.m_nTransferEncoding;
    if ((enc == kEncBase64 && nForcedEncoding < 0) || nForcedEncoding == kEncBase64) {
        std::string raw = DecodeBase64Lines(body);
        // Line ends made CR LF, and lines starting with "." doubled like the
        // rest of the stored text.
        std::string lines;
        lines.reserve(raw.size() + 16);
        for (size_t i = 0; i < raw.size(); i++) {
            char c = raw[i];
            if (c == '\r') {
                lines += "\r\n";
                if (i + 1 < raw.size() && raw[i + 1] == '\n')
                    i++;
            } else if (c == '\n') {
                lines += "\r\n";
            } else {
                lines += c;
            }
        }
        decoded = CDotStuffer::Stuff(lines.data(), lines.size());
    } else if ((enc == kEncQuotedPrintable && nForcedEncoding < 0) || nForcedEncoding == kEncQuotedPrintable) {
        std::string raw = CDotStuffer::Undo(body);
        raw = CQuotedPrintable::DecodeToString(raw.data(), raw.size());
        decoded = CDotStuffer::Stuff(raw.data(), raw.size());
    } else if (enc == kEncUuencode) {
        std::string raw = DecodeUuLines(CDotStuffer::Undo(body));
        decoded = CDotStuffer::Stuff(raw.data(), raw.size());
    } else {
        decoded = body;
    }
    // The body text stays in the stored, dot-doubled form whatever the
    // transfer encoding was.
    CString text = ToSjis(decoded, part, m_nCodePage);
    bool html = subType == kContentHtml;
    CString fileName;
    bool inlineDir = false;
    bool htmlFlag = false;
    if (!html) {
        CString given = !part.m_strName.IsEmpty() ? part.m_strName : part.m_strFileName;
        if (disposition == kContentInline && !given.IsEmpty()) {
            fileName = given;
            inlineDir = subType == kContentPlain;
        } else {
            m_strBody += text;
            return;
        }
    } else {
        CString given = !part.m_strName.IsEmpty() ? part.m_strName : part.m_strFileName;
        fileName = !given.IsEmpty() ? given : GeneratedName() + ".html";
        htmlFlag = bAlternative || !part.m_bHasAttachFile;
        if (!given.IsEmpty())
            htmlFlag = false;
    }
    if (m_bStore) {
        CString safe = SafePartName(fileName);
        if (safe.IsEmpty())
            safe = GeneratedName() + (html ? ".html" : ".txt");
        CString path = MakePartPath(safe, htmlFlag, inlineDir, FALSE);
        // The converted text is still dot-doubled like the stored body; a
        // file gets the text as sent.
        if (WriteFileBytes(path, CDotStuffer::Undo(text.Str())) && FileExists(path))
            part.m_bHasAttachFile = true;
        if (htmlFlag)
            m_htmlFiles.Add(path);
        else
            m_attachList.Add(path);
    } else if (html) {
        m_strHtml = text;
    }
    // A mail with no text before its HTML gets the HTML's text as its body,
    // once. The body keeps the stored form, dots at line starts doubled.
    if (html && m_bBodyFromHtml && !m_bHtmlBodyDone && m_strBody.IsEmpty()) {
        m_bHtmlBodyDone = TRUE;
        CString plain = HtmlToPlainText(CharsetToSjis(CDotStuffer::Undo(decoded), part.m_strCharset, m_nCodePage));
        m_strBody = CString(CDotStuffer::Stuff(plain.GetString(), static_cast<size_t>(plain.GetLength())));
    }
}

void CMailFileReader::WalkMultipart(CMailMessage& part, const std::string& body, int nDepth)
{
    if (part.m_strBoundary.IsEmpty() || nDepth >= kMaxPartDepth)
        return;
    m_contentIds.clear();
    std::string delim = "--" + part.m_strBoundary.Str();
    bool seenHtml = false;
    // Delimiter lines: at the start of the body or after CR LF. A "-" that
    // does not begin one (JIS text is full of them) skips the rest of its line.
    auto findDelim = [&](size_t from) -> size_t {
        while (from < body.size()) {
            size_t at = body.find('-', from);
            if (at == std::string::npos)
                return at;
            if ((at == 0 || (at >= 2 && body[at - 1] == '\n' && body[at - 2] == '\r')) &&
                body.compare(at, delim.size(), delim) == 0) {
                size_t after = at + delim.size();
                if (body.compare(after, 2, "\r\n") == 0 || body.compare(after, 2, "--") == 0 || after == body.size())
                    return at;
            }
            size_t lf = body.find('\n', at);
            if (lf == std::string::npos)
                return lf;
            from = lf + 1;
        }
        return std::string::npos;
    };
    size_t at = findDelim(0);
    while (at != std::string::npos) {
        size_t after = at + delim.size();
        if (body.compare(after, 2, "--") == 0)
            break;  // closing delimiter
        after += 2;
        if (after >= body.size())
            break;
        size_t next = findDelim(after);
        size_t contentEnd = next == std::string::npos ? body.size() : next;
        std::string childHeader;
        size_t contentStart = after;
        if (body.compare(after, 2, "\r\n") != 0) {
            size_t blank = body.find("\r\n\r\n", after);
            if (blank == std::string::npos || blank > contentEnd) {
                at = next;
                continue;
            }
            childHeader = body.substr(after, blank - after);
            contentStart = blank + 4;
        } else {
            contentStart = after + 2;
        }
        CMailMessage child;
        if (m_nCodePage >= 0)
            child.m_bKeepRaw = true;
        child.Parse(childHeader.c_str(), static_cast<int>(childHeader.size()));
        if (part.IsDigest())
            child.DefaultToEnclosedMail();
        if (m_nCodePage >= 0) {
            child.SetCharset(GetCharsetNameByCode(m_nCodePage));
            m_partHeaders += child.GetHeaderText().Str();
            m_partHeaders += "\r\n";
        } else {
            m_partHeaders += childHeader;
            m_partHeaders += "\r\n\r\n";
        }
        if (child.m_nSubType == kContentHtml)
            seenHtml = true;
        if (child.m_nSubType == kContentPlain && !child.m_strCharset.IsEmpty())
            m_values.strCharset = child.m_strCharset;
        // The content runs to the CR LF before the next delimiter line.
        size_t end = contentEnd;
        if (next != std::string::npos && end >= 2 && end - 2 >= contentStart)
            end -= 2;
        if (end > contentStart) {
            std::string content = body.substr(contentStart, end - contentStart);
            StorePart(child, content, part.m_nSubType == kContentAlternative,
                      part.m_nSubType == kContentRelated && seenHtml, -1, nDepth + 1);
        }
        if (!child.m_bHasAttachFile)
            part.m_bHasAttachFile = true;
        at = next;
    }
}

void CMailFileReader::RewriteHtmlLinks(const char* pszPath)
{
    std::string in;
    if (!ReadFileBytes(pszPath, in))
        return;
    CString htmlDir = GetDirectoryFromPath(pszPath);
    std::string out;
    out.reserve(in.size());
    bool baseOpen = false;
    for (size_t i = 0; i < in.size();) {
        if (in.compare(i, 4, "<!--") == 0) {
            size_t end = in.find("-->", i + 4);
            end = end == std::string::npos ? in.size() : end + 3;
            out.append(in, i, end - i);
            i = end;
            continue;
        }
        if (i + 4 <= in.size() && _strnicmp(in.data() + i, "cid:", 4) == 0) {
            size_t j = i + 4;
            while (j < in.size() && in[j] != '"' && in[j] != ' ' && in[j] != '=' && in[j] != '>')
                j++;
            CString id(in.substr(i + 4, j - i - 4));
            for (const auto& entry : m_contentIds) {
                if (entry.first == id) {
                    CString fileName = GetFileNameFromPath(entry.second);
                    CString target = CombinePath(htmlDir, fileName);
                    // The link names the file beside the page only when the
                    // file is there; else the reference stays as it came.
                    if (target.CompareNoCase(entry.second) == 0 || FileSteps::Move(entry.second, target))
                        out += fileName.Str();
                    else
                        out.append(in, i, j - i);
                    break;
                }
            }
            i = j;
            continue;
        }
        if (!m_contentIds.empty() && i + 5 <= in.size() && _strnicmp(in.data() + i, "<BASE", 5) == 0) {
            out += "<!--";
            baseOpen = true;
        }
        out += in[i];
        if (baseOpen && in[i] == '>') {
            out += "-->";
            baseOpen = false;
        }
        i++;
    }
    // The page is replaced only once its new text is whole on the disk.
    CString temp = CString(pszPath) + ".$$$";
    if (!WriteFileBytes(temp, out) || !FileSteps::MoveReplacing(temp, pszPath))
        DeleteFileA(temp);
}

void CMailFileReader::MakeAttachDirectory(const CString& dir)
{
    // The mail's own folder is a new name in "Attach", which holds one
    // folder per mail of the folder: when the store knows the name is free,
    // it is made without having it looked for there.
    if (m_bAttachFolderNew && !m_bAttachFolderMade) {
        bool made = CreateNewDirectory(m_strAttachFolder);
        if (!made) {
            // The folder's first mail with parts: no "Attach" yet.
            EnsureDirectory(CombinePath(m_strFolderDir, "Attach"));
            made = CreateNewDirectory(m_strAttachFolder);
        }
        m_bAttachFolderMade = TRUE;
        if (made && dir == m_strAttachFolder)
            return;
    }
    EnsureDirectory(dir);
    m_bAttachFolderMade = TRUE;
}

void CMailFileReader::WriteHeadersDat()
{
    CString dir = CombinePath(m_strAttachFolder, "Headers");
    MakeAttachDirectory(dir);
    WriteFileBytes(CombinePath(dir, "Headers.dat"), m_partHeaders);
}
