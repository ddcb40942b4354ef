// MailExport: what the export of selected mails writes: file names made
// from subjects, and mbox records.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>
#include <string>
#include <vector>

class CMailFolderStore;
class CQuendalApp;

namespace MailExport {

// "<subject made a valid file name>.eml" in the folder; while a file (not
// a directory) of that name exists, "_1", "_2" ... go before the extension.
CString UniqueEmlPath(const char* pszFolder, const char* pszSubject);
// The same with another extension ("txt", "html").
CString UniqueExportPath(const char* pszFolder, const char* pszSubject, const char* pszExtension);

// Text for an HTML page: & < > " as entities.
std::string EscapeHtml(const std::string& text);

// A mail as the text or HTML export writes it: the template with the mail's
// macros expanded, "%BODY%" the body as the mail view shows it (escaped for
// HTML). Empty when the mail cannot be read.
std::string ExportedText(CQuendalApp& app, CMailFolderStore* pStore, int nIndex, const std::string& templateText, bool bHtml);
// Writes it to the path; false when the mail cannot be read or the file written.
bool WriteTextExport(CQuendalApp& app, const char* pszPath, CMailFolderStore* pStore, int nIndex,
                     const std::string& templateText, bool bHtml);

// Marks each line that begins with "From " by putting ESC ( B in front of
// it, so that a reader of the mbox does not take it for a separator.
std::string EscapeFromLines(const std::string& text);

// One mbox record: "From <bare address> <received, local ctime form>",
// the mail text up to its first NUL with its "From " lines marked, CR LF.
std::string MboxRecord(const char* pszFromText, int64_t tReceived, const std::string& mailText);

// Writes the mails (in the order given) as one mbox file; false when the
// file cannot be written. A mail that cannot be read is left out.
bool WriteMbox(const char* pszPath, CMailFolderStore* pStore, const std::vector<int>& indices);
// Writes each mail as "<subject>.eml" in the folder (with automatic names);
// returns the paths written. A mail that fails does not stop the others.
std::vector<CString> WriteEmlFiles(const char* pszFolder, CMailFolderStore* pStore, const std::vector<int>& indices);

// Writes one mail to the path; false when it cannot be read or written.
bool WriteEml(const char* pszPath, CMailFolderStore* pStore, int nIndex);

// Writes the bytes as the whole file; false when it cannot be written.
bool WriteFileWhole(const char* pszPath, const std::string& bytes);

} // namespace MailExport
