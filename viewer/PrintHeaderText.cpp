#include "viewer/PrintHeaderText.h"

#include "core/FileUtil.h"

std::string CPrintHeaderText::SeparatorLine(int nCount, const std::string& separator)
{
    std::string line;
    if (nCount > 0) {
        for (int i = 0; i < nCount; ++i)
            line += separator;
    } else {
        line.assign(74, '=');
    }
    return line + "\r\n";
}

std::string CPrintHeaderText::AttachmentLine(const std::vector<std::string>& names)
{
    if (names.empty())
        return std::string();
    std::string line = " 添付ファイル：";
    for (size_t i = 0; i < names.size(); ++i) {
        if (i)
            line += ", ";
        line += names[i];
    }
    return line;
}

std::string CPrintHeaderText::Compose(const std::string& separatorLine, const std::string& expandedTemplate,
                                      const std::string& attachmentLine)
{
    std::string out = separatorLine + expandedTemplate;
    if (!attachmentLine.empty())
        out += "\r\n" + attachmentLine;
    out += "\r\n" + separatorLine + "\r\n";
    return out;
}

int CPrintHeaderText::SeparatorCount(int nPrintableWidth, int nSeparatorWidth)
{
    if (nPrintableWidth <= 0)
        return 0;
    return nPrintableWidth / (nSeparatorWidth + 1);
}

std::string CPrintHeaderText::FileNameOfSubject(const std::string& subject)
{
    return MakeValidFileName(subject.c_str()).GetString();
}
