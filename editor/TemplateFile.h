// CTemplateFile: one template of "Template.Box": pseudo header lines
// ("name: value"), an empty line, then the body. Written in a fixed order;
// read back through the mail header parser.
#pragma once

#include "editor/BoxFiles.h"

class CTemplateFile
{
public:
    // The file's text in the order the template editor writes it.
    CString Format() const;
    // Takes a template's text: header block up to the first empty line,
    // body behind it; a text without an empty line is all body (and its
    // text is still handed to the header parser).
    void Parse(const char* pszText);
    bool Read(const char* pszPath);
    bool Write(const char* pszPath) const;

    // Whether a name may be a template's file name: not "." or "..", and no
    // character that a file name cannot hold. 0 when it may, else the id of
    // the message to show.
    static UINT CheckName(const char* pszName);
    // The edit dialog's OK: writes the template into "Template.Box" under
    // the name. Another template of that name is replaced only when
    // confirmed; a template opened under another name keeps its file.
    CBoxFiles::SaveResult SaveAs(const char* pszOpenedName, const char* pszName, bool bOverwriteConfirmed,
                                 UINT* pnMessage = nullptr) const;

    bool m_bSetHeaders = false;  // "宛先、件名なども指定する"
    CString m_strTo, m_strCc, m_strBcc, m_strSubject, m_strReplyTo;
    CString m_strSignName;
    CStringArray m_attachPaths;
    bool m_bAttachFile = false;  // "元メールに添付ファイルがあるときは添付する"
    CString m_strAttachFileFolder;
    CString m_strSendAccount;  // empty: no account selected
    CString m_strBody;
};
