#include "classlib/CommandLineInfo.h"

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast)
{
    CString param(pszParam);
    if (bFlag) {
        if (param.CompareNoCase("pt") == 0) {
            m_nShellCommand = FilePrintTo;
            m_nPrintToArg = 0;
        } else if (param.CompareNoCase("p") == 0) {
            m_nShellCommand = FilePrint;
        } else if (param.CompareNoCase("Embedding") == 0) {
            m_bRunEmbedded = TRUE;
            m_bShowSplash = FALSE;
        } else if (param.CompareNoCase("Automation") == 0) {
            m_bRunAutomated = TRUE;
            m_bShowSplash = FALSE;
        }
    } else if (m_nShellCommand == FilePrintTo && !m_strFileName.IsEmpty() && m_nPrintToArg < 3) {
        // "/pt file printer driver port"
        CString* parts[3] = { &m_strPrinterName, &m_strDriverName, &m_strPortName };
        *parts[m_nPrintToArg++] = param;
    } else if (m_strFileName.IsEmpty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    }
    if (bLast && m_nShellCommand == FileNew && !m_strFileName.IsEmpty())
        m_nShellCommand = FileOpen;
}
