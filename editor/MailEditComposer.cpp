#include "editor/MailEditComposer.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "core/TextFile.h"
#include "editor/AttachmentFolder.h"
#include "editor/MailEditData.h"
#include "editor/SubjectPrefix.h"
#include "editor/TemplateFile.h"
#include "message/AddressList.h"
#include "message/DotStuffer.h"
#include "message/MimePart.h"
#include "resources/editor/EditorResource.h"
#include "store/MailFileReader.h"
#include "store/MailFolderStore.h"
#include "store/MailListData.h"

#include <string>

namespace {

const size_t kMaxReferencesBase = 127;

int ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

CString ProfileString(const char* pszSection, const char* pszKey, const char* pszDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileString(pszSection, pszKey, pszDefault) : CString(pszDefault);
}

CString FormatList(const char* pszList)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->FormatAddressList(pszList) : CString(pszList);
}

CString ReceiveAddress(const CString& text)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetReceiveAddress(text) : text;
}

bool IsReplyKind(int nKind) { return nKind == 1 || nKind == 2 || nKind == 6 || nKind == 7; }
bool IsReEditKind(int nKind) { return nKind == 0 || nKind == 12; }
// Folders of one's own sent or outgoing mails: a reply goes to their To.
bool IsOwnMailFolderKind(int nKind) { return nKind == 2 || nKind == 3 || nKind == 5 || nKind == 6 || nKind == 10; }

// A "." at the start of a line, as the mail data file doubles it.
CString RemoveLeadingDots(const CString& text)
{
    const std::string& s = text.Str();
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '.' && (i == 0 || s[i - 1] == '\n'))
            continue;
        out += s[i];
    }
    return CString(out);
}

// The first text part that is not an attachment, plain text before any
// other; attached mails are not searched.
const CMimePart* FindTextPart(const CMimePart& part, bool bPlainOnly)
{
    const CMailMessage& h = part.m_header;
    if (part.GetChildCount() == 0) {
        bool text = h.m_nMainType == kContentText || h.m_nMainType == kContentUnknown;
        bool attached = h.GetDispositionCode() == kContentAttachment;
        if (text && !attached && (!bPlainOnly || h.m_nSubType == kContentPlain))
            return &part;
        return nullptr;
    }
    if (h.m_nMainType == kContentMessage)
        return nullptr;
    for (int i = 0; i < part.GetChildCount(); ++i) {
        if (const CMimePart* found = FindTextPart(*part.GetChild(i), bPlainOnly))
            return found;
    }
    return nullptr;
}

// The readable text of a stored mail: its text part decoded to Shift_JIS.
// A mail whose only text is HTML has the body the mail reader gives it: the
// text of the HTML when the application asks for one, else none.
CString DecodeBodyText(const CString& header, const CString& rawBody)
{
    std::string whole = header.Str() + "\r\n" + rawBody.Str();
    CMimePart root;
    root.Parse(whole.data(), whole.size());
    const CMimePart* part = FindTextPart(root, true);
    if (!part)
        part = FindTextPart(root, false);
    if (part && part->m_header.m_nSubType == kContentHtml) {
        std::string stored = CDotStuffer::Stuff(rawBody.GetString(), static_cast<size_t>(rawBody.GetLength()));
        CMailFileReader reader;
        reader.ParseMailText(header.Str() + "\r\n" + stored);
        return CString(CDotStuffer::Undo(reader.GetBody().Str()));
    }
    return part ? part->DecodeText() : CString();
}

void AppendAddresses(CString& field, const CString& add)
{
    if (add.IsEmpty())
        return;
    CString trimmed = field;
    trimmed.TrimRight();
    if (!trimmed.IsEmpty() && trimmed[trimmed.GetLength() - 1] != ',')
        field = trimmed + ",";
    field += add;
}

CString DefaultFullMailBuilder(CMailFolderStore* pFolder, int nIndex)
{
    CMailIndexRecord* record = pFolder ? pFolder->GetRecord(nIndex) : nullptr;
    CString entry;
    if (!record || !pFolder->ReadMailText(record, entry))
        return CString();
    CString header, body;
    CMailEditComposer::SplitStoredMail(entry, header, body);

    CQuendalApp* app = QuendalApp();
    CString folder = app ? app->GetSendTempPath() : CString();
    if (folder.IsEmpty()) {
        char temp[MAX_PATH + 1] = "";
        DWORD n = GetTempPathA(sizeof(temp), temp);
        if (n == 0 || n >= sizeof(temp))
            return CString();
        folder = temp;
    }
    if (!DirectoryExists(folder))
        CreateDirectoryPath(folder);
    CString name = MakeValidFileName(record->GetText(CMailIndexRecord::colSubject));
    name.Trim();
    if (name.IsEmpty() || name.GetLength() > 100)
        name = "message";
    CString path = CombinePath(folder, name + ".eml");
    for (int n = 1; FileExists(path) && n < 1000; ++n)
        path = CombinePath(folder, FormatString("%s(%d).eml", name.GetString(), n));
    if (!WriteTextFile(path, header + "\r\n" + body))
        return CString();
    return path;
}

CMailEditComposer::FullMailBuilder g_fullMailBuilder = DefaultFullMailBuilder;

} // namespace

CMailEditComposer::CMailEditComposer() = default;

CString CMailEditComposer::WriteMailAsFile(CMailFolderStore* pFolder, int nIndex)
{
    return g_fullMailBuilder(pFolder, nIndex);
}

CMailEditComposer::FullMailBuilder CMailEditComposer::SetFullMailBuilder(FullMailBuilder builder)
{
    FullMailBuilder old = g_fullMailBuilder;
    g_fullMailBuilder = builder ? builder : DefaultFullMailBuilder;
    return old;
}

CString CMailEditComposer::QuoteText(const char* pszText, const char* pszMark)
{
    std::string text = pszText ? pszText : "";
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    const std::string mark = pszMark ? pszMark : "";
    std::string out;
    out.reserve(text.size() + text.size() / 8 + mark.size() + 2);
    size_t pos = 0;
    for (;;) {
        size_t eol = text.find("\r\n", pos);
        out += mark;
        out.append(text, pos, eol == std::string::npos ? std::string::npos : eol - pos);
        out += "\r\n";
        if (eol == std::string::npos)
            break;
        pos = eol + 2;
    }
    return CString(out);
}

CString CMailEditComposer::RemoveAddressFromList(const char* pszList, const char* pszAddress)
{
    CString bare = ExtractMailAddress(pszAddress ? pszAddress : "");
    bare.Trim();
    bare.MakeLower();
    if (bare.IsEmpty())
        return CString(pszList);
    CStringArray entries;
    ParseAddressList(pszList ? pszList : "", &entries);
    CString out;
    for (int i = 0; i < entries.GetSize(); ++i) {
        CString address = ExtractMailAddress(entries[i]);
        address.Trim();
        if (address.CompareNoCase(bare) == 0)
            continue;
        out += entries[i];
        out += ",";
    }
    return out;
}

void CMailEditComposer::SplitStoredMail(const CString& entry, CString& header, CString& body)
{
    CString text = entry;
    if (text.GetLength() >= 2 && _strnicmp(text, "QM", 2) == 0) {
        int eol = text.Find("\r\n");
        text = eol >= 0 ? text.Mid(eol + 2) : CString();
    }
    // The data file ends every mail with CR LF and a line ".".
    if (text.GetLength() >= 5 && text.Right(5) == "\r\n.\r\n")
        text = text.Left(text.GetLength() - 5);
    else if (text == ".\r\n")
        text.Empty();
    int blank = text.Find("\r\n\r\n");
    if (blank < 0) {
        header = text;
        body.Empty();
        return;
    }
    header = text.Left(blank + 2);
    body = RemoveLeadingDots(text.Mid(blank + 4));
}

CString CMailEditComposer::ReferencesBaseOf(const char* pszReferences)
{
    std::string s = pszReferences ? pszReferences : "";
    size_t last = s.rfind('<');
    if (last == std::string::npos || s.find('>', last) == std::string::npos)
        return CString();
    CString base(s.substr(0, last));
    base.Trim();
    // Whole ids only: an id cut in two would break the threading of every
    // later answer. The nearest ancestors (at the end) are kept.
    while (static_cast<size_t>(base.GetLength()) > kMaxReferencesBase) {
        int next = base.Find('<', 1);
        if (next < 0) {
            base.Empty();
            break;
        }
        base = base.Mid(next);
    }
    return base;
}

bool CMailEditComposer::ReadSource(CMailFolderStore* pFolder, int nIndex, CMailMessage& message, CString& body)
{
    CMailIndexRecord* record = pFolder ? pFolder->GetRecord(nIndex) : nullptr;
    CString entry;
    if (!record || !pFolder->ReadMailText(record, entry))
        return false;
    CString header, rawBody;
    SplitStoredMail(entry, header, rawBody);
    message.Parse(header);
    body = DecodeBodyText(header, rawBody);
    return true;
}

bool CMailEditComposer::SetMailData(CMailEditData& data, int nIndex, CMailFolderStore* pFolder, int nKind,
                                    const char* pszSelText, int nForwardMethod)
{
    if (nKind == 3) {
        if (nForwardMethod != -1)
            data.m_nForwardMethod = nForwardMethod;
        if (data.m_nForwardMethod == -1)
            data.m_nForwardMethod = 0;
        data.m_bForwardMethodSet = true;
    }
    data.m_nMailKind = nKind;
    CMailIndexRecord* record = pFolder ? pFolder->GetRecord(nIndex) : nullptr;
    if (!record)
        return false;
    m_pSourceFolder = pFolder;
    m_record.CopyValuesFrom(*record);
    if (!record->IsRead() && nKind != 11) {
        if (CMailListData* list = pFolder->GetMailList())
            list->SetOpen(record);
    }

    CString sourceBody;
    if (!ReadSource(pFolder, nIndex, m_message, sourceBody))
        return false;
    data.m_bKeepFromAddress = m_message.m_bKeepFromAddress;
    if (m_message.m_nForwardType >= 0) {
        data.m_nForwardMethod = m_message.m_nForwardType;
        data.m_bForwardMethodSet = true;
    }

    bool hasText = true;
    CString text;
    if (pszSelText)
        text = pszSelText;
    else if ((ProfileInt("Setting", "NoRefBody", 0) && (nKind == 1 || nKind == 2)) || nKind == 11)
        hasText = false;
    else
        text = sourceBody;

    CQuendalApp* app = QuendalApp();
    const CString mark = ProfileString("EditWindow", "RefMarkText", ">");
    switch (nKind) {
    case 1:
    case 2:
        if (hasText && app) {
            data.m_strBody = "\r\n" + app->ReplaceTemplateMacros(app->LoadRetHeader(), &m_record, nullptr, nullptr,
                                                                 nKind, &m_message) +
                             QuoteText(text, mark);
        } else {
            data.m_strBody.Empty();
        }
        break;
    case 11:
        data.m_strBody = app ? app->ReplaceTemplateMacros(app->LoadReadNotify(), &m_record, nullptr, nullptr, nKind,
                                                          &m_message)
                             : CString();
        break;
    case 3:
        if (data.m_nForwardMethod == 0 || data.m_nForwardMethod == 1) {
            data.m_strBody = (app ? app->ReplaceTemplateMacros(app->LoadFwHeader(), &m_record, nullptr, nullptr,
                                                               nKind, &m_message)
                                  : CString()) +
                             text;
        } else if (data.m_nForwardMethod != 3) {
            data.m_strBody = text;
        }
        break;
    case 6:
    case 7:
        data.m_strBody = QuoteText(text, mark);
        break;
    default:
        data.m_strBody = text;
        break;
    }
    data.m_nSelStart = data.m_nSelEnd = 0;

    SetAddresses(data, nKind);
    SetSubject(data, nKind);
    SetThreading(data, nKind);
    SetPriorityAndAccount(data, nKind, nIndex);

    // Signature.
    if (nKind == 11) {
        data.m_strSignName = CMailEditData::kSignNone;
    } else {
        if (!m_message.m_strSignName.IsEmpty())
            data.m_strSignName = m_message.m_strSignName;
        if (!IsReplyKind(nKind) &&
            (pFolder->GetKind() == 2 || pFolder->GetKind() == 10 ||
             (m_pOriginFolder && (m_pOriginFolder->GetKind() == 2 || m_pOriginFolder->GetKind() == 10))))
            data.m_strSignName = CMailEditData::kSignNone;
    }

    SetAttachments(data, nKind, nIndex);
    return true;
}

void CMailEditComposer::SetAddresses(CMailEditData& data, int nKind)
{
    const CString& to = m_record.GetText(CMailIndexRecord::colTo);
    const CString& cc = m_record.GetText(CMailIndexRecord::colCc);
    const CString& from = m_record.GetText(CMailIndexRecord::colFrom);
    const bool ownMail = IsOwnMailFolderKind(m_pSourceFolder->GetKind());
    if (IsReEditKind(nKind)) {
        if (m_message.m_bResent) {
            data.m_strTo = FormatList(m_message.GetHeader("Resent-To"));
            data.m_strCc = FormatList(m_message.GetHeader("Resent-CC"));
        } else {
            data.m_strTo = FormatList(to);
            data.m_strCc = FormatList(cc);
        }
        data.m_strBcc = FormatList(m_message.m_strBcc);
    } else if (IsReplyKind(nKind)) {
        CString replyTo = ownMail ? to : (!m_message.m_strReplyTo.IsEmpty() ? m_message.m_strReplyTo : from);
        data.m_strTo = FormatList(replyTo);
        if (nKind == 2 || nKind == 7) {
            if (ownMail) {
                data.m_strCc = FormatList(cc);
            } else {
                CString all = FormatString("%s,%s", to.GetString(), cc.GetString());
                // The answer's own To, and the address the mail came in at,
                // would otherwise be copied to themselves.
                all = RemoveAddressFromList(all, replyTo);
                if (ProfileInt("Setting", "NoReceiveAcountInCC", 1))
                    all = RemoveAddressFromList(all, ReceiveAddress(m_record.GetText(CMailIndexRecord::colAccount)));
                data.m_strCc = FormatList(all);
            }
        }
    } else if (nKind == 11) {
        data.m_strTo = FormatList(m_message.m_strReadReceiptAddress);
        data.m_strCc.Empty();
    }
}

void CMailEditComposer::SetSubject(CMailEditData& data, int nKind)
{
    const CString& subject = m_record.GetText(CMailIndexRecord::colSubject);
    if (IsReplyKind(nKind)) {
        data.m_strSubject = MakeReplySubject(subject, m_pSourceFolder->GetInheritedFlag3() != FALSE);
    } else if (nKind == 3 || nKind == 8) {
        data.m_strSubject = MakeForwardSubject(subject, data.m_nForwardMethod);
    } else if (nKind == 11) {
        CString prefix;
        prefix.LoadString(IDS_READ_NOTIFY_SUBJECT);
        data.m_strSubject = prefix + subject;
    } else if (IsReEditKind(nKind)) {
        data.m_strSubject = subject;
    }
}

void CMailEditComposer::SetThreading(CMailEditData& data, int nKind)
{
    if (IsReEditKind(nKind)) {
        data.m_strInReplyTo = m_record.GetText(CMailIndexRecord::colReference);
        data.m_strReferencesBase = ReferencesBaseOf(m_message.GetHeader("References"));
    } else {
        data.m_strInReplyTo = m_record.GetText(CMailIndexRecord::colMessageId);
        data.m_strReferencesBase = m_record.GetText(CMailIndexRecord::colReference);
    }
}

void CMailEditComposer::SetPriorityAndAccount(CMailEditData& data, int nKind, int nIndex)
{
    const int priority = m_message.m_nPriority;
    const bool validPriority = priority >= 1 && priority <= 5;
    if (validPriority && data.m_bForwardMethodSet && ProfileInt("Setting", "ForwardMailPriorityOn", 0))
        data.m_nPriority = priority - 1;
    if (!IsReEditKind(nKind) && data.m_nForwardMethod == 2) {
        data.m_strReplyTo = m_message.m_strReplyTo;
        if (validPriority)
            data.m_nPriority = priority - 1;
    }

    CQuendalApp* app = QuendalApp();
    m_pOriginFolder = m_pSourceFolder;
    if (m_message.m_nCreateFolderId > 0 && app) {
        if (CMailFolderStore* origin = app->FindFolder(m_message.m_nCreateFolderId))
            m_pOriginFolder = origin;
    }
    data.m_nOriginFolderId = m_pOriginFolder->GetFolderId();

    const bool html = m_message.m_nSubType == kContentHtml || m_message.m_nSubType == kContentAlternative ||
                      m_pSourceFolder->HasHtmlFile(nIndex);
    if (!IsReEditKind(nKind)) {
        CString account = m_pOriginFolder->GetInheritedText23();
        if (!account.IsEmpty()) {
            data.m_strAccountName = account;
        } else {
            data.m_strAccountAddresses =
                FormatString("%s,%s,%s", ReceiveAddress(m_record.GetText(CMailIndexRecord::colAccount)).GetString(),
                             m_record.GetText(CMailIndexRecord::colTo).GetString(),
                             m_record.GetText(CMailIndexRecord::colCc).GetString());
        }
        if (nKind == 3 && data.m_nForwardMethod == 2 && html)
            data.m_bShowHtml = true;
    } else {
        if (!m_message.m_strSendAccount.IsEmpty())
            data.m_strAccountName = m_message.m_strSendAccount;
        else
            data.m_strAccountAddresses = m_record.GetText(CMailIndexRecord::colFrom);
        data.m_strReplyTo = m_message.m_strReplyTo;
        if (validPriority)
            data.m_nPriority = priority - 1;
        data.m_bShowHtml = html;
    }
    if (data.m_bShowHtml)
        data.m_strHtmlFile = FindHtmlPartFile(m_pSourceFolder->GetAttachFolder(&m_record));
}

void CMailEditComposer::SetAttachments(CMailEditData& data, int nKind, int nIndex)
{
    if (IsReplyKind(nKind) || nKind == 11)
        return;
    data.m_bClearAttachments = true;
    data.m_strAttachFolder.Empty();
    if (m_record.GetText(CMailIndexRecord::colAttachDir).IsEmpty() || !m_record.m_bAttach) {
        data.m_bHideAttachList = true;
    } else if (nKind != 8 && !(data.m_nForwardMethod == 3 && m_message.m_nForwardType != 3)) {
        data.m_strAttachFolder = m_pSourceFolder->GetAttachFolder(&m_record);
        data.m_bClearAttachPrefix = !IsReEditKind(nKind);
        if (!m_message.GetHeader("X-Attach_To_Only").IsEmpty())
            data.m_bAttachToOnly = true;
    }
    if (nKind == 3 && data.m_nForwardMethod == 3) {
        CString path = g_fullMailBuilder(m_pSourceFolder, nIndex);
        if (!path.IsEmpty())
            data.m_tempAttachFiles.Add(path);
    }
}

bool CMailEditComposer::ApplyTemplate(CMailEditData& data, const char* pszPath, int nIndex, CMailFolderStore* pFolder,
                                      int nKind, bool bClearAddresses)
{
    CString templateText;
    if (!ReadTextFile(pszPath, templateText))
        return false;
    CQuendalApp* app = QuendalApp();
    CString expanded;
    CMailIndexRecord* record = pFolder && nIndex >= 0 ? pFolder->GetRecord(nIndex) : nullptr;
    CMailMessage source;
    CString sourceBody;
    if (record && ReadSource(pFolder, nIndex, source, sourceBody)) {
        expanded = app ? app->ReplaceTemplateMacros(templateText, record, sourceBody, data.m_strBody, nKind, &source)
                       : templateText;
        data.m_strBody.Empty();
        data.m_nSelStart = data.m_nSelEnd = 0;
    } else {
        record = nullptr;
        CMailIndexRecord current;
        current.SetText(CMailIndexRecord::colTo, data.m_strTo);
        current.SetText(CMailIndexRecord::colCc, data.m_strCc);
        expanded = app ? app->ReplaceTemplateMacros(templateText, &current, nullptr, nullptr, nKind, nullptr)
                       : templateText;
    }

    CTemplateFile tmpl;
    tmpl.Parse(expanded);
    if (tmpl.m_bSetHeaders) {
        if (nKind >= 5 && nKind <= 8) {
            if (bClearAddresses) {
                data.m_strTo.Empty();
                data.m_strCc.Empty();
                data.m_strBcc.Empty();
            }
            AppendAddresses(data.m_strTo, tmpl.m_strTo);
            AppendAddresses(data.m_strCc, tmpl.m_strCc);
            AppendAddresses(data.m_strBcc, tmpl.m_strBcc);
        }
        if (!tmpl.m_strSubject.IsEmpty())
            data.m_strSubject = tmpl.m_strSubject;
    }
    if (!tmpl.m_strSendAccount.IsEmpty())
        data.m_strAccountName = tmpl.m_strSendAccount;
    if (!tmpl.m_strReplyTo.IsEmpty())
        data.m_strReplyTo = tmpl.m_strReplyTo;
    for (int i = 0; i < tmpl.m_attachPaths.GetSize(); ++i)
        data.m_attachFiles.Add(tmpl.m_attachPaths[i]);
    if (!tmpl.m_strAttachFileFolder.IsEmpty())
        data.m_strAttachDialogFolder = tmpl.m_strAttachFileFolder;

    // The template's body replaces the selection.
    int length = data.m_strBody.GetLength();
    int start = data.m_nSelStart < 0 ? 0 : (data.m_nSelStart > length ? length : data.m_nSelStart);
    int end = data.m_nSelEnd < start ? start : (data.m_nSelEnd > length ? length : data.m_nSelEnd);
    data.m_strBody = data.m_strBody.Left(start) + tmpl.m_strBody + data.m_strBody.Mid(end);
    data.m_nInsertStart = start;
    data.m_nInsertLength = tmpl.m_strBody.GetLength();
    data.m_nSelStart = data.m_nSelEnd = start;
    if (!tmpl.m_strSignName.IsEmpty()) {
        data.m_strSignName = tmpl.m_strSignName;
        data.m_bInsertSignature = true;
    }
    if (record && tmpl.m_bAttachFile)
        data.m_strAttachFolder = pFolder->GetAttachFolder(record);
    if (nKind == 8) {
        data.m_nForwardMethod = 4;
        data.m_bForwardMethodSet = true;
    }
    return true;
}
