// Folder optimisation (a new data file and index holding only the live mails)
// and the rebuild of "Index.lst" from the data file.
#include "store/MailFolderStore.h"

#include "core/DateTimeUtil.h"
#include "core/FileSteps.h"
#include "core/FileUtil.h"
#include "core/LogWriter.h"
#include "core/QuendalApp.h"
#include "core/TextFile.h"
#include "message/MailMessage.h"
#include "net/ReceivedIdList.h"
#include "store/MailFileReader.h"
#include "store/StoreWrite.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

// Present while the two finished temporary files are being moved over the
// folder's own: a folder opened with it finishes the moves; one opened
// without it throws the temporary files away (they may be incomplete).
const char kSwapMarker[] = "$$Swap.flg";
const char kTempData[] = "$$MailData";
const char kTempIndex[] = "Index.$$$";
// Whole entries of the data file that "Index.lst" does not know, moved out of
// the way so that new mail can be filed; the next rebuild takes them back.
const char kSetAsideData[] = "MailData.Rcv";
// The stamp a clean close leaves beside the two files (see WriteStamp).
const char kStamp[] = "Index.stp";
const char kStampTag[] = "CVMSTAMP1";
const char kDataWriteError[] = "メールデータの書き込みエラーです。\r\nハードディスクに十分な空きがあるかどうかを確認してください。";

CString DataFileMessage(const CString& path)
{
    CString text = "[%FILEPATH%]が開けませんでした。";
    text.Replace("%FILEPATH%", path);
    return text;
}

CString OptimiseError(const char* code, const CString& text)
{
    return FormatString("Error:%s フォルダ最適化中にエラーが発生しました。[%s]", code, text.GetString());
}

CString FileErrorText(const CFileException& e)
{
    char buf[512] = "";
    e.GetErrorMessage(buf, sizeof(buf));
    return buf;
}

CString LastErrorText()
{
    return AfxSystemErrorText(GetLastError());
}

bool Exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The mark must be on the disk before the first move: a mark that is not
// there makes the next open throw the moved files' partners away.
bool WriteMarker(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_WRITE_THROUGH, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BOOL written = FileSteps::WriteAndFlush(h, "1", 1);
    DWORD error = GetLastError();
    CloseHandle(h);
    if (!written) {
        DeleteFileA(path);
        SetLastError(error);
        return false;
    }
    return true;
}

// Attachment size of a mail, "Headers" left out.
DWORD AttachmentBytes(const CString& folder)
{
    if (!DirectoryExists(folder))
        return 0;
    DWORD total = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(CombinePath(folder, "*.*"), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0)
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (_stricmp(fd.cFileName, "Headers") != 0)
                total += GetFolderFilesSize(CombinePath(folder, fd.cFileName));
        } else {
            total += fd.nFileSizeLow;
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return total;
}

const char kTerminator[] = "\r\n.\r\n";
const size_t kTerminatorSize = 5;

// Where the first entry that starts at pos ends (after its terminator), not
// looking past end; 0 when no terminator comes before end. The entry's name
// line is returned when it is short enough to be a file name.
ULONGLONG FindEntryEnd(CFile& file, ULONGLONG pos, ULONGLONG end, CString* pName)
{
    const std::string term = kTerminator;
    std::string pending;
    std::string buf(64 * 1024, '\0');
    ULONGLONG pendingStart = pos;
    bool nameDone = pName == nullptr;
    for (ULONGLONG at = pos; at < end;) {
        UINT want = static_cast<UINT>(std::min<ULONGLONG>(buf.size(), end - at));
        file.Seek(static_cast<LONGLONG>(at), CFile::begin);
        UINT got = file.Read(&buf[0], want);
        if (got == 0)
            break;
        at += got;
        pending.append(buf.data(), got);
        if (!nameDone) {
            size_t eol = pending.find("\r\n");
            if (eol != std::string::npos || pending.size() > MAX_PATH) {
                if (eol != std::string::npos && eol < MAX_PATH)
                    *pName = CString(pending.substr(0, eol));
                nameDone = true;
            }
        }
        size_t found = pending.find(term);
        if (found != std::string::npos)
            return pendingStart + found + term.size();
        // Keep what could still start a terminator.
        if (nameDone && pending.size() > term.size()) {
            size_t drop = pending.size() - (term.size() - 1);
            pending.erase(0, drop);
            pendingStart += drop;
        }
    }
    return 0;
}

uint64_t Fnv1a(const std::string& bytes)
{
    uint64_t h = 14695981039346656037ULL;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

// Where the last whole entry of a file ends (after its terminator); 0 when
// the file holds none. What follows is a torn entry.
ULONGLONG LastEntryEnd(CFile& file, ULONGLONG len)
{
    const ULONGLONG chunk = 64 * 1024;
    std::string buf;
    for (ULONGLONG end = len; end > 0;) {
        ULONGLONG start = end > chunk ? end - chunk : 0;
        ULONGLONG readLen = end - start + (end < len ? std::min<ULONGLONG>(kTerminatorSize - 1, len - end) : 0);
        buf.resize(static_cast<size_t>(readLen));
        file.Seek(static_cast<LONGLONG>(start), CFile::begin);
        buf.resize(file.Read(&buf[0], static_cast<UINT>(readLen)));
        size_t at = buf.rfind(kTerminator);
        if (at != std::string::npos)
            return start + at + kTerminatorSize;
        end = start;
    }
    return 0;
}

// Whether the name may be used as a folder name under "Attach".
bool PlainFolderName(const CString& name)
{
    return !name.IsEmpty() && name.FindOneOf("\\/:*?\"<>|") < 0 && name != "." && name != "..";
}

// Calls fn with each whole entry of the bytes [from, to) of a data file and
// its offset; a torn entry at the end has no terminator and is left out.
void ForEachEntry(CFile& file, ULONGLONG from, ULONGLONG to,
                  const std::function<void(ULONGLONG offset, const std::string& entry)>& fn)
{
    const std::string term = kTerminator;
    std::string window;
    ULONGLONG windowStart = from;  // file offset of window[0]
    ULONGLONG entryStart = from;
    std::string chunk(256 * 1024, '\0');
    ULONGLONG readPos = from;
    for (;;) {
        size_t at = window.find(term, static_cast<size_t>(entryStart - windowStart));
        if (at == std::string::npos) {
            if (readPos >= to)
                break;
            // Only the current entry stays in the window.
            window.erase(0, static_cast<size_t>(entryStart - windowStart));
            windowStart = entryStart;
            file.Seek(static_cast<LONGLONG>(readPos), CFile::begin);
            UINT got = file.Read(&chunk[0], static_cast<UINT>(std::min<ULONGLONG>(chunk.size(), to - readPos)));
            if (got == 0)
                break;
            window.append(chunk.data(), got);
            readPos += got;
            continue;
        }
        ULONGLONG entryEnd = windowStart + at + term.size();
        ULONGLONG offset = entryStart;
        entryStart = entryEnd;
        fn(offset, window.substr(static_cast<size_t>(offset - windowStart), static_cast<size_t>(entryEnd - offset)));
    }
}

// What tells two entries apart: an entry whose name line and bytes equal
// another's is the same mail twice.
std::string EntryKey(const std::string& entry)
{
    size_t nameEnd = entry.find("\r\n");
    return entry.substr(0, nameEnd == std::string::npos ? 0 : nameEnd) + '\0' + std::to_string(entry.size()) + '\0' +
           std::to_string(std::hash<std::string>()(entry)) + '\0' + std::to_string(Fnv1a(entry));
}

// Whether an entry holds a mail the rebuild can list: a name line and a
// header block ended by a blank line.
bool HoldsMail(const std::string& entry)
{
    size_t nameEnd = entry.find("\r\n");
    return nameEnd != std::string::npos && entry.find("\r\n\r\n", nameEnd + 2) != std::string::npos;
}

// The header block of an entry (after its name line, up to the blank line),
// from its first bytes.
std::string EntryHeader(CFile& file, ULONGLONG from, ULONGLONG to)
{
    std::string head;
    ReadFileSpan(file, from, static_cast<size_t>(std::min<ULONGLONG>(to - from, 64 * 1024)), head);
    size_t nameEnd = head.find("\r\n");
    if (nameEnd == std::string::npos)
        return std::string();
    size_t blank = head.find("\r\n\r\n", nameEnd + 2);
    return head.substr(nameEnd + 2, blank == std::string::npos ? std::string::npos : blank + 4 - (nameEnd + 2));
}

// Whether the terminator ends the data file's bytes just before pos (the
// start of the file counts as a boundary too).
bool EntryBoundaryAt(CFile& file, ULONGLONG pos)
{
    if (pos == 0)
        return true;
    if (pos < kTerminatorSize)
        return false;
    char tail[kTerminatorSize];
    file.Seek(static_cast<LONGLONG>(pos - kTerminatorSize), CFile::begin);
    return file.Read(tail, kTerminatorSize) == kTerminatorSize && memcmp(tail, kTerminator, kTerminatorSize) == 0;
}

// A checksum of the index bytes for the stamp: four lanes of eight-byte
// words, each step a bijection, so that any single changed byte shows.
uint64_t IndexChecksum(std::string_view bytes)
{
    const uint64_t k = 0x9E3779B97F4A7C15ULL;
    uint64_t lane[4] = {1, 2, 3, 4};
    const char* p = bytes.data();
    size_t blocks = bytes.size() / 32;
    for (size_t i = 0; i < blocks; i++, p += 32) {
        for (int l = 0; l < 4; l++) {
            uint64_t w;
            memcpy(&w, p + 8 * l, 8);
            lane[l] = (lane[l] ^ w) * k;
            lane[l] ^= lane[l] >> 29;
        }
    }
    for (size_t i = blocks * 32; i < bytes.size(); i++)
        lane[i % 4] = (lane[i % 4] ^ static_cast<unsigned char>(bytes[i])) * k;
    uint64_t h = bytes.size();
    for (int l = 0; l < 4; l++)
        h = (h ^ lane[l]) * k + static_cast<uint64_t>(l);
    return h;
}

} // namespace

CString CMailFolderStore::GetStampPath() const
{
    return m_record.m_strPath.IsEmpty() ? CString() : CombinePath(m_record.m_strPath, kStamp);
}

std::string CMailFolderStore::MakeStamp(std::string_view indexBytes) const
{
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (m_strDataPath.IsEmpty() || !GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &fa))
        return std::string();
    unsigned long long size = (static_cast<unsigned long long>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    unsigned long long time =
        (static_cast<unsigned long long>(fa.ftLastWriteTime.dwHighDateTime) << 32) | fa.ftLastWriteTime.dwLowDateTime;
    char line[160];
    snprintf(line, sizeof(line), "%s\t%llu\t%llu\t%llu\t%016llx\r\n", kStampTag, size, time,
             static_cast<unsigned long long>(indexBytes.size()),
             static_cast<unsigned long long>(IndexChecksum(indexBytes)));
    return line;
}

bool CMailFolderStore::StampMatches(std::string_view indexBytes) const
{
    CString path = GetStampPath();
    std::string stamp;
    if (path.IsEmpty() || !ReadWholeFile(path, stamp) || stamp.empty())
        return false;
    return stamp == MakeStamp(indexBytes);
}

bool CMailFolderStore::GetFileStates(ULONGLONG& nDataSize, ULONGLONG& nIndexSize, ULONGLONG& nIndexTime) const
{
    WIN32_FILE_ATTRIBUTE_DATA data, index;
    if (m_strDataPath.IsEmpty() || !GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &data) ||
        !GetFileAttributesExA(m_strIndexPath, GetFileExInfoStandard, &index))
        return false;
    nDataSize = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    nIndexSize = (static_cast<ULONGLONG>(index.nFileSizeHigh) << 32) | index.nFileSizeLow;
    nIndexTime = (static_cast<ULONGLONG>(index.ftLastWriteTime.dwHighDateTime) << 32) | index.ftLastWriteTime.dwLowDateTime;
    return true;
}

void CMailFolderStore::NoteStampedFiles()
{
    m_nStampOnDisk = 1;
    if (!GetFileStates(m_nStampDataSize, m_nStampIndexSize, m_nStampIndexTime))
        m_nStampIndexTime = 0;
}

bool CMailFolderStore::AcceptStamp(std::string_view indexBytes)
{
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (!StampMatches(indexBytes) || !GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &fa) ||
        Exists(CombinePath(m_record.m_strPath, kSwapMarker)))
        return false;
    m_nCheckedDataEnd = (static_cast<LONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    m_nIndexedEnd = static_cast<ULONGLONG>(m_nCheckedDataEnd);
    m_bUnindexedData = FALSE;
    m_uncovered.clear();
    m_bUnalignedGap = false;
    m_bFilesKnown = true;
    NoteStampedFiles();
    return true;
}

bool CMailFolderStore::IndexCoversExactly(std::string_view bytes, ULONGLONG nDataSize)
{
    if (!bytes.empty() && (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0))
        return false;
    std::vector<std::pair<ULONGLONG, ULONGLONG>> spans;
    if (!IndexSpans(bytes, spans))
        return false;
    ULONGLONG covered = 0;
    for (const auto& span : spans) {
        if (span.first != covered)
            return false;
        covered = span.second;
    }
    return covered == nDataSize;
}

void CMailFolderStore::WriteStamp(const std::string_view* pIndexBytes)
{
    CSingleLock fileLock(&m_fileLock, TRUE);
    CSingleLock indexLock(&m_indexLock, TRUE);
    CString path = GetStampPath();
    if (path.IsEmpty() || m_bStampBlocked || m_bUnindexedData || m_bUnalignedGap || m_nCheckedDataEnd < 0 ||
        Exists(CombinePath(m_record.m_strPath, kSwapMarker)))
        return;
    ULONGLONG dataSize, indexSize, indexTime;
    if (m_nStampOnDisk == 1 && m_nStampIndexTime != 0 && GetFileStates(dataSize, indexSize, indexTime) &&
        dataSize == m_nStampDataSize && indexSize == m_nStampIndexSize && indexTime == m_nStampIndexTime)
        return;  // the stamp on the disk still says how they are
    std::string ownBytes;
    if (!pIndexBytes && !ReadWholeFile(m_strIndexPath, ownBytes))
        return;
    std::string_view bytes = pIndexBytes ? *pIndexBytes : std::string_view(ownBytes);
    // Only files that agree get the stamp: the data file ends where this
    // store last left it in order, and the index's records cover it from
    // its first byte to its last without a gap.
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (!GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &fa))
        return;
    ULONGLONG size = (static_cast<ULONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    if (size != static_cast<ULONGLONG>(m_nCheckedDataEnd) || !IndexCoversExactly(bytes, size))
        return;
    std::string stamp = MakeStamp(bytes);
    if (stamp.empty() || !WriteFileData(path, stamp.data(), stamp.size()))
        return;
    NoteStampedFiles();
}

void CMailFolderStore::WithdrawStamp()
{
    if (m_nStampOnDisk == 0 || m_record.m_strPath.IsEmpty())
        return;
    DeleteFileA(GetStampPath());
    m_nStampOnDisk = 0;
}

BOOL CMailFolderStore::RecoverInterruptedSwap()
{
    if (m_record.m_strPath.IsEmpty())
        return TRUE;
    CString marker = CombinePath(m_record.m_strPath, kSwapMarker);
    CString tempData = CombinePath(m_record.m_strPath, kTempData);
    CString tempIndex = CombinePath(m_record.m_strPath, kTempIndex);
    if (Exists(marker)) {
        ReleaseHeldFiles();
        m_mailList.CloseFile();
        // Until both files have moved, the folder stays shut: its index
        // would be read over the other data file, and new mail would be
        // filed into files that the next open replaces.
        for (const CString* pair : {&tempIndex, &tempData}) {
            const CString& target = pair == &tempIndex ? m_strIndexPath : m_strDataPath;
            if (Exists(*pair) && !FileSteps::MoveReplacing(*pair, target)) {
                AfxMessageBox(OptimiseError("E0013", LastErrorText()));
                m_mailList.RemoveAll();
                return FALSE;
            }
        }
        DeleteFileA(marker);
    } else {
        // Left by an optimisation that never finished writing: the folder's
        // own files were not touched yet.
        if (Exists(tempData))
            DeleteFileA(tempData);
        if (Exists(tempIndex))
            DeleteFileA(tempIndex);
    }
    return TRUE;
}

std::set<CString> CMailFolderStore::NamesInIndex(std::string_view bytes, const std::set<CString>* pOnly)
{
    std::set<CString> names;
    ForEachIndexLine(bytes, [&](const CMailIndexRecord&, size_t pos, size_t crlf) {
        for (size_t field = pos + CMailIndexRecord::binarySize; field <= crlf;) {
            size_t tab = bytes.find('\t', field);
            size_t fieldEnd = tab == std::string::npos || tab > crlf ? crlf : tab;
            // Only the names asked about are made into strings: a large
            // index has a million fields.
            bool wanted = !pOnly || (fieldEnd - field >= 2 && (bytes[field] == 'Q' || bytes[field] == 'q') &&
                                     (bytes[field + 1] == 'M' || bytes[field + 1] == 'm'));
            if (wanted) {
                CString text(bytes.data() + field, static_cast<int>(fieldEnd - field));
                text.MakeLower();
                if (!pOnly || pOnly->count(text))
                    names.insert(text);
            }
            field = fieldEnd + 1;
        }
    });
    return names;
}

CString CMailFolderStore::GetSetAsidePath() const
{
    return m_record.m_strPath.IsEmpty() ? CString() : CombinePath(m_record.m_strPath, kSetAsideData);
}

BOOL CMailFolderStore::HasSetAsideData() const
{
    CString path = GetSetAsidePath();
    return !path.IsEmpty() && Exists(path);
}

bool CMailFolderStore::IndexSpans(std::string_view bytes, std::vector<std::pair<ULONGLONG, ULONGLONG>>& spans)
{
    bool sound = true;
    bool ordered = true;
    spans.clear();
    ForEachIndexLine(bytes, [&](const CMailIndexRecord& probe, size_t, size_t) {
        if (probe.m_nDataOffset < 0 || probe.m_nDataLength <= 0) {
            sound = false;
            return;
        }
        ULONGLONG from = static_cast<ULONGLONG>(probe.m_nDataOffset);
        if (!spans.empty() && from < spans.back().first)
            ordered = false;
        spans.emplace_back(from, from + static_cast<ULONGLONG>(probe.m_nDataLength));
    });
    // A folder's records are in the order of their entries but for the
    // ones a rebuild or a copy wrote otherwise.
    if (!ordered)
        std::sort(spans.begin(), spans.end());
    return sound;
}

bool CMailFolderStore::IsUnfinishedFiling(const CString& name, const std::string& header) const
{
    CMailMessage message;
    message.ParseHeaderText(header.c_str());
    const CString& account = message.m_strReceiveAccount;
    if (account.IsEmpty())
        return true;
    CQuendalApp* app = QuendalApp();
    if (!app || name.IsEmpty())
        return false;
    CString listPath = CombinePath(app->GetMailBoxFolder(), CReceivedIdList::FileNameFor(account));
    if (!Exists(listPath))
        return false;
    CReceivedIdList list;
    list.SetFilePath(listPath);
    return list.FindFilingNote(m_record.m_nId, name) == CReceivedIdList::FilingNote::unconfirmed;
}

BOOL CMailFolderStore::RepairDataTail(BOOL bSetAside, const std::string_view* pIndexBytes, BOOL bFull)
{
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (m_strDataPath.IsEmpty() || !GetFileAttributesExA(m_strDataPath, GetFileExInfoStandard, &fa)) {
        m_nCheckedDataEnd = -1;
        m_bUnindexedData = FALSE;
        m_uncovered.clear();
        m_bUnalignedGap = false;
        return TRUE;
    }
    LONGLONG size = (static_cast<LONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    // The data file still ends where the last check or filing left it.
    if (!bFull && size == m_nCheckedDataEnd)
        return m_bUnindexedData && bSetAside ? SetAsideUnindexedData() : TRUE;
    bool firstCheck = m_nCheckedDataEnd < 0;

    // What "Index.lst" knows, deleted records included (only the
    // optimisation may drop their entries). The file, not the list in
    // memory: the list leaves deleted records out.
    CSingleLock lock(&m_indexLock, TRUE);
    std::string ownBytes;
    std::string_view bytes = pIndexBytes ? *pIndexBytes : std::string_view();
    bool indexRead = pIndexBytes != nullptr;
    if (!indexRead) {
        CFile index;
        if (index.Open(m_strIndexPath, CFile::modeRead | CFile::shareDenyNone)) {
            try {
                ownBytes.assign(static_cast<size_t>(index.GetLength()), '\0');
                UINT got = ownBytes.empty() ? 0 : index.Read(&ownBytes[0], static_cast<UINT>(ownBytes.size()));
                index.Close();
                indexRead = got == ownBytes.size();
                ownBytes.resize(got);
            } catch (const CFileException&) {
                index.Abort();
                ownBytes.clear();
            }
            bytes = ownBytes;
        }
    }
    // A folder closed cleanly is as its stamp says.
    if (firstCheck && !bFull && indexRead && AcceptStamp(bytes))
        return TRUE;

    m_bUnindexedData = FALSE;
    m_uncovered.clear();
    m_bUnalignedGap = false;
    m_bFilesKnown = false;
    // A filing run's files go first (its next filing opens them again).
    ReleaseHeldFiles();
    CFile file;
    if (!file.Open(m_strDataPath, CFile::modeReadWrite | CFile::shareDenyWrite))
        return TRUE;
    bool cut = false;
    bool indexUsable = false;
    try {
        ULONGLONG len = file.GetLength();
        // Every entry ends with the terminator, and no terminator occurs
        // inside an entry: anything after the last one is a torn entry.
        ULONGLONG keep = LastEntryEnd(file, len);

        std::vector<std::pair<ULONGLONG, ULONGLONG>> spans;
        bool indexSound = !bytes.empty() || indexRead ? IndexSpans(bytes, spans) : true;
        ULONGLONG indexedEnd = 0;
        for (const auto& span : spans) {
            indexedEnd = std::max(indexedEnd, span.second);
            // Never cut into an entry the index knows.
            if (span.second > keep && span.second <= len)
                keep = span.second;
        }
        bool indexMissing = !indexRead && !Exists(m_strIndexPath);
        indexUsable = (indexRead && indexSound && indexedEnd <= len) || indexMissing;
        bool boundary = indexedEnd == 0 || (indexedEnd < keep ? EntryBoundaryAt(file, indexedEnd) : true);
        // Entries amid the indexed ones that no record covers are mails the
        // index lost as much as those after its last record.
        if (indexUsable && !indexMissing) {
            ULONGLONG covered = 0;
            for (const auto& span : spans) {
                if (span.first > covered) {
                    if (!EntryBoundaryAt(file, covered) || !EntryBoundaryAt(file, span.first)) {
                        m_bUnalignedGap = true;
                    } else {
                        // Only a stretch with a mail in it is worth a word:
                        // the rebuild leaves out entries without a header.
                        bool mail = false;
                        ForEachEntry(file, covered, span.first,
                                     [&](ULONGLONG, const std::string& entry) { mail = mail || HoldsMail(entry); });
                        if (mail)
                            m_uncovered.emplace_back(covered, span.first);
                    }
                }
                covered = std::max(covered, span.second);
            }
            if (!m_uncovered.empty())
                m_bUnindexedData = TRUE;
        }
        m_nIndexedEnd = keep < len ? keep : len;
        // An index that is damaged (or cannot be read now) says nothing
        // about the entries after its last one: they stay where they are and
        // the load of the index finds the damage.
        if (indexUsable && boundary && indexedEnd < keep) {
            // What a killed filing leaves is one whole entry after the last
            // one the index knows: its record never came, the receiver never
            // confirmed the mail, and the server sends it again. That one
            // entry goes, so that no rebuild shows the mail twice. More than
            // one entry, entries beside a missing index (a folder gets its
            // index before its first mail), or a mail that its account
            // recorded as received (the server may have deleted it: the index
            // lost its record) are mails that read whole: they are never cut.
            CString name;
            ULONGLONG firstEnd = indexMissing ? 0 : FindEntryEnd(file, indexedEnd, keep, &name);
            if (firstEnd == keep && IsUnfinishedFiling(name, EntryHeader(file, indexedEnd, keep))) {
                if (PlainFolderName(name)) {
                    CString folder = CombinePath(CombinePath(m_record.m_strPath, "Attach"), name);
                    CString lower(name);
                    lower.MakeLower();
                    if (DirectoryExists(folder) && !NamesInIndex(bytes).count(lower)) {
                        DeleteDirectoryTree(folder, true);
                        m_bAttachNamesRead = false;
                    }
                }
                keep = indexedEnd;
                m_nIndexedEnd = keep;
            } else {
                m_bUnindexedData = TRUE;
                m_nIndexedEnd = indexedEnd;
            }
        }
        if (keep < len) {
            file.SetLength(keep);
            cut = true;
        }
        file.Close();
        m_nCheckedDataEnd = static_cast<LONGLONG>(keep < len ? keep : len);
    } catch (const CFileException&) {
        file.Abort();
        return TRUE;
    }
    // Attachment folders of mails killed before their data entry was written
    // (or cut above) are named by no record; once the files are known to be
    // in order they go. Mails set aside keep theirs.
    if ((firstCheck || cut) && indexUsable && Exists(m_strIndexPath) && !m_bUnindexedData && !m_bUnalignedGap &&
        !HasSetAsideData())
        RemoveAttachFoldersNotIn(bytes);
    if (m_bUnindexedData && bSetAside)
        return SetAsideUnindexedData();
    return TRUE;
}

std::vector<CString> CMailFolderStore::ListAttachFolders() const
{
    std::vector<CString> folders;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(CombinePath(CombinePath(m_record.m_strPath, "Attach"), "*.*"), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return folders;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        CString name = fd.cFileName;
        if (name.GetLength() >= 2 && _strnicmp(name, "QM", 2) == 0)
            folders.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return folders;
}

void CMailFolderStore::RemoveAttachFolders(const std::vector<CString>& folders, const std::set<CString>& named)
{
    CString attachRoot = CombinePath(m_record.m_strPath, "Attach");
    bool dropped = false;
    for (const CString& name : folders) {
        CString lower = name;
        lower.MakeLower();
        if (!named.count(lower)) {
            DeleteDirectoryTree(CombinePath(attachRoot, name), true);
            dropped = true;
        }
    }
    if (dropped)
        m_bAttachNamesRead = false;
}

void CMailFolderStore::RemoveUnnamedAttachFolders(const std::set<CString>& named)
{
    RemoveAttachFolders(ListAttachFolders(), named);
}

void CMailFolderStore::RemoveAttachFoldersNotIn(std::string_view indexBytes)
{
    // Most folders have no attachment folder at all: the index is only
    // searched for the names of those there are.
    std::vector<CString> folders = ListAttachFolders();
    if (folders.empty())
        return;
    std::set<CString> present;
    for (const CString& name : folders) {
        CString lower = name;
        lower.MakeLower();
        present.insert(lower);
    }
    RemoveAttachFolders(folders, NamesInIndex(indexBytes, &present));
}

void CMailFolderStore::CopyEntriesAside(CFile& data, CFile& aside, ULONGLONG nFrom, ULONGLONG nTo, bool bSkipKnown)
{
    std::set<std::string> known;
    if (bSkipKnown)
        ForEachEntry(aside, 0, aside.GetLength(), [&](ULONGLONG, const std::string& entry) { known.insert(EntryKey(entry)); });
    aside.SeekToEnd();
    ForEachEntry(data, nFrom, nTo, [&](ULONGLONG, const std::string& entry) {
        if (HoldsMail(entry) && (!bSkipKnown || known.insert(EntryKey(entry)).second))
            StoreWrite::Write(aside, entry.data(), static_cast<UINT>(entry.size()));
    });
}

BOOL CMailFolderStore::SetAsideUnindexedData()
{
    if (!m_bUnindexedData)
        return TRUE;
    ReleaseHeldFiles();
    CString asidePath = GetSetAsidePath();
    CFile data;
    if (!data.Open(m_strDataPath, CFile::modeReadWrite | CFile::shareDenyWrite))
        return FALSE;
    CFile aside;
    if (!aside.Open(asidePath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite | CFile::shareDenyWrite)) {
        data.Abort();
        return FALSE;
    }
    try {
        // A copy torn by an earlier stop ends the file without its
        // terminator; the entry is still in the data file and comes whole.
        ULONGLONG asideLen = aside.GetLength();
        ULONGLONG asideKeep = LastEntryEnd(aside, asideLen);
        if (asideKeep < asideLen)
            aside.SetLength(asideKeep);
        // Entries amid the others stay in the data file until the next
        // optimisation: each open that finds them again must not copy them
        // twice.
        for (const auto& gap : m_uncovered)
            CopyEntriesAside(data, aside, gap.first, gap.second, true);
        aside.SeekToEnd();
        ULONGLONG len = data.GetLength();
        std::string buf(256 * 1024, '\0');
        for (ULONGLONG pos = m_nIndexedEnd; pos < len;) {
            UINT want = static_cast<UINT>(std::min<ULONGLONG>(buf.size(), len - pos));
            data.Seek(static_cast<LONGLONG>(pos), CFile::begin);
            UINT got = data.Read(&buf[0], want);
            if (got == 0)
                break;
            StoreWrite::Write(aside, buf.data(), got);
            pos += got;
        }
        // The copy is on the disk before the data file lets the entries go.
        if (!StoreWrite::Flush(asidePath, aside.GetHandle())) {
            aside.Abort();
            data.Abort();
            return FALSE;
        }
        aside.Close();
        if (m_nIndexedEnd < len)
            data.SetLength(m_nIndexedEnd);
        data.Close();
    } catch (const CFileException&) {
        aside.Abort();
        data.Abort();
        return FALSE;
    }
    WriteLog(FormatString("Entries not in the index set aside in [%s]\r\n", asidePath.GetString()));
    m_bUnindexedData = FALSE;
    m_uncovered.clear();
    m_nCheckedDataEnd = static_cast<LONGLONG>(m_nIndexedEnd);
    return TRUE;
}

BOOL CMailFolderStore::TakeBackSetAsideData()
{
    if (!HasSetAsideData())
        return TRUE;
    CString asidePath = GetSetAsidePath();
    CFile aside;
    if (!aside.Open(asidePath, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    CFile data;
    if (!data.Open(m_strDataPath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite)) {
        aside.Abort();
        AfxMessageBox(DataFileMessage(m_strDataPath), MB_OK | MB_ICONERROR);
        return FALSE;
    }
    try {
        ULONGLONG end = data.SeekToEnd();
        std::string buf(256 * 1024, '\0');
        for (;;) {
            UINT got = aside.Read(&buf[0], static_cast<UINT>(buf.size()));
            if (got == 0)
                break;
            StoreWrite::Write(data, buf.data(), got);
        }
        // Only a copy that is on the disk lets the set-aside file go; a stop
        // before that brings the entries twice, which the rebuild tells.
        if (!StoreWrite::Flush(m_strDataPath, data.GetHandle())) {
            data.SetLength(end);
            data.Abort();
            aside.Abort();
            AfxMessageBox(kDataWriteError, MB_OK | MB_ICONERROR);
            return FALSE;
        }
        data.Close();
        aside.Close();
    } catch (const CFileException&) {
        data.Abort();
        aside.Abort();
        // What was appended is a copy: the next check cuts a torn part.
        AfxMessageBox(kDataWriteError, MB_OK | MB_ICONERROR);
        m_nCheckedDataEnd = -1;
        return FALSE;
    }
    DeleteFileA(asidePath);
    m_nCheckedDataEnd = -1;
    return TRUE;
}

BOOL CMailFolderStore::Optimize()
{
    if (m_mailList.GetChangedCount() <= 0 || m_strDataPath.IsEmpty() || !Exists(m_strDataPath))
        return FALSE;
    // Entries the index does not know, after its last record or amid the
    // others, would not be copied: they go aside first, for the rebuild.
    // The index file is read again for it, whatever the stamp says: the
    // new data file is all that is left of the old one.
    if (!RecoverInterruptedSwap() || !RepairDataTail(TRUE, nullptr, TRUE))
        return FALSE;
    if (m_bUnalignedGap) {
        // Records that do not meet entry boundaries: what lies between them
        // is neither a known mail nor safely another; the rebuild sorts it.
        WriteLog(FormatString("Not optimised: the index of [%s] does not match its data file\r\n",
                              m_strDataPath.GetString()));
        return FALSE;
    }
    // A filing run's files go first: the data file is read and replaced.
    ReleaseHeldFiles();
    CFileStatus status;
    CFile::GetStatus(m_strDataPath, status);
    double freeBytes = GetDiskFreeBytes(m_strDataPath);
    if (freeBytes != 0 && freeBytes < static_cast<double>(status.m_size)) {
        AfxMessageBox(FormatString("ディスクの空き容量が足りません。\r\n[%s]のメールデータ最適化ができません。\r\n"
                                   "空き容量[%.0f]Byte ファイル[%.0f]Byte",
                                   m_record.m_strName.GetString(), freeBytes, static_cast<double>(status.m_size)));
        return FALSE;
    }
    CFile data;
    if (!data.Open(m_strDataPath, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    CString tempDataPath = CombinePath(m_record.m_strPath, kTempData);
    CString tempIndexPath = CombinePath(m_record.m_strPath, kTempIndex);
    CString markerPath = CombinePath(m_record.m_strPath, kSwapMarker);
    DeleteFileA(tempDataPath);
    CFile tempData;
    CFileException fe;
    if (!tempData.Open(tempDataPath, CFile::modeCreate | CFile::modeWrite, &fe)) {
        AfxMessageBox(OptimiseError("E0001", FileErrorText(fe)));
        data.Abort();
        return FALSE;
    }
    DeleteFileA(tempIndexPath);
    CFile tempIndex;
    if (!tempIndex.Open(tempIndexPath, CFile::modeCreate | CFile::modeWrite, &fe)) {
        AfxMessageBox(OptimiseError("E0002", FileErrorText(fe)));
        tempData.Abort();
        data.Abort();
        DeleteFileA(tempDataPath);
        return FALSE;
    }

    CSingleLock indexLock(&m_indexLock, TRUE);
    ULONGLONG dataSize = 0;
    try {
        dataSize = data.GetLength();
    } catch (const CFileException& e) {
        AfxMessageBox(OptimiseError("E0003", FileErrorText(e)));
        tempData.Abort();
        tempIndex.Abort();
        data.Abort();
        DeleteFileA(tempDataPath);
        DeleteFileA(tempIndexPath);
        return FALSE;
    }
    std::set<CString> used;
    CString attachRoot = CombinePath(m_record.m_strPath, "Attach");
    // New values are kept aside and given to the records only after the
    // swap, so that a failure leaves the loaded list matching the old files.
    struct NewPlace
    {
        CMailIndexRecord* record;
        int offset, length, recordPos, totalSize;
        BYTE attach;
    };
    std::vector<NewPlace> places;
    ULONGLONG newDataSize = 0;
    std::string buffer;
    const char* stage = "E0005";
    auto abandon = [&]() {
        tempData.Abort();
        tempIndex.Abort();
        data.Abort();
        DeleteFileA(tempDataPath);
        DeleteFileA(tempIndexPath);
    };
    try {
        for (int i = 0; i < m_mailList.GetAllRecordCount(); i++) {
            CMailIndexRecord* r = m_mailList.GetMailRecord(i);
            if (!r || r->m_bDeleted)
                continue;
            stage = "E0005";
            CString folder = r->GetAttachFolder(m_record.m_strPath);
            DWORD attachBytes = 0;
            BYTE attach = r->m_bAttach;
            if (!r->GetText(CMailIndexRecord::colAttachDir).IsEmpty()) {
                attachBytes = AttachmentBytes(folder);
                if (attachBytes != 0 && DirectoryExists(folder)) {
                    CString name = r->GetText(CMailIndexRecord::colAttachDir);
                    name.MakeLower();
                    used.insert(name);
                } else if (attachBytes == 0) {
                    attach = 0;
                    if (DirectoryExists(folder))
                        DeleteDirectoryTree(folder, true);
                }
            }
            stage = "E0003";
            // Only what the data file holds is copied, whatever the index
            // says: a damaged record must not take the memory with it.
            ULONGLONG offset = r->m_nDataOffset < 0 ? 0 : static_cast<ULONGLONG>(r->m_nDataOffset);
            ULONGLONG available = offset < dataSize ? dataSize - offset : 0;
            int length = r->m_nDataLength < 0 ? 0 : r->m_nDataLength;
            if (static_cast<ULONGLONG>(length) > available)
                length = static_cast<int>(available);
            buffer.resize(static_cast<size_t>(length) + 16);
            data.Seek(static_cast<LONGLONG>(offset), CFile::begin);
            UINT got = 0;
            while (got < static_cast<UINT>(length)) {
                UINT n = data.Read(&buffer[got], static_cast<UINT>(length) - got);
                if (n == 0)
                    break;
                got += n;
            }
            ULONGLONG newOffset = tempData.GetPosition();
            StoreWrite::Write(tempData, buffer.data(), got);
            stage = "E0005";
            NewPlace place{r, static_cast<int>(newOffset), static_cast<int>(got), 0,
                           static_cast<int>(got) + static_cast<int>(attachBytes), attach};
            // The record is written with its new values, then put back.
            CMailIndexRecord copy;
            copy.CopyValuesFrom(*r);
            copy.m_bAttach = attach;
            copy.m_nDataOffset = place.offset;
            copy.m_nDataLength = place.length;
            copy.m_nTotalSize = place.totalSize;
            SetFromAccountFlag(&copy);
            m_mailList.WriteRecord(tempIndex, &copy);
            place.recordPos = copy.m_nRecordPos;
            places.push_back(place);
        }
        stage = "E0007";
        newDataSize = tempData.GetPosition();
        tempData.Flush();
        tempData.Close();
        stage = "E0009";
        tempIndex.Flush();
        tempIndex.Close();
        stage = "E0011";
        data.Close();
    } catch (const CFileException& e) {
        AfxMessageBox(OptimiseError(stage, FileErrorText(e)));
        abandon();
        return FALSE;
    } catch (const std::bad_alloc&) {
        const char* code = stage[4] == '3' ? "E0004" : stage[4] == '5' ? "E0006" : "E0012";
        AfxMessageBox(OptimiseError(code, LastErrorText()));
        abandon();
        return FALSE;
    }

    // The swap: mark it as committed, move both files over the old ones
    // (each move replaces in one step), then drop the mark. A crash in
    // between is finished by the next open.
    m_mailList.CloseFile();
    if (!WriteMarker(markerPath)) {
        AfxMessageBox(OptimiseError("E0013", LastErrorText()));
        DeleteFileA(tempDataPath);
        DeleteFileA(tempIndexPath);
        return FALSE;
    }
    if (!FileSteps::MoveReplacing(tempIndexPath, m_strIndexPath)) {
        // Nothing has moved: without the mark the old files stay as they
        // are and the temporary ones are dropped.
        AfxMessageBox(OptimiseError("E0013", LastErrorText()));
        DeleteFileA(markerPath);
        DeleteFileA(tempDataPath);
        DeleteFileA(tempIndexPath);
        return FALSE;
    }
    if (!FileSteps::MoveReplacing(tempDataPath, m_strDataPath)) {
        AfxMessageBox(OptimiseError("E0013", LastErrorText()));
        // The new index is in place over the old data file: the mark stays
        // so that the next open completes the swap, and the list in memory,
        // which belongs to the old files, is dropped so that nothing is
        // filed or read before that.
        m_mailList.ClearView();
        m_mailList.RemoveAll();
        return FALSE;
    }
    DeleteFileA(markerPath);
    // The new files are this store's own, in order.
    m_nCheckedDataEnd = static_cast<LONGLONG>(newDataSize);
    m_nIndexedEnd = newDataSize;

    for (const NewPlace& p : places) {
        p.record->m_nDataOffset = p.offset;
        p.record->m_nDataLength = p.length;
        p.record->m_nRecordPos = p.recordPos;
        p.record->m_nTotalSize = p.totalSize;
        p.record->m_bAttach = p.attach;
        SetFromAccountFlag(p.record);
    }
    // Deleted records are gone from the files: drop them from memory too.
    m_mailList.RemoveDeletedRecords();
    {
        std::vector<CMailIndexRecord*> dead;
        for (int i = 0; i < m_mailList.GetAllRecordCount(); i++) {
            CMailIndexRecord* r = m_mailList.GetMailRecord(i);
            if (r && r->m_bDeleted)
                dead.push_back(r);
        }
        if (!dead.empty())
            m_mailList.ReadFromFile(TRUE);
    }

    // Attachment folders that no live mail uses; the mails set aside for
    // the rebuild keep theirs.
    if (DirectoryExists(attachRoot)) {
        CFile aside;
        if (HasSetAsideData() && aside.Open(GetSetAsidePath(), CFile::modeRead | CFile::shareDenyWrite)) {
            try {
                ForEachEntry(aside, 0, aside.GetLength(), [&](ULONGLONG, const std::string& entry) {
                    CString name(entry.substr(0, entry.find("\r\n")));
                    name.MakeLower();
                    used.insert(name);
                });
                aside.Close();
            } catch (const CFileException&) {
                // Unreadable now: no folder goes.
                aside.Abort();
                m_mailList.SetChangedCount(0);
                return TRUE;
            }
        }
        RemoveUnnamedAttachFolders(used);
        RemoveDirectoryA(attachRoot);  // only succeeds when empty
    }
    m_mailList.SetChangedCount(0);
    return TRUE;
}

BOOL CMailFolderStore::RebuildIndex()
{
    if (m_strDataPath.IsEmpty())
        return FALSE;
    CSingleLock fileLock(&m_fileLock, TRUE);
    ReleaseHeldFiles();
    HCURSOR oldCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    struct CursorBack
    {
        HCURSOR c;
        ~CursorBack() { SetCursor(c); }
    } back{oldCursor};
    if (!RecoverInterruptedSwap())
        return FALSE;
    // An unfinished filing is not brought back as a mail of its own; entries
    // the index lost are all read.
    RepairDataTail(FALSE);
    if (!TakeBackSetAsideData())
        return FALSE;
    if (!Exists(m_strDataPath))
        return TRUE;
    CFile data;
    if (!data.Open(m_strDataPath, CFile::modeRead | CFile::shareDenyWrite)) {
        CString text = "[%FILEPATH%]が開けませんでした。";
        text.Replace("%FILEPATH%", m_strDataPath);
        AfxMessageBox(text, MB_OK | MB_ICONERROR);
        return FALSE;
    }

    CSingleLock indexLock(&m_indexLock, TRUE);
    BOOL wasLoaded = m_mailList.IsLoaded();
    m_mailList.ClearView();
    m_mailList.RemoveAll();
    m_mailList.CloseFile();

    // What the old index knew about each entry (including deleted ones) is
    // carried over where the entry is still at the same place with the same
    // name: read state, labels and marks survive the rebuild.
    struct OldState
    {
        CString name;
        unsigned char bin[CMailIndexRecord::binarySize];
    };
    std::map<int, OldState> old;
    double freeBytes = GetDiskFreeBytes(m_strDataPath);
    CFileStatus idxStatus;
    double idxSize = CFile::GetStatus(m_strIndexPath, idxStatus) ? static_cast<double>(idxStatus.m_size) : 0.0;
    if (freeBytes != 0 && freeBytes < idxSize * 3) {
        AfxMessageBox(FormatString("ディスクの空き容量が足りません。\r\n[%s]のリスト再作成ができません。\r\n"
                                   "空き容量[%.0f]Byte  ファイル[%.0f]Byte",
                                   m_record.m_strName.GetString(), freeBytes, idxSize));
        return FALSE;
    }
    CString backup = m_strIndexPath;
    ReplaceFileExtension(backup, ".bak");
    if (Exists(m_strIndexPath)) {
        // The copy is made under another name and moved over "Index.bak"
        // whole: a copy cut short (a full disk) leaves the older backup.
        CString backupTemp = m_strIndexPath;
        ReplaceFileExtension(backupTemp, ".bk$");
        if (!FileSteps::CopyOver(m_strIndexPath, backupTemp) || !FileSteps::MoveReplacing(backupTemp, backup)) {
            CString error = LastErrorText();
            DeleteFileA(backupTemp);
            AfxMessageBox(FormatString("インデックスファイル[%s]のバックアップ[%s]を作成できませんでした。\r\n[%s]",
                                       m_strIndexPath.GetString(), backup.GetString(), error.GetString()),
                          MB_OK | MB_ICONERROR);
            return FALSE;
        }
        CFile idx;
        if (idx.Open(m_strIndexPath, CFile::modeRead | CFile::shareDenyNone)) {
            try {
                std::string bytes(static_cast<size_t>(idx.GetLength()), '\0');
                UINT got = bytes.empty() ? 0 : idx.Read(&bytes[0], static_cast<UINT>(bytes.size()));
                bytes.resize(got);
                idx.Close();
                ForEachIndexLine(bytes, [&](const CMailIndexRecord& probe, size_t pos, size_t crlf) {
                    std::string text = bytes.substr(pos + CMailIndexRecord::binarySize,
                                                    crlf - pos - CMailIndexRecord::binarySize);
                    size_t lastTab = text.rfind('\t');
                    OldState st;
                    st.name = CString(lastTab == std::string::npos ? std::string() : text.substr(lastTab + 1));
                    memcpy(st.bin, bytes.data() + pos, CMailIndexRecord::binarySize);
                    old[probe.m_nDataOffset] = st;
                });
            } catch (const CFileException&) {
                idx.Abort();
            }
        }
    }

    // The new index is written beside the old one and replaces it at once;
    // the old one stays in "Index.bak" as well.
    CString tempPath = CombinePath(m_record.m_strPath, kTempIndex);
    CFile out;
    CFileException fe;
    if (!out.Open(tempPath, CFile::modeCreate | CFile::modeWrite, &fe)) {
        char err[256] = "";
        fe.GetErrorMessage(err, sizeof(err));
        AfxMessageBox(FormatString("インデックスファイル[%s]を作成できませんでした。\r\n[%s]", tempPath.GetString(), err),
                      MB_OK | MB_ICONERROR);
        return FALSE;
    }

    CMailListData writer;  // record writer only
    // An entry whose name line and bytes equal an earlier one's is the same
    // mail twice (entries set aside and taken back after a stop in between):
    // the copy is kept in the data file but marked deleted.
    std::set<std::string> seen;
    bool writing = false;
    ULONGLONG dataSize = 0;
    try {
        dataSize = data.GetLength();
        ForEachEntry(data, 0, dataSize, [&](ULONGLONG entryStart, const std::string& entry) {
            if (!HoldsMail(entry))
                return;
            int offset = static_cast<int>(entryStart);
            size_t nameEnd = entry.find("\r\n");
            size_t headerEnd = entry.find("\r\n\r\n", nameEnd + 2);
            CString name(entry.substr(0, nameEnd));
            std::string header = entry.substr(nameEnd + 2, headerEnd + 4 - (nameEnd + 2));

            // Received time from the first run of digits of the name.
            std::string digits;
            for (size_t i = 0; i < static_cast<size_t>(name.GetLength()); i++) {
                if (isdigit(static_cast<unsigned char>(name[static_cast<int>(i)]))) {
                    while (i < static_cast<size_t>(name.GetLength()) && isdigit(static_cast<unsigned char>(name[static_cast<int>(i)])))
                        digits += name[static_cast<int>(i++)];
                    break;
                }
            }
            if (digits.size() > 11)
                digits.resize(digits[0] == '9' ? 9 : 10);
            CString received;
            if (!digits.empty())
                received = FormatTimeText(static_cast<int64_t>(_strtoui64(digits.c_str(), nullptr, 10)));

            CMailFileReader reader;
            std::unique_ptr<CMailIndexRecord> r(new CMailIndexRecord);
            CString attachFolder = CombinePath(CombinePath(m_record.m_strPath, "Attach"), name);
            reader.ParseHeaderText(header.c_str(), attachFolder);
            const MailHeaderValues& v = reader.GetValues();
            r->SetText(CMailIndexRecord::colSubject, v.strSubject);
            r->SetText(CMailIndexRecord::colFrom, v.strFrom);
            r->SetText(CMailIndexRecord::colTo, v.strTo);
            r->SetText(CMailIndexRecord::colCc, v.strCc);
            r->SetText(CMailIndexRecord::colDate, v.strDate.IsEmpty() ? received : v.strDate);
            r->SetText(CMailIndexRecord::colReceived, received);
            r->SetText(CMailIndexRecord::colAttachDir, name);
            r->SetText(CMailIndexRecord::colMessageId, v.strMessageId);
            r->SetText(CMailIndexRecord::colReference, v.strReference);
            r->SetText(CMailIndexRecord::colAccount, v.strAccount);
            r->SetText(CMailIndexRecord::colCharset, v.strCharset.IsEmpty() ? CString("ISO-2022-JP") : v.strCharset);
            r->SetText(CMailIndexRecord::colFileName, name);
            r->m_nPriority = (v.nPriority >= 0 && v.nPriority <= 9) ? v.nPriority : 3;
            r->m_nPartNumber = v.nPartNumber > 0 ? v.nPartNumber : 0;
            if (v.nPartNumber > 0 && v.nPartTotal > 0)
                r->m_nFlags |= (v.nPartTotal & 0xFFFF) << 16;
            if (v.bReceipt)
                r->m_nFlags |= CMailIndexRecord::flagReceiptRequested;
            SetFromAccountFlag(r.get());
            r->m_nDataOffset = offset;
            r->m_nDataLength = static_cast<int>(entry.size());
            DWORD attachBytes = HasAttachmentFiles(attachFolder) ? GetFolderFilesSize(attachFolder) : 0;
            r->m_bAttach = attachBytes ? 1 : 0;
            r->m_nTotalSize = r->m_nDataLength + static_cast<int>(attachBytes);
            r->m_bRead = 1;
            // The user's marks come over from the old record of the same
            // entry. The deletion mark does not: the data file does not
            // record deletion, so every mail it holds comes back, and a mark
            // that damage set cannot hide a mail that was never deleted.
            auto it = old.find(offset);
            if (it != old.end() && it->second.name == name) {
                CMailIndexRecord prev;
                prev.ParseBinary(it->second.bin);
                r->m_bRead = prev.m_bRead;
                r->m_bMark = prev.m_bMark;
                r->m_nBookmark = prev.m_nBookmark;
                r->m_nLabel = prev.m_nLabel;
                r->m_crLabel = prev.m_crLabel;
                r->m_nFlags = prev.m_nFlags;
                r->m_nPriority = prev.m_nPriority;
            }
            if (!seen.insert(EntryKey(entry)).second)
                r->m_bDeleted = 1;
            writing = true;
            writer.WriteRecord(out, r.get());
            writing = false;
        });
        writing = true;
        out.Flush();
        out.Close();
        writing = false;
        data.Close();
    } catch (const CFileException& e) {
        out.Abort();
        data.Abort();
        DeleteFileA(tempPath);
        char err[256] = "";
        e.GetErrorMessage(err, sizeof(err));
        // A full disk shows while the new index is written; the data file is
        // only read.
        AfxMessageBox(writing ? FormatString("インデックスファイル[%s]の書き込みに失敗しました。\r\n[%s]", tempPath.GetString(), err)
                              : FormatString("[%s]の読み込みに失敗しました。\r\n[%s]", m_strDataPath.GetString(), err),
                      MB_OK | MB_ICONERROR);
        return FALSE;
    }
    if (!FileSteps::MoveReplacing(tempPath, m_strIndexPath)) {
        AfxMessageBox(FormatString("インデックスファイル[%s]の削除に失敗しました。\r\n[%s]", m_strIndexPath.GetString(),
                                   LastErrorText().GetString()),
                      MB_OK | MB_ICONERROR);
        DeleteFileA(tempPath);
        return FALSE;
    }
    // Every entry of the data file has its record now: nothing is left to
    // set aside (the tail kept by the check before is indexed).
    m_bUnindexedData = FALSE;
    m_uncovered.clear();
    m_bUnalignedGap = false;
    m_nCheckedDataEnd = static_cast<LONGLONG>(dataSize);
    m_nIndexedEnd = dataSize;
    if (wasLoaded)
        m_mailList.ReadFromFile(TRUE);
    m_nMailCount = m_mailList.GetMailCount();
    return TRUE;
}
