// The building half of CSmtpSession: the outgoing message file.
#include "net/SmtpSession.h"

#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/PasswordScrambler.h"
#include "core/ProgramVersion.h"
#include "core/QuendalApp.h"
#include "message/AddressList.h"
#include "message/Base64.h"
#include "message/DotStuffer.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "message/MimeCodec.h"
#include "message/MimeReencoder.h"
#include "message/QuotedPrintable.h"
#include "message/OutgoingMailServices.h"

#include <algorithm>
#include <climits>
#include <new>
#include <string>
#include <vector>

namespace {

CString ExceptionText(const CException& e)
{
    char text[512] = {};
    if (!e.GetErrorMessage(text, sizeof(text)))
        return CString();
    return text;
}

const char kTempFileError[] = "一時ファイルの作成に失敗しました。[ERROR:%04d]";

enum PartKind { PartAttachment = 0, PartText = 1, PartImage = 2 };

int ProfileInt(const char* pszSection, const char* pszEntry, int nDefault)
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->GetProfileInt(pszSection, pszEntry, nDefault) : nDefault;
}

CString ProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault)
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->GetProfileString(pszSection, pszEntry, pszDefault) : CString(pszDefault);
}

bool IsAsciiText(const char* p)
{
    for (; *p; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    }
    return true;
}

bool HasAnyOf(const CString& text, const char* pszSet)
{
    const char* s = text.GetString();
    for (size_t i = 0; s[i]; ++i) {
        if (Mbcs::IsLeadByte(s[i]) && s[i + 1]) {
            ++i;
            continue;
        }
        if (strchr(pszSet, s[i]))
            return true;
    }
    return false;
}

std::string ReadWholeFile(CFile& file)
{
    ULONGLONG nLength = file.GetLength();
    std::string data;
    data.resize(static_cast<size_t>(nLength));
    size_t nDone = 0;
    while (nDone < data.size()) {
        UINT nChunk = static_cast<UINT>(std::min<size_t>(data.size() - nDone, 1u << 20));
        UINT n = file.Read(&data[nDone], nChunk);
        if (n == 0)
            break;
        nDone += n;
    }
    data.resize(nDone);
    return data;
}

int64_t FileTimeToValue(const FILETIME& ft)
{
    if (ft.dwLowDateTime == 0 && ft.dwHighDateTime == 0)
        return 0;
    return CTime(ft).GetTime();
}

bool EndsWithNoCase(const CString& text, const char* pszTail)
{
    int n = static_cast<int>(strlen(pszTail));
    return text.GetLength() >= n && text.Right(n).CompareNoCase(pszTail) == 0;
}

// A file attached by one of these names is a mail, sent as one.
bool IsMailFileName(const CString& name) { return EndsWithNoCase(name, ".eml") || EndsWithNoCase(name, ".emf"); }

// A stored or saved mail as it goes inside another: without the header
// lines the program keeps for itself, and without lines too long to send.
std::string EnclosedMailText(const std::string& content)
{
    return CMimeReencoder::FitLines(WithoutPrivateHeaders(content));
}

bool HasEightBit(const char* p, size_t n) { return CMimeReencoder::HasEightBit(p, n); }

} // namespace

int CSmtpSession::ChooseTextForm(const std::string& text)
{
    if (HasCharsBeyondJis(text.data(), static_cast<int>(text.size())))
        return textUtf8Base64;
    CString jis = SjisToJis(text.data(), static_cast<int>(text.size()));
    return CMimeReencoder::HasLongLine(jis.Str()) ? textQuotedPrintable : textSevenBit;
}

const char* CSmtpSession::TextFormEncoding(int nForm)
{
    return nForm == textUtf8Base64 ? "base64" : nForm == textQuotedPrintable ? "quoted-printable" : "7bit";
}

std::string CSmtpSession::EncodeTextPart(const std::string& text, int nForm, bool bJisNow)
{
    if (nForm == textUtf8Base64) {
        const CString utf8 = AnsiToUtf8(text.data(), static_cast<int>(text.size()));
        return CBase64::EncodeBody(utf8.GetString(), static_cast<size_t>(utf8.GetLength()));
    }
    std::string out = text;
    if (nForm == textQuotedPrintable || bJisNow)
        out = SjisToJis(text.data(), static_cast<int>(text.size())).Str();
    if (nForm == textQuotedPrintable)
        out = CQuotedPrintable::EncodeBody(out.data(), out.size());
    return CDotStuffer::Stuff(out.data(), out.size());
}

namespace {

CString DomainOf(const char* pszAddress)
{
    CString address = ExtractMailAddress(pszAddress ? pszAddress : "");
    int at = address.ReverseFind('@');
    return at >= 0 ? address.Mid(at + 1) : CString();
}

} // namespace

// ---------------------------------------------------------------------------
// Setters of the building half

void CSmtpSession::SetAccountAddress(const char* pszAddress)
{
    m_strAccountAddress = pszAddress;
    m_relatedParts.SetDomain(DomainOf(pszAddress));
}

void CSmtpSession::SetReferMail(int nFolderId, const char* pszHandle)
{
    m_nReferFolder = nFolderId;
    m_strReferHandle = SingleLine(pszHandle);
}

void CSmtpSession::SetSubject(const char* pszSubject)
{
    m_strSubject = SingleLine(pszSubject);
    m_strSubject.TrimRight(" \t");
}

CString CSmtpSession::SingleLine(const char* pszText)
{
    // Every value the header block writes comes through here: a decoded
    // header word may hold any byte, and a line break in it would begin a
    // header line of the sender's choosing. (Shift_JIS trail bytes are
    // never control characters.)
    std::string out;
    for (const char* p = pszText ? pszText : ""; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\r' || c == '\n') {
            const char* next = p + 1;
            if ((*next == '\r' || *next == '\n') && *next != *p)
                ++next;
            if (*next != ' ' && *next != '\t')
                out += ' ';
            p = next - 1;
            continue;
        }
        out += (c < 0x20 && c != '\t') || c == 0x7F ? ' ' : static_cast<char>(c);
    }
    return CString(out);
}

void CSmtpSession::SetPriorityHeaders(const char* pszBlock)
{
    // Only lines of the form "Name: value" (and their folds) are kept.
    m_strPriorityHeaders.Empty();
    std::string block = pszBlock ? pszBlock : "";
    bool bInHeader = false;
    for (size_t start = 0; start < block.size();) {
        size_t end = block.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = block.size();
        CString line = SingleLine(block.substr(start, end - start).c_str());
        start = end;
        while (start < block.size() && (block[start] == '\r' || block[start] == '\n'))
            ++start;
        if (line.IsEmpty())
            continue;
        int colon = line.Find(':');
        bool bFold = line[0] == ' ' || line[0] == '\t';
        bInHeader = bFold ? bInHeader : colon > 0 && line.Left(colon).FindOneOf(" \t") < 0;
        if (bInHeader)
            m_strPriorityHeaders += line + "\r\n";
    }
}

namespace {
CString WithoutTrailingComma(const char* pszText)
{
    CString text = CSmtpSession::SingleLine(pszText);
    if (!text.IsEmpty() && text[text.GetLength() - 1] == ',')
        text = text.Left(text.GetLength() - 1);
    return text;
}
} // namespace

void CSmtpSession::SetResentTo(const char* pszText) { m_strResentTo = WithoutTrailingComma(pszText); }
void CSmtpSession::SetResentCc(const char* pszText) { m_strResentCc = WithoutTrailingComma(pszText); }
void CSmtpSession::SetResentBcc(const char* pszText) { m_strResentBcc = WithoutTrailingComma(pszText); }

void CSmtpSession::SetReadReceipt(bool bWanted, const char* pszAddress)
{
    m_bReadReceipt = bWanted;
    if (pszAddress)
        m_strReadReceiptAddress = SingleLine(pszAddress);
}

void CSmtpSession::AddBodyLine(const char* pszLine)
{
    CString line = pszLine ? pszLine : "";
    while (SjisToJis(line) == m_strBoundary)
        m_strBoundary += "=";
    m_bodyLines.Add(line);
}

void CSmtpSession::AddHtmlLine(const char* pszLine)
{
    CString line = pszLine ? pszLine : "";
    while (SjisToJis(line) == m_strBoundary)
        m_strBoundary += "=";
    m_htmlLines.Add(line);
}

void CSmtpSession::AddBodyText(const char* pszText)
{
    if (!pszText)
        return;
    const char* p = pszText;
    CString line;
    while (*p) {
        if (*p == '\r' || *p == '\n') {
            // CR LF, LF CR, CR or LF each end one line.
            char first = *p++;
            if ((*p == '\r' || *p == '\n') && *p != first)
                ++p;
            AddBodyLine(line + "\r\n");
            line.Empty();
            continue;
        }
        size_t n = Mbcs::CharLength(p, strlen(p));
        line.Append(p, static_cast<int>(n));
        p += n;
        // A line that has grown long is broken after a Japanese comma or stop.
        if (n == 2 && line.GetLength() > 50) {
            const CString tail = line.Right(2);
            if (tail == "、" || tail == "。") {
                AddBodyLine(line + "\r\n");
                line.Empty();
            }
        }
    }
    if (!line.IsEmpty())
        AddBodyLine(line);
}

void CSmtpSession::ResetComposition()
{
    m_bodyLines.RemoveAll();
    m_secondBodyLines.RemoveAll();
    m_htmlLines.RemoveAll();
    m_strHtmlText.Empty();
    m_strHtmlFilePath.Empty();
    m_relatedParts.RemoveAll();
    m_toList.RemoveAll();
    m_ccList.RemoveAll();
    m_bccList.RemoveAll();
    m_attachFiles.RemoveAll();
    m_inlineTextFiles.RemoveAll();
    m_inlineImageFiles.RemoveAll();
    m_htmlRelatedFiles.RemoveAll();
    m_messageFiles.RemoveAll();
    m_ccMessageFiles.RemoveAll();
    m_nTotalBytes = 0;
    m_nSentBytes = 0;
}

bool CSmtpSession::GetAttachCommentFlag() const
{
    if (m_bAttachToOnly && HasCc())
        return true;
    if (m_bAttachToOnly)
        return m_bAttachComment;
    return false;
}

void CSmtpSession::RemoveBodyArchive()
{
    if (m_strBodyArchivePath.IsEmpty())
        return;
    for (int i = m_attachFiles.GetSize() - 1; i >= 0; --i) {
        if (m_attachFiles[i] == m_strBodyArchivePath)
            m_attachFiles.RemoveAt(i);
    }
}

void CSmtpSession::DeleteTempArchives()
{
    for (int i = 0; i < m_tempArchives.GetSize(); ++i)
        DeleteFileA(m_tempArchives[i]);
    m_tempArchives.RemoveAll();
}

CString CSmtpSession::GetReplyText(int nCode)
{
    switch (nCode) {
    case 220: return "サーバ準備完了。";
    case 221: return "サーバのコネクション終了。";
    case 250: return "コマンドを受け付けました。";
    case 251: return "宛先のユーザは存在しません、送信者に転送します。";
    case 252: return "ユーザが見つかりません。";
    case 334: return "ユーザを認証中です。。。";
    case 354: return "メールの送信を開始してください。";
    case 421: return "サービスが利用できません。\r\nコネクションを切断します。";
    case 450: return "メールボックスが利用できません。";
    case 451: return "サーバでエラーが発生しました。";
    case 452:
    case 552: return "サーバーのシステム記憶領域不足のためエラーが発生しました。";
    case 500: return "コマンドが認識されませんでした。";
    case 501: return "コマンド引数の構文エラーです。";
    case 502: return "コマンドが未実装です。";
    case 503: return "コマンドの順序が不正です。";
    case 504: return "コマンドパラメータが未実装です。";
    case 550: return "送信先のアドレスが見つかりませんでした。";
    case 551: return "宛先のユーザは存在しません。";
    case 553: return "メールボックス名が無効なためコマンドが中止されました。";
    case 554: return "トランザクションに失敗しました。";
    default: return CString();
    }
}

// ---------------------------------------------------------------------------
// Header texts

namespace {

// RFC 2047: a line that holds encoded words runs to 76 characters at most,
// an encoded word to 75.
const int kFoldColumn = 76;
const int kMaxEncodedWord = 75;
// A plain word or value longer than this is encoded instead: encoded words
// can be cut, so no line passes the 998 octets a server takes.
const int kMaxPlainRun = 900;
// A longer run of blanks travels inside encoded words: a line may only be
// folded before a blank, and a line of nothing but blanks is no line a
// writer may make.
const size_t kMaxBlankRun = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

CString CSmtpSession::EncodeFoldedText(const char* pszText, int nStartColumn, bool bWhole)
{
    const CString clean = SingleLine(pszText);
    const char* s = clean.GetString();
    const size_t len = static_cast<size_t>(clean.GetLength());
    const size_t plainLimit = bWhole ? kMaxPlainRun : kFoldColumn;
    if (!HasEightBit(s, len) && nStartColumn + len <= plainLimit &&
        (bWhole || clean.Find(CString(' ', static_cast<int>(kMaxBlankRun) + 1)) < 0))
        return clean;

    // Words between blanks; a word with 8-bit text is encoded whole (an
    // encoded word glued to the text before it is not one), and encoded
    // words next to each other take the blanks between them along, since a
    // reader drops the blanks between two encoded words.
    struct Item
    {
        std::string blanks, text;
        bool encoded;
    };
    std::vector<Item> items;
    for (size_t i = 0; i < len;) {
        size_t b = i;
        while (i < len && IsBlank(s[i]))
            ++i;
        std::string blanks(s + b, i - b);
        size_t w = i;
        while (i < len && !IsBlank(s[i]))
            i += Mbcs::CharLength(s + i, len - i);
        std::string word(s + w, std::min(i, len) - w);
        bool encoded = bWhole || HasEightBit(word.data(), word.size()) || word.size() > kMaxPlainRun;
        if (!word.empty() && blanks.size() > kMaxBlankRun) {
            // The run goes inside the word; one blank still sets the word
            // apart from plain text before it.
            bool apart = !items.empty() && !items.back().encoded;
            word = blanks.substr(apart ? 1 : 0) + word;
            blanks = apart ? " " : "";
            encoded = true;
        }
        if (encoded && !items.empty() && items.back().encoded && !word.empty())
            items.back().text += blanks + word;
        else if (!word.empty())
            items.push_back({blanks, word, encoded});
        else if (!items.empty())
            items.back().text += items.back().encoded ? blanks : "";  // trailing blanks
    }

    CString result;
    int column = nStartColumn;
    bool lineHasText = false;
    for (const Item& item : items) {
        const std::string& blanks = item.blanks;
        if (!item.encoded) {
            int needed = static_cast<int>(blanks.size() + item.text.size());
            if (lineHasText && !blanks.empty() && column + needed > kFoldColumn) {
                result += "\r\n";
                column = 0;
            }
            result += (blanks + item.text).c_str();
            column += needed;
            lineHasText = true;
            continue;
        }
        int room = kFoldColumn - column - static_cast<int>(blanks.size());
        if (lineHasText && !blanks.empty() && room < 30) {
            result += "\r\n";
            column = 0;
            room = kFoldColumn - static_cast<int>(blanks.size());
        }
        result += blanks.c_str();
        column += static_cast<int>(blanks.size());
        std::vector<CString> words =
            CMimeCodec::EncodeWords(item.text.data(), item.text.size(), std::max(room, 20), kMaxEncodedWord);
        for (size_t k = 0; k < words.size(); ++k) {
            if (k > 0) {
                result += "\r\n ";
                column = 1;
            }
            result += words[k];
            column += words[k].GetLength();
        }
        lineHasText = true;
    }
    return result;
}

CString CSmtpSession::FoldAtBlanks(const char* pszValue, int nStartColumn)
{
    // Identifiers and the like: the blanks between them mean nothing, one
    // stands for any run, and a fold goes where a line would pass 76.
    CString value = SingleLine(pszValue);
    CString result;
    int column = nStartColumn;
    int pos = 0;
    for (;;) {
        CString token = value.Tokenize(" \t", pos);
        if (pos < 0)
            break;
        if (!result.IsEmpty()) {
            if (column + 1 + token.GetLength() > kFoldColumn) {
                result += "\r\n";
                column = 0;
            }
            result += " ";
            ++column;
        }
        result += token;
        column += token.GetLength();
    }
    return result;
}

CString CSmtpSession::FormatHeaderAddress(const char* pszEntry)
{
    CString entry = pszEntry ? pszEntry : "";
    CString bare = ExtractMailAddress(entry);
    entry.Trim();
    if (entry.IsEmpty())
        return CString();
    int pos = entry.Find(bare);
    CString result;
    if (pos == 0) {
        CString rest = entry.Mid(bare.GetLength());
        rest.Trim();
        if (rest.GetLength() > 1 && rest[0] == '(' && rest[rest.GetLength() - 1] == ')') {
            CString comment = rest.Mid(1, rest.GetLength() - 2);
            if (!IsAsciiText(comment) || HasAnyOf(comment, ",()<>"))
                comment = EncodeFoldedText(comment, 6 + bare.GetLength() + 2, true);
            result.Format("%s (%s)", bare.GetString(), comment.GetString());
        } else if (!rest.IsEmpty()) {
            // Words that are no address with a comment (a plain sender name
            // such as "Corvane Mail") are kept whole.
            result = EncodeFoldedText(entry);
        }
    } else if (pos > 0) {
        int lt = -1;
        for (int i = 0; i < pos; ++i) {
            if (Mbcs::IsLeadByte(entry[i]) && i + 1 < pos) {
                ++i;
                continue;
            }
            if (entry[i] == '<')
                lt = i;
        }
        CString name = lt >= 0 ? entry.Left(lt) : entry.Left(pos);
        bool bQuoted = name.Find('"') >= 0;
        name.Replace("\\\"", "\"");
        name.Remove('"');
        name.Trim();
        if (!name.IsEmpty()) {
            if (HasEightBit(name, name.GetLength()) || name.GetLength() > kMaxPlainRun) {
                // Encoded whole: the encoded words hide any comma of the
                // name. A name of several words goes in quotes, where
                // readers join the words; in a bare phrase some keep the
                // blank of the fold between them. Written after "From: " at
                // most, or on a line of its own.
                const int start = 7;
                result = EncodeFoldedText(name, start, true);
                if (result.Find("\r\n") >= 0)
                    result = "\"" + result + "\"";
                int fold = result.ReverseFind('\n');
                int lastLine = fold < 0 ? start + result.GetLength() : result.GetLength() - (fold + 1);
                result += lastLine + bare.GetLength() + 3 > kFoldColumn ? "\r\n <" : " <";
                result += bare + ">";
            } else if (!bQuoted && !HasAnyOf(name, "@,()<>")) {
                result = name + " <" + bare + ">";
            } else {
                result.Format("\"%s\" <%s>", name.GetString(), bare.GetString());
            }
        }
    }
    if (result.IsEmpty())
        result = bare;
    return result;
}

CString CSmtpSession::AddressHeaderValue(const CStringArray& entries) const
{
    CString value;
    for (int i = 0; i < entries.GetSize(); ++i) {
        CString one = FormatHeaderAddress(entries[i]);
        if (one.IsEmpty())
            continue;
        if (!value.IsEmpty())
            value += ",\r\n ";
        value += one;
    }
    return value;
}

// ---------------------------------------------------------------------------
// Generated texts

int CSmtpSession::BodyLengthSum() const
{
    int sum = 0;
    for (int i = 0; i < m_bodyLines.GetSize(); ++i)
        sum += m_bodyLines[i].GetLength();
    return sum;
}

CString CSmtpSession::MakeBoundarySuffix()
{
    return FormatString("%lu.%x.%x_", static_cast<unsigned long>(static_cast<uint32_t>(m_pSource->Now())),
                        static_cast<unsigned>(BodyLengthSum()), m_pSource->Random());
}

CString CSmtpSession::MakeMessageId()
{
    // The owner's text, then a token of this run: a clock-seeded number
    // alone gave equal identifiers to mails built in the same second.
    CString address = ExtractMailAddress(m_strFrom);
    return FormatString("<%s%s.%x%u.%s>", m_strMessageIdText.GetString(), m_pSource->UniqueToken().GetString(),
                        static_cast<unsigned>(BodyLengthSum()), m_pSource->Random() % 100, address.GetString());
}

std::string CSmtpSession::TextPartText(bool bAttachComment, bool bCompanion) const
{
    std::string text;
    const bool bCommentTop = ProfileInt("EditWindow", "NoAttachCommentTop", 0) != 0;
    const CString prefix = ProfileString("EditWindow", "NoAttachFileHeader", "# ");
    const CString commentText =
        ProfileString("EditWindow", "NoAttachComment", "# Toの方のみ以下のファイルが添付されています。 ");
    if (bAttachComment && bCommentTop) {
        for (int i = 0; i < m_attachFiles.GetSize(); ++i) {
            if (i == 0)
                text += (commentText + "\r\n").Str();
            text += (prefix + GetFileNameFromPath(m_attachFiles[i]) + "\r\n").Str();
        }
        text += (ProfileString("EditWindow", "NoAttachCommentSep", CString('-', 60)) + "\r\n").Str();
    }
    const CStringArray& lines = (m_bArchiveWithCompanion && bCompanion) ? m_secondBodyLines : m_bodyLines;
    int nLast = lines.GetSize();
    while (nLast > 0 && lines[nLast - 1] == "\r\n")
        --nLast;
    for (int i = 0; i < nLast; ++i)
        text += lines[i].Str();
    if (bAttachComment && !bCommentTop && !m_attachFiles.IsEmpty()) {
        for (int i = 0; i < m_attachFiles.GetSize(); ++i) {
            text += "\r\n";
            if (i == 0)
                text += (commentText + "\r\n").Str();
            text += (prefix + GetFileNameFromPath(m_attachFiles[i])).Str();
        }
        text += "\r\n";
    }
    return text;
}

bool CSmtpSession::EnclosesEightBitMail() const
{
    for (int i = 0; i < m_attachFiles.GetSize(); ++i) {
        const CString name = GetFileNameFromPath(m_attachFiles[i]);
        if (!IsMailFileName(name))
            continue;
        CFile file;
        if (!file.Open(m_attachFiles[i], CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary))
            continue;
        if (CMimeReencoder::HasEightBit(EnclosedMailText(ReadWholeFile(file))))
            return true;
    }
    return false;
}

bool CSmtpSession::IsSingleHtmlPart() const
{
    return m_bHtmlMail && m_attachFiles.IsEmpty() && m_relatedParts.IsEmpty() && m_bodyLines.GetSize() == 1 &&
           m_bodyLines[0].GetLength() > 0 && m_bodyLines[0][0] == '\r' && m_inlineTextFiles.IsEmpty() &&
           m_inlineImageFiles.IsEmpty() && m_strHtmlFilePath.IsEmpty();
}

void CSmtpSession::SetBuildError(int nGroup) { m_strLastError.Format(kTempFileError, nGroup); }

// ---------------------------------------------------------------------------
// Archives

CString CSmtpSession::ArchiveFile(const CString& path)
{
    CString folder;
    if (CQuendalApp* pApp = QuendalApp())
        folder = pApp->GetSendTempPath();
    if (folder.IsEmpty())
        folder = GetSystemTempFolder();
    CreateDirectoryPath(folder);
    CString name = GetFileNameFromPath(path);
    CString stem = RemoveFileExtension(name);
    CString archive = CombinePath(folder, stem + ".zip");
    while (FileExists(archive)) {
        stem += "0";
        archive = CombinePath(folder, stem + ".zip");
    }
    if (RemoveFileExtension(name) + ".zip" == "本文.zip")
        m_strBodyArchivePath = archive;
    // A file that could not be packed must not go out in clear while the
    // mail says its attachments are encrypted.
    if (!IsZipArchiverLoaded() || !ArchiveFileWithPassword(m_strArcPassword, archive, 0, path, nullptr) ||
        !FileExists(archive)) {
        DeleteFileA(archive);
        return CString();
    }
    m_tempArchives.Add(archive);
    return archive;
}

bool CSmtpSession::ArchiveAttachments()
{
    if (m_strArcPassword.IsEmpty())
        return true;
    CStringArray* lists[] = {&m_inlineImageFiles, &m_inlineTextFiles, &m_attachFiles, &m_htmlRelatedFiles};
    for (CStringArray* pList : lists) {
        for (int i = 0; i < pList->GetSize(); ++i) {
            CString archive = ArchiveFile(pList->GetAt(i));
            if (archive.IsEmpty()) {
                m_strLastError.Format("添付ファイルを暗号化できませんでした。\r\n[%s]", pList->GetAt(i).GetString());
                return false;
            }
            pList->SetAt(i, archive);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Writing

void CSmtpSession::WriteText(CFile& file, const CString& text)
{
    if (!text.IsEmpty())
        file.Write(text.GetString(), static_cast<UINT>(text.GetLength()));
}

void CSmtpSession::WriteBoundary(CFile& file, const CString& boundary) { WriteText(file, "--" + boundary + "\r\n"); }

void CSmtpSession::WriteBase64Lines(CFile& file, const char* pData, size_t nLength)
{
    // Written a block of lines at a time, so that no count passes 32 bits.
    const size_t kBlock = 60 * 16384;
    std::string out;
    for (size_t start = 0; start < nLength; start += kBlock) {
        size_t end = std::min(nLength, start + kBlock);
        out.clear();
        out.reserve((end - start) / 60 * 82 + 84);
        for (size_t i = start; i < end; i += 60) {
            out += CBase64::EncodeToString(pData + i, std::min<size_t>(60, end - i));
            out += "\r\n";
        }
        file.Write(out.data(), static_cast<UINT>(out.size()));
    }
}

void CSmtpSession::WriteBase64File(CFile& file, CFile& source)
{
    // A whole number of 60-byte lines per block: an attachment of any size
    // is encoded with one block in memory.
    std::string block(60 * 16384, '\0');
    for (;;) {
        size_t held = 0;
        while (held < block.size()) {
            UINT n = source.Read(&block[held], static_cast<UINT>(block.size() - held));
            if (n == 0)
                break;
            held += n;
        }
        WriteBase64Lines(file, block.data(), held);
        if (held < block.size())
            break;
    }
}

bool CSmtpSession::BuildMessage(const char* pszPath, bool bForSending, bool bKeepMessageId, bool bAttachComment,
                                bool bWithoutAttachments, bool bCompanion)
{
    SetBuildError(1);
    CFile file;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite | CFile::typeBinary))
        return false;
    if (bForSending && !bKeepMessageId && !(m_bArchiveWithCompanion && bCompanion) && !ArchiveAttachments()) {
        file.Close();
        DeleteFileA(pszPath);
        return false;
    }

    bool bOk = false;
    try {
        CString h;
        h.Format("%s: %s\r\n", "X-SendAcount", m_strAccountName.GetString());
        if (!bForSending && !m_strSignName.IsEmpty())
            h.AppendFormat("%s: %s\r\n", "X-SignName", m_strSignName.GetString());
        if (m_nCreateFolderId != 0)
            h.AppendFormat("%s: %d\r\n", "X-Create_Folder_ID", m_nCreateFolderId);
        if (m_nReferFolder != 0) {
            h.AppendFormat("%s: %d\r\n", "X-Refer-Mail-Folder", m_nReferFolder);
            h.AppendFormat("%s: %s\r\n", "X-Refer-Mail-Handle", m_strReferHandle.GetString());
        }
        if (!m_strResentFrom.IsEmpty())
            h.AppendFormat("%s: %d\r\n", "X-ForwordType", m_nSendMode);
        if (!bForSending && m_bKeepFromAddress)
            h.AppendFormat("%s: %d\r\n", "X-KeepFromAddress", 1);
        if (m_bAttachToOnly)
            h.AppendFormat("%s: %d\r\n", "X-Attach_To_Only", m_bAttachToOnly);
        if (ProfileInt("Setting", "SaveCorvanePassword", 0) != 0 && !m_strArcPassword.IsEmpty()) {
            CPasswordScrambler scrambler;
            h.AppendFormat("%s: %s\r\n", "X-Cvm_Arc_Password", scrambler.Scramble(m_strArcPassword).GetString());
        }
        if (!m_strArcId.IsEmpty())
            h.AppendFormat("%s: %s\r\n", "X-Cvm_Arc_ID", m_strArcId.GetString());
        WriteText(file, h);

        SetBuildError(2);
        if (m_nSendMode == SendModeResend) {
            h.Format("%s: %s\r\n", "Date", m_strOriginalDate.GetString());
        } else if (!m_strDateText.IsEmpty()) {
            // The owner may hand over a Date header or the program's own
            // "%Y/%m/%d %H:%M:%S" form, which is local time.
            const CString& text = m_strDateText;
            bool bNormalized = text.GetLength() >= 10 && isdigit(static_cast<unsigned char>(text[0])) && text[4] == '/';
            int64_t value = ParseDateToLocalTime(bNormalized ? text : NormalizeDateHeader(text));
            h.Format("%s: %s\r\n", "Date", FormatRfc822Date(value).GetString());
        } else {
            h.Format("%s: %s %s\r\n", "Date", CTime(m_pSource->Now()).Format("%a, %d %b %Y %H:%M:%S").GetString(),
                     GetTimeZoneText().GetString());
        }
        WriteText(file, h);

        SetBuildError(3);
        if (!m_strSubject.IsEmpty())
            h.Format("Subject: %s\r\n", EncodeFoldedText(m_strSubject, 9).GetString());
        else
            h = "Subject:\r\n";
        WriteText(file, h);

        SetBuildError(4);
        if (m_nSendMode == SendModeResend) {
            CStringArray stored;
            ParseAddressList(m_strOriginalTo, &stored);
            WriteText(file, FormatString("%s: ", "To") + AddressHeaderValue(stored) + "\r\n");
        } else if (!m_toList.IsEmpty()) {
            WriteText(file, FormatString("%s: ", "To") + AddressHeaderValue(m_toList) + "\r\n");
        }

        SetBuildError(5);
        if (m_nSendMode == SendModeResend) {
            if (!m_strOriginalCc.IsEmpty()) {
                CStringArray stored;
                ParseAddressList(m_strOriginalCc, &stored);
                WriteText(file, FormatString("%s: ", "Cc") + AddressHeaderValue(stored) + "\r\n");
            }
        } else if (!m_ccList.IsEmpty()) {
            WriteText(file, FormatString("%s: ", "Cc") + AddressHeaderValue(m_ccList) + "\r\n");
        }

        SetBuildError(6);
        if (!m_bccList.IsEmpty())
            WriteText(file, FormatString("%s: ", "Bcc") + AddressHeaderValue(m_bccList) + "\r\n");

        SetBuildError(7);
        {
            CString from = m_strFromName.IsEmpty() ? m_strFrom
                                                   : FormatMailAddress(m_strFromName, m_strFrom, m_nAddressDispType);
            WriteText(file, FormatString("%s: %s\r\n", "From", FormatHeaderAddress(from).GetString()));
        }

        SetBuildError(8);
        {
            // Addresses as in To and Cc: names in encoded words of a
            // reader's length, entries folded.
            const struct { const char* name; const CString* text; } single[] = {
                {"Reply-To", &m_strReplyTo}, {"Resent-From", &m_strResentFrom}};
            for (const auto& r : single) {
                if (r.text->IsEmpty())
                    continue;
                CStringArray entries;
                ParseAddressList(*r.text, &entries);
                CString value = AddressHeaderValue(entries);
                WriteText(file, FormatString("%s: ", r.name) +
                                    (value.IsEmpty() ? EncodeFoldedText(*r.text, 13) : value) + "\r\n");
            }
            const struct { const char* name; const CString* text; } resent[] = {
                {"Resent-To", &m_strResentTo}, {"Resent-CC", &m_strResentCc}, {"Resent-BCC", &m_strResentBcc}};
            for (const auto& r : resent) {
                if (r.text->IsEmpty())
                    continue;
                CStringArray entries;
                ParseAddressList(*r.text, &entries);
                WriteText(file, FormatString("%s: ", r.name) + AddressHeaderValue(entries) + "\r\n");
            }
            if (m_nSendMode == SendModeResend)
                WriteText(file, FormatString("%s: %s %s\r\n", "Resent-Date",
                                             CTime(m_pSource->Now()).Format("%a, %d %b %Y %H:%M:%S").GetString(),
                                             GetTimeZoneText().GetString()));
        }

        SetBuildError(9);
        if (m_nSendMode == SendModeResend) {
            WriteText(file, FormatString("%s: %s\r\n", "Resent-Message-Id", MakeMessageId().GetString()));
            if (m_strMessageId.IsEmpty())
                m_strMessageId = MakeMessageId();
        } else if (!(bKeepMessageId && !m_strMessageId.IsEmpty())) {
            m_strMessageId = MakeMessageId();
        }
        WriteText(file, FormatString("%s: %s\r\n", "Message-ID", m_strMessageId.GetString()));
        WriteText(file, FormatString("%s: %s\r\n", "MIME-Version", "1.0"));

        SetBuildError(10);
        bool bHasInlineFiles = !m_inlineTextFiles.IsEmpty() || !m_inlineImageFiles.IsEmpty() ||
                               !m_strHtmlFilePath.IsEmpty();
        bool bNoAttachments = m_attachFiles.IsEmpty() || (bAttachComment && bWithoutAttachments);
        bool bSingleHtml = false;
        // The text part's form: 7-bit JIS as the lines are sent, unless a
        // line is too long for a server or a character is one JIS lacks.
        const std::string text = TextPartText(bAttachComment, bCompanion);
        m_nTextForm = ChooseTextForm(text);
        const bool bUtf8 = m_nTextForm == textUtf8Base64;
        bool bSingleText = false;
        // Inline files and an HTML file travel as parts of their own, so
        // they make the message multipart like attachments do.
        if (bNoAttachments && !m_bHtmlMail && !(bHasInlineFiles && !(bAttachComment && bWithoutAttachments))) {
            bSingleText = m_nSendMode != SendModeReadReceipt;
            if (m_bTextIsHtml) {
                h.Format("Content-Type: text/html; charset=%s\r\n", bUtf8 ? "UTF-8" : "ISO-2022-JP");
            } else if (m_nSendMode == SendModeReadReceipt) {
                m_strBoundary += MakeBoundarySuffix();
                h.Format("Content-Type: multipart/report;\r\n\treport-type=disposition-notification;\r\n\tboundary=\"%s\"\r\n",
                         m_strBoundary.GetString());
            } else if (bUtf8) {
                h = "Content-Type: text/plain; charset=UTF-8\r\n";
            } else if (!HasEightBit(text.data(), text.size())) {
                h = "Content-Type: text/plain; charset=US-ASCII\r\n";
            } else {
                h = "Content-Type: text/plain; charset=ISO-2022-JP\r\n";
            }
        } else {
            m_strBoundary += MakeBoundarySuffix();
            if (m_bHtmlMail && bNoAttachments) {
                bSingleHtml = IsSingleHtmlPart();
                if (bSingleHtml)
                    h = "Content-Type: text/html; charset=\"Shift_JIS\"\r\n";
                else
                    h.Format("Content-Type: multipart/alternative;\r\n\tboundary=\"%s\"\r\n", m_strBoundary.GetString());
            } else {
                h.Format("Content-Type: multipart/mixed;\r\n\tboundary=\"%s\"\r\n", m_strBoundary.GetString());
            }
        }
        m_bBuildSingleHtml = bSingleHtml;
        m_bBuildMultipart = !m_strBoundary.IsEmpty() && h.Find("multipart/") >= 0;
        // A multipart that holds an enclosed mail of 8-bit data says so; the
        // send converts it where the server takes no 8-bit data.
        const char* encoding = bSingleHtml ? "base64"
                               : bSingleText ? TextFormEncoding(m_nTextForm)
                               : !(bAttachComment && bWithoutAttachments) && !bKeepMessageId && EnclosesEightBitMail()
                                   ? "8bit"
                                   : "7bit";
        h.AppendFormat("%s: %s\r\n", "Content-Transfer-Encoding", encoding);
        WriteText(file, h);

        SetBuildError(11);
        if (!m_strInReplyTo.IsEmpty()) {
            // A long thread's References run to many identifiers: folded.
            WriteText(file, FormatString("%s: %s\r\n", "In-Reply-To", FoldAtBlanks(m_strInReplyTo, 13).GetString()));
            const CString& references = m_strReferences.IsEmpty() ? m_strInReplyTo : m_strReferences;
            WriteText(file, FormatString("%s: %s\r\n", "References", FoldAtBlanks(references, 12).GetString()));
        }
        if (m_bReadReceipt) {
            WriteText(file, FormatString("%s: %s\r\n", "Disposition-Notification-To", m_strReadReceiptAddress.GetString()));
            WriteText(file, FormatString("%s: %s\r\n", "X-Confirm-Reading-To", m_strReadReceiptAddress.GetString()));
        }
        WriteText(file, m_strPriorityHeaders);
        WriteText(file, FormatString("%s: %s\r\n", "X-Mailer", ProgramVersionText().GetString()));

        SetBuildError(12);
        WriteText(file, "\r\n");

        SetBuildError(13);
        if (WriteMessageBody(file, bForSending, bKeepMessageId, bAttachComment, bWithoutAttachments, bCompanion)) {
            SetBuildError(15);
            bOk = true;
        }
    } catch (CFileException& e) {
        (void)e;
        bOk = false;
    } catch (CMemoryException& e) {
        (void)e;
        bOk = false;
    } catch (const std::bad_alloc&) {
        // Reported with the text of the group that was being written.
        bOk = false;
    }
    file.Abort();
    if (bOk && !(m_bArchiveWithCompanion && !bCompanion))
        DeleteTempArchives();
    return bOk;
}

bool CSmtpSession::WriteMessageBody(CFile& file, bool /*bForSending*/, bool bKeepMessageId, bool bAttachComment,
                                    bool bWithoutAttachments, bool bCompanion)
{
    const bool bCommentCopy = bAttachComment && bWithoutAttachments;
    const bool bHasAttach = !m_attachFiles.IsEmpty() && !bCommentCopy;
    // The header block has chosen the structure; the body follows it.
    const bool bSingleHtml = m_bBuildSingleHtml;
    const bool bMultipart = m_bBuildMultipart;
    const CString& B = m_strBoundary;

    if (bSingleHtml) {
        // The whole message is the HTML text; its header already says so.
        WriteBase64Lines(file, m_strHtmlText.GetString(), static_cast<size_t>(m_strHtmlText.GetLength()));
        return true;
    }

    // 1. Opening of the text part.
    if (!(bCommentCopy && !m_bHtmlMail) && bMultipart) {
        WriteBoundary(file, B);
        if (m_bHtmlMail && bHasAttach) {
            m_strAltBoundary = "_MULTIPART_ALTERNATIVE_" + MakeBoundarySuffix();
            WriteText(file, FormatString("Content-Type: multipart/alternative;\r\n\tboundary=\"%s\"\r\n"
                                         "Content-Transfer-Encoding: 7bit\r\n\r\n",
                                         m_strAltBoundary.GetString()));
            WriteBoundary(file, m_strAltBoundary);
        }
        WriteText(file, FormatString("Content-Type: %s; charset=%s\r\nContent-Transfer-Encoding: %s\r\n\r\n",
                                     m_bTextIsHtml ? "text/html" : "text/plain",
                                     m_nTextForm == textUtf8Base64 ? "UTF-8" : "ISO-2022-JP",
                                     TextFormEncoding(m_nTextForm)));
    }

    // 2.-4. The text with the attachment comment on top or at the bottom.
    {
        std::string text = EncodeTextPart(TextPartText(bAttachComment, bCompanion), m_nTextForm, false);
        if (!text.empty())
            file.Write(text.data(), static_cast<UINT>(text.size()));
    }

    // 5. The HTML part.
    if (m_bHtmlMail) {
        WriteText(file, "\r\n\r\n");
        WriteBoundary(file, bHasAttach ? m_strAltBoundary : B);
        CString related;
        if (!m_relatedParts.IsEmpty()) {
            related.Format("%s%u_%s", B.GetString(), m_pSource->Random() % 100, "RELATED_");
            WriteText(file, FormatString("Content-Type: multipart/related;\r\n\tboundary=\"%s\";\r\n\ttype=\"text/html\"\r\n"
                                         "Content-Transfer-Encoding: 7bit\r\n\r\n",
                                         related.GetString()));
            WriteBoundary(file, related);
        }
        WriteText(file, "Content-Type: text/html; charset=Shift_JIS\r\nContent-Transfer-Encoding: base64\r\n\r\n");
        WriteBase64Lines(file, m_strHtmlText.GetString(), static_cast<size_t>(m_strHtmlText.GetLength()));
        WriteText(file, "\r\n");
        for (int i = 0; i < m_relatedParts.GetPartCount(); ++i) {
            const CRelatedPartList::CPart* pPart = m_relatedParts.GetPart(i);
            WriteText(file, "\r\n");
            if (!WriteFilePart(file, pPart->m_strName, related, PartImage, pPart->m_strText, &pPart->m_strExtra))
                return false;
        }
        if (!related.IsEmpty())
            WriteText(file, "\r\n--" + related + "--\r\n");
    }

    // 6. The HTML file with the files it shows.
    if (!m_strHtmlFilePath.IsEmpty() && !bCommentCopy) {
        WriteText(file, "\r\n");
        WriteBoundary(file, B);
        CString related2;
        if (!m_htmlRelatedFiles.IsEmpty()) {
            related2.Format("--%s%s", "_HTML_BOUNDARY_", B.GetString());
            WriteText(file, FormatString("Content-Type: multipart/related;\r\n boundary=\"%s\"\r\n\r\n",
                                         related2.GetString()));
            WriteBoundary(file, related2);
        }
        WriteText(file, "Content-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\n");
        CFile html;
        CFileException error;
        if (!html.Open(m_strHtmlFilePath, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary, &error)) {
            CString reason = ExceptionText(error);
            if (reason.IsEmpty())
                m_strLastError.Format("ファイル[%s]が開けませんでした。", m_strHtmlFilePath.GetString());
            else
                m_strLastError.Format("ファイル[%s]が開けませんでした。\r\n[%s]", m_strHtmlFilePath.GetString(),
                                      reason.GetString());
            return false;
        }
        WriteBase64File(file, html);
        for (int i = 0; i < m_htmlRelatedFiles.GetSize(); ++i) {
            WriteText(file, "\r\n");
            if (!WriteFilePart(file, m_htmlRelatedFiles[i], related2, PartAttachment))
                return false;
        }
        if (!related2.IsEmpty())
            WriteText(file, "\r\n--" + related2 + "--\r\n\r\n");
    }

    // 7. End of the alternative part.
    if (m_bHtmlMail && bHasAttach)
        WriteText(file, "\r\n--" + m_strAltBoundary + "--\r\n\r\n");

    // 8. Attachments, inline files, the notification, the closing line
    // (which an HTML copy for Cc needs as much as any other multipart).
    if (!bCommentCopy) {
        if (!bKeepMessageId) {
            for (int i = 0; i < m_attachFiles.GetSize(); ++i) {
                WriteText(file, "\r\n");
                if (!WriteFilePart(file, m_attachFiles[i], B, PartAttachment))
                    return false;
            }
        }
        for (int i = 0; i < m_inlineTextFiles.GetSize(); ++i) {
            WriteText(file, "\r\n");
            if (!WriteFilePart(file, m_inlineTextFiles[i], B, PartText))
                return false;
        }
        for (int i = 0; i < m_inlineImageFiles.GetSize(); ++i) {
            WriteText(file, "\r\n");
            if (!WriteFilePart(file, m_inlineImageFiles[i], B, PartImage))
                return false;
        }
        if (m_nSendMode == SendModeReadReceipt) {
            WriteText(file, "\r\n");
            WriteBoundary(file, B);
            WriteText(file, "Content-Type: message/disposition-notification;\r\n"
                            "Content-Disposition: inline\r\n"
                            "Content-Transfer-Encoding: 7bit\r\n\r\n");
            std::string text = CDotStuffer::Stuff(m_strNotificationText.GetString(), m_strNotificationText.GetLength());
            file.Write(text.data(), static_cast<UINT>(text.size()));
        }
    }
    if (bMultipart)
        WriteText(file, "\r\n--" + B + "--\r\n\r\n");
    return true;
}

bool CSmtpSession::WriteFilePart(CFile& file, const CString& path, const CString& boundary, int nKind,
                                 const char* pszContentId, const CString* pReadyText)
{
    std::string content;
    int64_t created = 0, modified = 0;
    const bool bReady = pReadyText && !pReadyText->IsEmpty();
    if (bReady) {
        content = pReadyText->Str();
    } else {
        if (!FileExists(path)) {
            m_strLastError.Format("ファイル[%s]が見つかりませんでした。\r\n添付できません。", path.GetString());
            return false;
        }
        CFile part;
        if (!part.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
            m_strLastError.Format("ファイル[%s]が添付できませんでした。\r\n開かれている場合は閉じてください。",
                                  path.GetString());
            return false;
        }
        CFileStatus status;
        if (part.GetStatus(status)) {
            created = FileTimeToValue(status.m_ctime);
            modified = FileTimeToValue(status.m_mtime);
        }
        const CString name = GetFileNameFromPath(path);
        bool bWhole = nKind == PartText || IsMailFileName(name);
        if (!bWhole)
            return WriteEncodedFilePart(file, part, path, boundary, nKind, pszContentId, created, modified);
        // A text is converted as a whole; one that no text conversion can
        // hold is refused rather than cut.
        if (part.GetLength() >= static_cast<ULONGLONG>(INT_MAX / 5)) {
            m_strLastError.Format("ファイル[%s]が添付できませんでした。\r\n開かれている場合は閉じてください。",
                                  path.GetString());
            return false;
        }
        content = ReadWholeFile(part);
    }

    const CString name = HalfWidthKanaToFullWidth(GetFileNameFromPath(path));
    const CString encodedName = EncodeFoldedText(name, 11, true);
    WriteBoundary(file, boundary);

    if (IsMailFileName(name)) {
        content = EnclosedMailText(content);
        CMailMessage message;
        message.Parse(content.c_str(), static_cast<int>(content.size()));
        // A mail of 8-bit text is declared so: its bytes then go out as
        // they are, not through the conversion of the program's own text.
        CString h = FormatString("Content-Type: message/rfc822\r\nContent-Transfer-Encoding: %s\r\n",
                                 CMimeReencoder::HasEightBit(content) ? "8bit" : "7bit");
        h.AppendFormat("%s: %s\r\n\r\n", "Content-Description",
                       EncodeFoldedText(message.m_strSubject, 21).GetString());
        WriteText(file, h);
        std::string stuffed = CDotStuffer::Stuff(content.data(), content.size());
        file.Write(stuffed.data(), static_cast<UINT>(stuffed.size()));
        return true;
    }

    CString h;
    if (nKind == PartText) {
        const int form = ChooseTextForm(content);
        h.Format("Content-Type: text/plain; charset=%s; name=\"%s\"\r\n",
                 form == textUtf8Base64 ? "UTF-8" : "ISO-2022-JP", encodedName.GetString());
        if (form != textSevenBit)
            h.AppendFormat("Content-Transfer-Encoding: %s\r\n", TextFormEncoding(form));
        h.AppendFormat("Content-Disposition: inline;\r\n%s\r\n\r\n", FileNameParameter(name).GetString());
        WriteText(file, h);
        std::string text = EncodeTextPart(content, form, true);
        file.Write(text.data(), static_cast<UINT>(text.size()));
        return true;
    }
    WriteText(file, EncodedPartHeader(name, nKind, pszContentId, bReady, created, modified));
    WriteBase64Lines(file, content.data(), content.size());
    return true;
}

CString CSmtpSession::FileNameParameter(const CString& name)
{
    const CString encoded = EncodeFoldedText(name, 11, true);
    CString parameter = " filename=\"" + encoded + "\"";
    // A name of several encoded words is a parameter value of a form the
    // standard does not know; the form of RFC 2231 beside it is one that
    // readers put together whole.
    int close = encoded.Find("?=");
    if (close < 0 || encoded.Find("=?", close) < 0)
        return parameter;
    static const char kHex[] = "0123456789ABCDEF";
    const std::string utf8 = AnsiToUtf8(name).Str();
    std::vector<std::string> sections(1, "UTF-8''");
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        // A section ends between characters, its line within 76 characters.
        if (sections.back().size() > 52 && (c < 0x80 || c >= 0xC0))
            sections.emplace_back();
        if (c < 0x80 && (isalnum(c) || strchr("!#$&+-.^_`|~", c)))
            sections.back() += static_cast<char>(c);
        else
            sections.back() += std::string("%") + kHex[c >> 4] + kHex[c & 15];
    }
    for (size_t k = 0; k < sections.size(); ++k)
        parameter.AppendFormat(";\r\n filename*%u*=%s", static_cast<unsigned>(k), sections[k].c_str());
    return parameter;
}

CString CSmtpSession::EncodedPartHeader(const CString& name, int nKind, const char* pszContentId, bool bReady,
                                        int64_t created, int64_t modified)
{
    const CString encodedName = EncodeFoldedText(name, 11, true);
    bool bJpeg = EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg");
    CString h = FormatString("Content-Type: %s;\r\n name=\"%s\"\r\n",
                             bJpeg ? "image/jpeg" : "application/octet-stream", encodedName.GetString());
    const CString fileName = FileNameParameter(name);
    if (nKind == PartImage) {
        if (pszContentId && *pszContentId)
            h.AppendFormat("%s: <%s>\r\n", "Content-ID", pszContentId);
        h.AppendFormat("Content-Disposition: inline;\r\n%s\r\n", fileName.GetString());
    } else if (bReady) {
        h.AppendFormat("Content-Disposition: attachment;\r\n%s\r\n", fileName.GetString());
    } else {
        h.AppendFormat("Content-Disposition: attachment;\r\n%s;\r\n", fileName.GetString());
        h.AppendFormat(" creation-date=\"%s\";\r\n", FormatRfc822Date(created).GetString());
        h.AppendFormat(" modification-date=\"%s\"\r\n", FormatRfc822Date(modified).GetString());
    }
    h += "Content-Transfer-Encoding: base64\r\n\r\n";
    return h;
}

bool CSmtpSession::WriteEncodedFilePart(CFile& file, CFile& part, const CString& path, const CString& boundary,
                                        int nKind, const char* pszContentId, int64_t created, int64_t modified)
{
    const CString name = HalfWidthKanaToFullWidth(GetFileNameFromPath(path));
    WriteBoundary(file, boundary);
    WriteText(file, EncodedPartHeader(name, nKind, pszContentId, false, created, modified));
    try {
        WriteBase64File(file, part);
    } catch (const CFileException& e) {
        // The attachment could not be read to its end; the message file
        // would carry a cut copy of it.
        if (e.m_strFileName.IsEmpty() || e.m_strFileName.CompareNoCase(path) != 0)
            throw;  // the message file itself: the caller reports its group
        m_strLastError.Format("ファイル[%s]が添付できませんでした。\r\n開かれている場合は閉じてください。",
                              path.GetString());
        return false;
    }
    return true;
}
