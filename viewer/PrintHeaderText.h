// CPrintHeaderText: the header block printed above a mail's text and
// written at the top of a mail saved as text: a separator line, the
// expanded header template, the names of the attachment files, and the
// separator line again.
#pragma once

#include <string>
#include <vector>

class CPrintHeaderText
{
public:
    // nCount > 0: the separator text nCount times (a separator of several
    // characters repeats whole); 0: 74 "=". Ends with CR LF.
    static std::string SeparatorLine(int nCount, const std::string& separator);
    // " 添付ファイル：" and the names joined by ", "; empty without names.
    static std::string AttachmentLine(const std::vector<std::string>& names);
    static std::string Compose(const std::string& separatorLine, const std::string& expandedTemplate,
                               const std::string& attachmentLine);
    // How many separators fit across a printable width.
    static int SeparatorCount(int nPrintableWidth, int nSeparatorWidth);
    // A subject made fit for a file name ("/:*?\<>"| become "_").
    static std::string FileNameOfSubject(const std::string& subject);
};
