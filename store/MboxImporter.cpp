#include "store/MboxImporter.h"

#include "classlib/Wnd.h"
#include "core/DateTimeUtil.h"
#include "core/QuendalApp.h"
#include "message/DotStuffer.h"
#include "message/MailLineEnds.h"
#include "store/MailFolderStore.h"

#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <string>

namespace {

// Shared by every import of the run, so that two imports filing in the same
// millisecond still give their mails different names.
std::atomic<unsigned> g_nameCounter{0};

const size_t kChunk = 1 << 20;

// The line-end convention of the file, read from its start.
bool ScanLineEnds(CFile& file, CMailLineEnds::Ends& ends)
{
    std::string buf(kChunk, '\0');
    CMailLineEnds scan;
    for (;;) {
        UINT n = file.Read(&buf[0], static_cast<UINT>(buf.size()));
        if (n == 0 || scan.Scan(buf.data(), n))
            break;
    }
    ends = scan.GetEnds();
    return scan.HasText();
}

// The text with NUL bytes dropped and, for files with only CR or only LF
// line ends, every line end made CR LF.
class NormalisedReader
{
public:
    NormalisedReader(CFile& file, CMailLineEnds::Ends ends) : m_file(file), m_ends(ends), m_raw(kChunk, '\0') {}

    // Appends up to about one chunk to out; false at the end of the file.
    bool Next(std::string& out)
    {
        UINT n = m_file.Read(&m_raw[0], static_cast<UINT>(m_raw.size()));
        if (n == 0)
            return false;
        CMailLineEnds::Append(out, m_raw.data(), n, m_ends);
        return true;
    }

private:
    CFile& m_file;
    CMailLineEnds::Ends m_ends;
    std::string m_raw;
};

// One mail being written to its temporary file in the form the folder store
// files from: lines that begin with "." doubled, ended by a lone "." line.
class MailWriter
{
public:
    explicit MailWriter(bool stuffed) : m_stuffed(stuffed)
    {
        m_received = CTime::GetCurrentTime().GetTime();
        SYSTEMTIME now;
        GetLocalTime(&now);
        // The name seeds the mail's attachment folder, so each mail has its
        // own. The mail is held in memory: no file is written for it.
        m_name.Format("QMI%lu%03d%03u", static_cast<unsigned long>(m_received), now.wMilliseconds,
                      g_nameCounter.fetch_add(1) % 1000);
    }

    void Write(const char* p, size_t n)
    {
        m_out.clear();
        if (m_stuffed)
            m_out.assign(p, n);
        else
            m_stuffer.Append(m_out, p, n);
        if (!m_out.empty()) {
            m_text += m_out;
            // Only the last four bytes are wanted: a whole chunk is not
            // copied for them.
            m_tail.append(m_out, m_out.size() > 4 ? m_out.size() - 4 : 0, std::string::npos);
            if (m_tail.size() > 4)
                m_tail.erase(0, m_tail.size() - 4);
            if (m_out.size() >= 2)
                m_lastTwo.assign(m_out, m_out.size() - 2, 2);
            else
                m_lastTwo = (m_lastTwo + m_out).substr(m_lastTwo.empty() ? 0 : m_lastTwo.size() - 1);
        }
    }

    // In an mbox file the empty line before a "From " line (or at the end)
    // belongs to the separator, not to the mail before it.
    void DropSeparatorLine()
    {
        if (m_tail != "\r\n\r\n")
            return;
        m_text.resize(m_text.size() - 2);
        m_tail.erase(2);
    }

    void Close()
    {
        if (m_lastTwo != "\r\n" && !m_lastTwo.empty())
            m_text += "\r\n";
        m_text += ".\r\n";
    }

    const CString& Name() const { return m_name; }
    std::string& Text() { return m_text; }
    int64_t ReceivedTime() const { return m_received; }

private:
    CString m_name;
    std::string m_text;  // the mail as its mail file would hold it
    std::string m_out;
    std::string m_lastTwo;
    std::string m_tail;  // the last four bytes written
    CDotStuffer m_stuffer;
    bool m_stuffed;
    int64_t m_received = 0;
};

bool Cancelled(const CMboxImporter* importer)
{
    return importer && importer->m_pCancel && *importer->m_pCancel;
}

bool HasWindow(const CWnd* w)
{
    return w && w->GetSafeHwnd();
}

// Splits the normalised text into mails. The buffer holds the unprocessed
// text; `pos` walks it, and at least the separator's length is kept ahead so
// that a separator across two chunks is still found.
class Splitter
{
public:
    Splitter(NormalisedReader& reader, const char* separator, bool mbox)
        : m_reader(reader), m_sep(separator), m_mbox(mbox)
    {
    }

    // Makes sure n bytes from pos are in the buffer, if the file holds them.
    bool Have(size_t n)
    {
        while (m_pos + n > m_buf.size()) {
            if (m_eof)
                return false;
            if (m_pos > kChunk) {
                Flush();
                m_buf.erase(0, m_pos);
                m_mailStart = m_mailStart > m_pos ? m_mailStart - m_pos : 0;
                m_pos = 0;
            }
            if (!m_reader.Next(m_buf))
                m_eof = true;
        }
        return true;
    }

    bool AtSeparator()
    {
        return Have(m_sep.size()) && m_buf.compare(m_pos, m_sep.size(), m_sep) == 0;
    }

    bool AtEnd() { return !Have(1); }

    // Everything of the current mail before pos goes to the writer.
    void Flush()
    {
        if (m_writer && m_pos > m_mailStart)
            m_writer->Write(m_buf.data() + m_mailStart, m_pos - m_mailStart);
        m_mailStart = m_pos;
    }

    NormalisedReader& m_reader;
    std::string m_sep;
    bool m_mbox;
    std::string m_buf;
    size_t m_pos = 0;
    size_t m_mailStart = 0;
    bool m_eof = false;
    MailWriter* m_writer = nullptr;
};

} // namespace

void CMboxImporter::UpdateProgress(int nCount, CMboxImporter* pImporter, int nTotal)
{
    if (!pImporter)
        return;
    if (HasWindow(pImporter->m_pProgress))
        pImporter->m_pProgress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(nCount));
    if (HasWindow(pImporter->m_pCountText)) {
        CString text;
        text.Format("%d / %d", nCount, nTotal);
        pImporter->m_pCountText->SetWindowText(text);
    }
}

BOOL CMboxImporter::ImportFile(const char* pszSeparator, CMboxImporter* pImporter, const char* pszPath,
                               BOOL bUseSendTime, CMailFolderStore* pFolder, int nRead)
{
    if (pImporter) {
        pImporter->m_nImported = 0;
        if (HasWindow(pImporter->m_pStatusText)) {
            CString text;
            text.Format("[%s] 読込中です。", pImporter->m_strName.GetString());
            pImporter->m_pStatusText->SetWindowText(text);
        }
        if (HasWindow(pImporter->m_pProgress)) {
            pImporter->m_pProgress->SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, pImporter->m_nTotal & 0xFFFF));
            pImporter->m_pProgress->SendMessage(PBM_SETPOS, 0);
        }
    }
    if (nRead == -1)
        nRead = 0;
    if (!pFolder) {
        CQuendalApp* app = QuendalApp();
        pFolder = app ? app->FindFolder(app->GetCurrentFolderId()) : nullptr;
    }

    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite | CFile::osSequentialScan))
        return FALSE;
    CMailLineEnds::Ends ends;
    try {
        if (file.GetLength() == 0 || !ScanLineEnds(file, ends))
            return FALSE;
        file.SeekToBegin();
    } catch (const CFileException&) {
        return FALSE;
    }

    bool mbox = pszSeparator == nullptr;
    NormalisedReader reader(file, ends);
    Splitter s(reader, mbox ? "From " : pszSeparator, mbox);
    if (s.m_sep.empty())
        return FALSE;
    int counter = 0;
    try {
        if (mbox) {
            // Everything before the first "From ", wherever it stands, is dropped.
            while (!s.AtSeparator()) {
                if (s.AtEnd())
                    return TRUE;
                ++s.m_pos;
            }
            s.m_pos += s.m_sep.size();
        }
        s.m_mailStart = s.m_pos;
        for (;;) {
            if (s.AtEnd() || Cancelled(pImporter))
                break;
            if (mbox) {
                // The rest of the separator line and one line-end character.
                while (s.Have(1) && s.m_buf[s.m_pos] != '\r' && s.m_buf[s.m_pos] != '\n')
                    ++s.m_pos;
                if (s.Have(1))
                    ++s.m_pos;
                s.m_mailStart = s.m_pos;
            }

            MailWriter writer(pImporter && pImporter->m_bDotStuffed);
            s.m_writer = &writer;
            bool found = false;
            if (mbox) {
                // "From " at the mail's first position, then only at line starts.
                bool lineStart = true;
                while (s.Have(1)) {
                    if (lineStart && s.AtSeparator()) {
                        found = true;
                        break;
                    }
                    char c = s.m_buf[s.m_pos];
                    bool brk = c == '\r' || c == '\n';
                    ++s.m_pos;
                    lineStart = brk && s.Have(1) && s.m_buf[s.m_pos] != '\r' && s.m_buf[s.m_pos] != '\n';
                }
            } else {
                while (s.Have(1)) {
                    if (s.AtSeparator()) {
                        found = true;
                        break;
                    }
                    ++s.m_pos;
                }
            }
            s.Flush();
            s.m_writer = nullptr;
            if (mbox)
                writer.DropSeparatorLine();
            writer.Close();

            CString received = FormatDateWithZone(writer.ReceivedTime());
            if (pFolder && pFolder->AddNewMailText(writer.Text(), writer.Name(), received, nRead, bUseSendTime))
                if (pImporter)
                    ++pImporter->m_nImported;

            counter = (counter + 1) % 1000;
            if (pImporter)
                UpdateProgress(counter, pImporter, pImporter->m_nTotal);
            if (!found)
                break;
            s.m_pos += s.m_sep.size();
            s.m_mailStart = s.m_pos;
        }
    } catch (const CFileException&) {
        return FALSE;
    }
    return TRUE;
}
