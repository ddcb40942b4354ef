#include "editor/TemplateFile.h"

#include "core/FileUtil.h"
#include "core/TextFile.h"
#include "message/MailMessage.h"
#include "resources/editor/EditorResource.h"

namespace {

void AddLine(CString& out, const char* pszName, const char* pszValue)
{
    // A value cannot span lines: a line break would start a header of its own.
    CString value = pszValue;
    value.Replace("\r", "");
    value.Replace("\n", " ");
    out += pszName;
    out += ": ";
    out += value;
    out += "\r\n";
}

} // namespace

CString CTemplateFile::Format() const
{
    CString out;
    if (m_bSetHeaders)
        AddLine(out, "X-SetHeaders", m_strSubject);
    AddLine(out, "To", m_strTo);
    AddLine(out, "Cc", m_strCc);
    AddLine(out, "Bcc", m_strBcc);
    AddLine(out, "Subject", m_strSubject);
    AddLine(out, "Reply-To", m_strReplyTo);
    AddLine(out, "X-SignName", m_strSignName);
    for (int i = 0; i < m_attachPaths.GetSize(); ++i)
        AddLine(out, "X-Attach_File_Path", m_attachPaths[i]);
    if (m_bAttachFile)
        AddLine(out, "X-AttachFile", "ON");
    AddLine(out, "X-AttachFileFolder", m_strAttachFileFolder);
    if (!m_strSendAccount.IsEmpty())
        AddLine(out, "X-SendAcount", m_strSendAccount);
    out += "\r\n";
    out += m_strBody;
    return out;
}

void CTemplateFile::Parse(const char* pszText)
{
    CString text = pszText;
    int blank = text.Find("\r\n\r\n");
    CString header = blank >= 0 ? text.Left(blank + 2) : text;
    m_strBody = blank >= 0 ? text.Mid(blank + 4) : text;

    CMailMessage message;
    message.Parse(header);
    m_bSetHeaders = message.m_bSetHeaders;
    m_strTo = message.m_strTo;
    m_strCc = message.m_strCc;
    m_strBcc = message.m_strBcc;
    m_strSubject = message.m_strSubject;
    m_strReplyTo = message.m_strReplyTo;
    m_strSignName = message.m_strSignName;
    m_attachPaths.RemoveAll();
    for (int i = 0; i < message.m_attachPaths.GetSize(); ++i)
        m_attachPaths.Add(message.m_attachPaths[i]);
    m_bAttachFile = message.m_bHasAttachFile;
    m_strAttachFileFolder = message.m_strAttachFolder;
    m_strSendAccount = message.m_strSendAccount;
}

bool CTemplateFile::Read(const char* pszPath)
{
    CString text;
    if (!ReadTextFile(pszPath, text))
        return false;
    Parse(text);
    return true;
}

bool CTemplateFile::Write(const char* pszPath) const
{
    return WriteTextFile(pszPath, Format());
}

UINT CTemplateFile::CheckName(const char* pszName)
{
    return CBoxFiles::CheckName(pszName, IDS_TEMPLATE_NAME_CHARS);
}

CBoxFiles::SaveResult CTemplateFile::SaveAs(const char* pszOpenedName, const char* pszName, bool bOverwriteConfirmed,
                                            UINT* pnMessage) const
{
    UINT message = CheckName(pszName);
    if (pnMessage)
        *pnMessage = message;
    if (message)
        return CBoxFiles::badName;
    CString path = GetTemplateFilePath(pszName);
    CString openedPath = pszOpenedName && *pszOpenedName ? GetTemplateFilePath(pszOpenedName) : CString();
    if (CBoxFiles::WouldReplaceOther(openedPath, path) && !bOverwriteConfirmed) {
        if (pnMessage)
            *pnMessage = IDS_TEMPLATE_OVERWRITE;
        return CBoxFiles::needsOverwrite;
    }
    return Write(path) ? CBoxFiles::saved : CBoxFiles::createFailed;
}
